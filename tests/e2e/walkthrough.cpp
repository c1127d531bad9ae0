// The headless walk through the wizard for scripts/run.sh: drive E:, Chinese (Simplified), both licences, Agree,
// the result; a screenshot of every page under E:\screenshots. Prints what it did, and the time from Agree/Install
// to the result message as a user waits it; exit code 0 when the install succeeded and the program ended with 0.
//   e2e_walkthrough [DRIVE [LANGUAGE]]     the drive to install onto (default E), the language's place in the list
//                                          (default 1, Chinese (Simplified))
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "installer_session.h"
#include "resources/resource_ids.h"

int main(int argc, char **argv) {
  const char *drive = argc > 1 ? argv[1] : "e";
  int language = argc > 2 ? atoi(argv[2]) : 1;
  InstallerSession s;
  if (!s.Start()) {
    printf("the wizard did not open\n");
    return 1;
  }
  printf("page 0: drive field \"%s\" then \"%s\"\n", s.Text(IDC_DRIVE_EDIT).c_str(), s.Text(IDC_FOLDER_SUFFIX).c_str());
  Screenshot(s.wizard, "walk1_drive");
  s.Type(IDC_DRIVE_EDIT, drive);
  Screenshot(s.wizard, "walk2_drive_typed");
  s.Click(IDC_NEXT);
  s.Settle();
  SendMessageA(s.Control(IDC_LANGUAGE_COMBO), CB_SETCURSEL, static_cast<WPARAM>(language), 0);
  s.Settle();
  printf("page 1: interface language %s\n", s.Text(IDC_LANGUAGE_COMBO).c_str());
  Screenshot(s.wizard, "walk3_language");
  s.Click(IDC_NEXT);
  s.Settle();
  printf("page 2: the English licence\n");
  Screenshot(s.wizard, "walk4_licence_english");
  s.Click(IDC_ENGLISH);
  s.Settle();
  printf("page 2: the Chinese licence, %ld lines\n",
         static_cast<long>(SendMessageA(s.Control(IDC_LICENCE_LIST), LB_GETCOUNT, 0, 0)));
  Screenshot(s.wizard, "walk5_licence_chinese");
  DWORD agreed = GetTickCount();
  s.Click(IDC_NEXT);
  Sleep(1500);
  Screenshot(s.wizard, "walk6_installing");
  HWND message = WaitForWindow("Quellory Install Message", 120000);
  if (!message) {
    printf("no result message\n");
    return 1;
  }
  printf("agree-to-result %lu ms\n", static_cast<unsigned long>(GetTickCount() - agreed));
  Sleep(200);
  Screenshot(message, "walk7_result");
  ShownMessage m = TakeMessage();
  printf("result: %s\n", m.english.c_str());
  long code = s.WaitForExit();
  printf("exit code %ld\n", code);
  return code == 0 && m.english == "Congratulations! Installation Success!" ? 0 : 1;
}
