// The command line and the trailer of the program file.
#pragma once

enum { TRAILER_SIZE = 256 };

// Takes the single argument (the log path) from a command line into
// argument (argumentSize bytes). The program's own path is skipped first:
// when the line starts with programPath itself, unquoted and followed by a
// space or the end, that whole path is the program name even if it has
// spaces; otherwise the program name ends at the first space outside double
// quotes. Spaces and double quotes before the argument are skipped and one
// closing double quote is removed. Without an argument it is empty. False
// when the argument did not fit: argument then holds it cut, and a cut path
// names another file.
bool ParseCommandLine(const char* commandLine, const char* programPath,
                      char* argument, int argumentSize);

// The log's file name from the last TRAILER_SIZE bytes of the program file:
// the NUL-terminated text that ends in the last byte. Byte 254 being NUL, or
// a last byte that is not NUL, gives "uninstal.ini".
void LogNameFromTrailer(const char* block, char* name, int nameSize);

// Where the trailer ends in a program file of fileSize bytes whose headers
// begin at image (the file's first bytes, or the module as loaded): at the
// certificate table that signing appends, when the security directory names
// one within the file, else at the file's end.
unsigned TrailerEnd(const unsigned char* image, unsigned fileSize);

// Takes the program's folder and the current folder out of the library
// search of this process; to be called before anything can load a library.
// Sets g_libraryFlags.
void LockLibrarySearch();

// Makes a new folder of the program's own in the temporary folder, named
// from the system's random source, into folder (PATH_BUFFER bytes). An
// elevated program's folder is writable only by Administrators and SYSTEM.
// False when none could be made; folder then holds the last name tried.
bool MakeCopyFolder(char* folder);
