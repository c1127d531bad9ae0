#ifndef VELLUMINE_WIZARD_LICENCE_LINES_H
#define VELLUMINE_WIZARD_LICENCE_LINES_H

// Splitting the Chinese licence into list lines. Portable.

enum { LicenceMaxLines = 500 };

// Splits the NUL-terminated text in place: a line runs to the next CR, which becomes a NUL; an LF right after a CR
// is skipped, any other LF stays in its line; a CR at the start of a line gives an empty line. Text after the last
// CR is a last line when it is not empty. Calls add for each line, at most maxLines times, and returns the count.
int SplitLicenceLines(char *text, int maxLines, void (*add)(const char *line, void *context), void *context);

#endif
