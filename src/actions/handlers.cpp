#include "actions/actions.h"

void RunEntry(char letter)
{
    // letters are compared exactly: a lower-case letter is no action
    switch (letter) {
    case 'D':
        CallLibraryEntry();
        break;
    case 'E':
        RunProgram();
        break;
    case 'J':
        RemoveRegistryEntry();
        break;
    case 'K':
        ReleaseSharedDll();
        break;
    case 'M':
        RemoveProfileEntry();
        break;
    case 'P':
        RemoveFiles();
        break;
    case 'U':
        RemoveTree();
        break;
    default:
        break;
    }
}
