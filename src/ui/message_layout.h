#ifndef VELLUMINE_UI_MESSAGE_LAYOUT_H
#define VELLUMINE_UI_MESSAGE_LAYOUT_H

// The message dialog's size and the places of its controls, from the measured texts and the system metrics.
// Integer pixels; every division truncates. Portable.

struct MessageLayoutInput {
  int buttons;                     // the button set: 0 OK; 4 Yes and No; any other OK and Cancel
  int chineseWidth, chineseHeight; // the measured Chinese line (height 16)
  int chineseBytes;                // its length in bytes
  int englishWidth, englishHeight; // the English line's extent, 0 and 0 when there is none
  int buttonWidth, buttonHeight;   // the client size of the set's first button
  int frameWidth, captionHeight;   // SM_CXDLGFRAME, SM_CYCAPTION
  int screenWidth, screenHeight;   // SM_CXSCREEN, SM_CYSCREEN
  int dpi;                         // the screen's dots per inch: the gap between the lines grows with it
};

struct MessageLayout {
  int contentWidth, contentHeight; // W and H: what the window and the buttons are centred on
  int x, y, width, height;         // the window
  int firstId, secondId;           // the buttons shown; secondId 0 when there is one
  int firstX, firstY, secondX, secondY;
  int chineseTop, chineseHeight; // the Chinese line's control, as wide as the client area
  int englishTop, englishHeight; // the English line's control
};

MessageLayout ComputeMessageLayout(const MessageLayoutInput &in);

#endif
