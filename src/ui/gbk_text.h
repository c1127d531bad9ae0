#ifndef VELLUMINE_UI_GBK_TEXT_H
#define VELLUMINE_UI_GBK_TEXT_H

// Windows NT keeps the texts of list boxes, buttons and statics in UTF-16 and converts every ANSI message through
// the thread's ANSI code page: a GBK text given or read back that way comes back changed under code page 932, and
// shows as Latin-1 nonsense to screen readers under 1252. So the glyph painter never reads its bytes back from a
// control: each owner-drawn text is kept beside its control (KeepLabel) and painted from there, and the control
// is given the characters the bytes stand for, through the wide API, for screen readers.
#include <windows.h>

// Gives window the text that gbk stands for, converted from code page 936 whatever the ANSI code page, through
// the wide API; the ANSI text where code page 936 is missing.
void SetGbkText(HWND window, const char *gbk);

// Gives every owner-drawn button of dialog whose label is fixed (texts.h) that label as its text, for screen
// readers, and one painted blank no text. The templates' texts are not always what is painted (Next says
// "安装 Install" there), and an ANSI dialog's controls are made with them converted through the ANSI code page.
void NameOwnerDrawnButtons(HWND dialog, int wizardPage);

// Gives window the text that gbk stands for (SetGbkText), and keeps the pointer to gbk as its label for the
// painter: the bytes must outlive the window. Falls back to the ANSI text where code page 936 is missing.
void KeepLabel(HWND window, const char *gbk);

// The label kept beside window by KeepLabel, or null.
const char *KeptLabel(HWND window);

// Adds a line to a list box: the characters for screen readers, and the pointer to its GBK bytes (which must
// outlive the item) as the item's data, for the painter. Returns the item's index, or a negative value.
LRESULT AddGbkListItem(HWND list, const char *gbk);

#endif
