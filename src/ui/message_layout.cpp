// The message dialog's layout arithmetic: its size and its controls' places from measured texts. Portable.
#include "ui/message_layout.h"

#include "base/dpi_scale.h"

MessageLayout ComputeMessageLayout(const MessageLayoutInput &in) {
  MessageLayout out = {};
  int bw = in.buttonWidth, bh = in.buttonHeight, ch = in.chineseHeight;
  int minWidth = in.buttons == 0 ? 2 * bw : 3 * bw;
  int w = (in.chineseWidth > in.englishWidth ? in.chineseWidth : in.englishWidth) + 2 * in.frameWidth;
  if (in.chineseBytes < 81)
    w += 2 * bh; // a side margin of one button height
  int h = 3 * (ch + bh) + 2 * in.englishHeight;
  out.contentWidth = w;
  out.contentHeight = h;
  out.width = w > minWidth ? w : minWidth;
  out.height = h + in.captionHeight;
  out.x = (in.screenWidth - w) / 2;
  out.y = (in.screenHeight - h) / 2;
  if (in.buttons == 0) {
    out.firstId = 1;
    out.firstX = (w - bw) / 2;
    out.firstY = h - 2 * bh;
  } else {
    out.firstId = in.buttons == 4 ? 6 : 1;
    out.secondId = in.buttons == 4 ? 7 : 2;
    out.firstY = out.secondY = h - (3 * bh) / 2;
    out.firstX = (w - (7 * bw) / 3) / 2;
    out.secondX = out.firstX + (4 * bw) / 3;
  }
  out.chineseTop = (2 * ch) / 3;
  out.chineseHeight = 3 * ch;
  out.englishTop = 3 * ch + (2 * ch) / 3 + ScaledToDpi(5, in.dpi);
  out.englishHeight = 2 * in.englishHeight;
  return out;
}
