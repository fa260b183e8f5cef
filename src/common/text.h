// Text and path helpers. All text is 8-bit ANSI, NUL-terminated; paths use
// backslashes. Every routine that writes a buffer takes that buffer's size
// and cuts the text to fit, always leaving a terminator.
#pragma once
#include "common/platform.h"

int TextLength(const char* text);
// dest receives as much of src as fits in destSize bytes.
void CopyText(char* dest, const char* src, int destSize);
// Appends src to the text in dest, within destSize bytes.
void AppendText(char* dest, const char* src, int destSize);

// Double-byte code pages: a lead byte and the byte after it are one
// character, and that second byte may be a backslash, a comma or any byte
// the routines below look for. They step character by character, as
// CharNextA does, and never take a trail byte for a separator.
// The character after the one at p, which must not be the end of the text.
const char* NextChar(const char* p);
// Index of the last character c of text, or -1.
int FindLastChar(const char* text, char c);
// Turns every slash character of path into a backslash.
void UseBackslashes(char* path);

// Field n of an entry text (the text after the type letter). Commas inside
// double quotes do not separate; quotes stay in the field. A text with fewer
// than n separators yields the whole text. Returns dest.
char* GetField(char* dest, const char* text, int n, int destSize);
// GetField that returns the field's whole length: destSize or more means the
// field was cut to fit.
int CopyField(char* dest, const char* text, int n, int destSize);

// dir, exactly one backslash, name (one leading backslash of name dropped).
char* JoinPath(char* dest, const char* dir, const char* name, int destSize);
// Cuts the path at its last backslash after the first character; a path
// without one becomes empty. «C:\a.txt» becomes «C:».
void StripLastComponent(char* path);
// Removes one trailing backslash.
void CutTrailingBackslash(char* path);
// The text after the last backslash, or the whole path.
void LastComponent(const char* path, char* dest, int destSize);
// Splits name at its last dot into base and extension (each partSize bytes).
// Returns the dot's index, or -1 when there is none (base = name, ext empty).
int SplitExtension(const char* name, char* base, char* ext, int partSize);

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Optional leading '-', then decimal digits; 32-bit wrap-around; no digits give 0.
// At most the first 63 characters are read.
int ParseNumber(const char* text);

// Equal ignoring case under the user's default locale.
bool SameText(const char* a, const char* b);

// Formats a text that may come from the log: only %s conversions take
// arguments, and only as many as argCount; any other conversion, or a %s
// beyond the arguments, is written out literally instead of reading an
// argument that was never passed. The result is cut to destSize bytes.
// The conversion that starts at the '%' at p, as FormatText reads it:
// flags, width and precision are passed over; returns its type letter's
// place (the terminator when the format ends first).
const char* ScanConversion(const char* p);
void FormatText(char* dest, int destSize, const char* format,
                const char* const* args, int argCount);
