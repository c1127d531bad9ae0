// The wizard's message loop, where the Return key always yields one command.
#include "app/message_loop.h"

#include "app/globals.h"
#include "app/return_key_rule.h"

int ApplyReturnKeyRule() {
  HWND focus = GetFocus();
  char className[100];
  if (focus && GetClassNameA(focus, className, sizeof className)) {
    className[99] = 0;
    if (IsPushButtonForReturn(className, static_cast<unsigned long>(GetWindowLongA(focus, GWL_STYLE)))) {
      WORD id = LOWORD(GetWindowLongA(focus, GWL_ID));
      PostMessageA(WizardWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
      return 1;
    }
  }
  PostMessageA(WizardWindow, WM_COMMAND, DefaultButtonId, 0);
  return 0;
}

void RunMessageLoop() {
  MSG message;
  while (WizardPage >= 0 && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && ApplyReturnKeyRule())
      continue;
    if (!IsDialogMessageA(WizardWindow, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}
