#ifndef VELLUMINE_UI_MESSAGE_DIALOG_H
#define VELLUMINE_UI_MESSAGE_DIALOG_H

// The installer's one way of telling the user something: a modal bilingual message that sizes itself to its texts.
#include <windows.h>

enum { MessageOk = 0, MessageYesNo = 4, MessageOkCancel = 1 };

extern char MessageEnglishText[128]; // the English line of the last message, cut to 127 bytes
extern int MessageButtons;

// Shows the Chinese and English lines with the button set over owner (none when null) and returns the identifier
// of the command that closed it: 1, 2, 6 or 7.
int ShowMessageDialog(const char *chineseText, const char *englishText, int buttons, HWND owner);

#include "ui/message_layout.h"

// What the layout is computed from: the texts measured in the dialog's context, the first button's size (82 x 12
// at 100 % when the dialog has none), the system metrics and the screen's DPI.
MessageLayoutInput MeasureMessageLayout(HWND dialog, const char *chinese, const char *english, int buttons);

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
