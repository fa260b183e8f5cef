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
//
// Switches come before the argument: words that begin with a slash and are
// one of /SILENT, /VERYSILENT, /SUPPRESSMSGBOXES, /NORESTART, /LOG or
// /LOG="file" (ignoring case) set their SWITCH_ flags in switches and, for
// /LOG=, the file in reportPath (PATH_BUFFER bytes; left alone without one).
// The first word that is no switch begins the argument, which runs to the
// end of the line as before: a log path never begins with a slash. False
// also when the report's file did not fit.
bool ParseCommandLine(const char* commandLine, const char* programPath,
                      char* argument, int argumentSize, unsigned* switches = 0,
                      char* reportPath = 0);

// The log's file name from the last TRAILER_SIZE bytes of the program file:
// the NUL-terminated text that ends in the last byte. Byte 254 being NUL, or
// a last byte that is not NUL, gives "uninstal.ini".
void LogNameFromTrailer(const char* block, char* name, int nameSize);

// The switches as the launcher passes them on to its copy: " /NAME" for
// each flag, and /LOG="reportPath" when there is one; into dest.
void WriteSwitches(unsigned switches, const char* reportPath, char* dest, int destSize);

// The run's report (/LOG), reportfile.cpp. The file's path: from the
// command line, then made full; empty for a new file in the temporary folder.
extern char g_reportPath[];
// Opens the report (the launcher makes it anew, the removal stage adds to
// it), fills in the report sink and writes the run's first lines. False
// when it cannot be written.
bool OpenReport(bool removalStage);
// One line of the report: head, then text.
void ReportText(const char* head, const char* text);

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
