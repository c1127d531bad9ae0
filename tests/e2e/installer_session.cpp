#include "installer_session.h"

#include "bmp_file.h"

#include <cstdio>
#include <vector>

std::string InstallerPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1) + "VellumineSetup.exe";
}

bool InstallerSession::Launch(const std::string &exe) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string command = "\"" + exe + "\"";
  return CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

bool InstallerSession::Start(const std::string &exe) {
  if (!Launch(exe))
    return false;
  for (int waited = 0; waited < 15000 && !wizard; waited += 50) {
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0)
      return false; // ended without a wizard
    HWND found = FindWindowA("#32770", "Vellumine Installer");
    if (found && IsWindowVisible(found))
      wizard = found;
  }
  return wizard != nullptr;
}

InstallerSession::~InstallerSession() {
  if (process.hProcess) {
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

std::string WindowText(HWND window) {
  wchar_t wide[4096] = L"";
  SendMessageW(window, WM_GETTEXT, sizeof wide / sizeof wide[0], reinterpret_cast<LPARAM>(wide));
  char narrow[8192] = "";
  WideCharToMultiByte(936, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

std::string InstallerSession::Text(int id) const { return WindowText(Control(id)); }

void InstallerSession::Click(int id) const { PostMessageA(Control(id), BM_CLICK, 0, 0); }

void InstallerSession::Press(int id) const {
  Click(id);
  Settle();
}

void InstallerSession::Focus(int id) const {
  PostMessageA(wizard, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
  Settle();
}

void InstallerSession::Key(int id, WPARAM key) const {
  UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
  PostMessageA(Control(id), WM_KEYDOWN, key, 1 | scan << 16);
  PostMessageA(Control(id), WM_KEYUP, key, 1 | scan << 16 | 0xC0000000u);
}

void InstallerSession::Type(int id, const char *text) const {
  HWND field = Control(id);
  SendMessageA(field, EM_SETSEL, 0, -1);
  PostMessageA(field, WM_CHAR, VK_BACK, 1);
  for (const char *p = text; *p; ++p)
    PostMessageA(field, WM_CHAR, static_cast<unsigned char>(*p), 1);
  Settle();
}

void InstallerSession::Settle() const {
  // A sent message is handled after everything posted before it.
  DWORD_PTR result;
  SendMessageTimeoutA(wizard, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  Sleep(30);
  SendMessageTimeoutA(wizard, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

ShownMessage InstallerSession::MessageAfter(int id, DWORD milliseconds) const {
  Click(id);
  ShownMessage shown = TakeMessage(milliseconds);
  Settle();
  return shown;
}

long InstallerSession::WaitForExit(DWORD milliseconds) {
  if (WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<long>(code);
}

HWND WaitForWindow(const char *title, DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    HWND found = FindWindowA("#32770", title);
    if (found && IsWindowVisible(found))
      return found;
    Sleep(50);
  }
  return nullptr;
}

void PressKeys(std::initializer_list<WORD> keys) {
  for (WORD key : keys) {
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
      input[i].type = INPUT_KEYBOARD;
      input[i].ki.wVk = key;
      input[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(2, input, sizeof input[0]);
    Sleep(50);
  }
}

void ClickWithMouse(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof input[0]);
}

ShownMessage TakeMessage(DWORD milliseconds, bool byHand) {
  ShownMessage shown = {};
  HWND dialog = WaitForWindow("Quellory Install Message", milliseconds);
  if (!dialog)
    return shown;
  Sleep(byHand ? 1000 : 100);
  shown.stayed = IsWindowVisible(dialog) != 0;
  shown.chinese = WindowText(GetDlgItem(dialog, 1013));
  HWND english = GetDlgItem(dialog, 1028);
  if (IsWindowVisible(english))
    shown.english = WindowText(english);
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (byHand)
    ClickWithMouse(GetDlgItem(dialog, IDOK));
  else
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  for (int i = 0; i < 100 && IsWindow(dialog); ++i)
    Sleep(50);
  // Wine hands the activation back to the owner a little later; a click before that can lose its capture.
  for (int i = 0; owner && i < 40 && GetForegroundWindow() != owner; ++i)
    Sleep(50);
  Sleep(100);
  return shown;
}

namespace {

void Painted(HWND window) {
  // Painting comes after every other message, so a slow program may not have painted yet what it was due to; this
  // sends each due WM_PAINT now, then lets the painted pixels reach the screen while the program waits.
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  DWORD_PTR result;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  Sleep(30);
}

// What the screen shows in r (screen coordinates), top-down, 4 bytes (blue, green, red, unused) a pixel.
std::vector<unsigned char> Grab(HWND window, const RECT &r) {
  Painted(window);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  unsigned char *bits = nullptr;
  HBITMAP bitmap = CreateDib32(w, h, &bits);
  HGDIOBJ saved = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<unsigned char> copy(bits, bits + 4 * static_cast<size_t>(w) * h);
  SelectObject(memory, saved);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copy;
}

} // namespace

void Screenshot(HWND window, const char *name) {
  RECT r;
  GetWindowRect(window, &r);
  SaveBmp(name, r.right - r.left, r.bottom - r.top, Grab(window, r).data());
}

std::vector<unsigned> ClientPixels(HWND window, int *width, int *height) {
  RECT r;
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&r), 2);
  *width = r.right - r.left, *height = r.bottom - r.top;
  std::vector<unsigned char> bits = Grab(window, r);
  std::vector<unsigned> pixels(bits.size() / 4);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<unsigned>(bits[4 * i + 2]) << 16 | bits[4 * i + 1] << 8 | bits[4 * i];
  return pixels;
}
