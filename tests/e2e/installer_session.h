#ifndef VELLUMINE_TESTS_E2E_INSTALLER_SESSION_H
#define VELLUMINE_TESTS_E2E_INSTALLER_SESSION_H

// Runs the real VellumineSetup.exe and works it from outside as a user would: finds its windows, reads what they
// show, clicks, types and presses keys through posted messages.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "test_folders.h"

std::string InstallerPath(); // VellumineSetup.exe beside this program

struct InstallerSession {
  PROCESS_INFORMATION process = {};
  HWND wizard = nullptr;

  // Starts the program and waits for the wizard; false when it does not appear.
  bool Start(const std::string &exe = InstallerPath());
  bool Launch(const std::string &exe = InstallerPath()); // starts it only
  ~InstallerSession();

  HWND Control(int id) const { return GetDlgItem(wizard, id); }
  bool Visible(int id) const { return IsWindowVisible(Control(id)) != 0; }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
  std::string Text(int id) const;

  void Click(int id) const;                  // a posted BM_CLICK, as a mouse click
  void Press(int id) const;                  // a click, and the wizard done with it
  void Focus(int id) const;                  // moves the keyboard focus, as Tab would
  void Key(int id, WPARAM key) const;        // a key press on the control (which should have the focus)
  void Type(int id, const char *text) const; // replaces the field's text by typing
  void Settle() const;
  // Clicks a button that leads to a message, takes the message (see TakeMessage) and lets the wizard settle.
  struct ShownMessage
  MessageAfter(int id, DWORD milliseconds = 15000) const; // waits until the wizard has handled what was posted

  // The exit code once the program has ended, or -1 if it is still running after the timeout.
  long WaitForExit(DWORD milliseconds = 15000);
};

// A top-level window of the given title, waited for; null after the timeout.
HWND WaitForWindow(const char *title, DWORD milliseconds = 15000);

// The text of any window as an accessibility client reads it (wide), in GBK bytes, whatever the ANSI code page.
std::string WindowText(HWND window);

// The message dialog's Chinese and English lines, then OK; empty strings when none appears. byHand: a second after
// it appeared, its OK button clicked with real mouse input, and whether it was still open then.
struct ShownMessage {
  std::string chinese, english;
  bool stayed;
};
ShownMessage TakeMessage(DWORD milliseconds = 15000, bool byHand = false);

// Real input (SendInput), as a user's: Windows delivers it to whatever has the focus when it is read.
void PressKeys(std::initializer_list<WORD> keys);
void ClickWithMouse(HWND control);

// What the screen shows of a window's client area, once it has painted what it was due to, one 0xRRGGBB value a pixel,
// row by row.
std::vector<unsigned> ClientPixels(HWND window, int *width, int *height);

// Saves what the screen shows of a window, once painted, as a BMP under E:\screenshots.
void Screenshot(HWND window, const char *name);

#endif
