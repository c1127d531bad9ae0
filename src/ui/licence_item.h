#ifndef VELLUMINE_UI_LICENCE_ITEM_H
#define VELLUMINE_UI_LICENCE_ITEM_H

// The Chinese licence list: an owner-drawn list box of fixed-height lines painted from the glyph font.
#include <windows.h>

// The item height and the text's inset of 2 are at 100 % and grow with the display scale (ScaledToDpi).
enum { LicenceItemHeight = 23, LicenceItemWidth = 1024, LicenceLineMax = 259, LicenceListLines = 500 };

// Paints one line of the list IDC_LICENCE_LIST of dialog: in the window text colour on the window colour, never
// highlighted.
void DrawLicenceItem(const DRAWITEMSTRUCT *item, HWND dialog);

// The measure-item answer: TRUE with the fixed item size for the licence list, FALSE for any other control.
BOOL MeasureLicenceItem(MEASUREITEMSTRUCT *item);

// Adds a line to the list, cut to LicenceLineMax bytes at a character boundary. The list is given its characters
// for screen readers; the bytes are kept for the painter (AddGbkListItem), in room for the one licence list's
// LicenceListLines lines: a line past them is not added.
void AddLicenceLine(HWND list, const char *line);

#endif
