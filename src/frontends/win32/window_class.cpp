// SPDX-License-Identifier: MIT
#include "frontends/win32/window_class.h"

#include <string>

namespace marrowlock {

void RegisterViewClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (::GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = ProgramIcon(false);
  wc.hIconSm = ProgramIcon(true);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  ::RegisterClassExW(&wc);
}

HICON ProgramIcon(bool small) {
  const int size = ::GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
  HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size,
                             size, LR_DEFAULTCOLOR);
  if (icon) return static_cast<HICON>(icon);
  return ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

UINT SystemDpi() {
  HDC dc = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT DpiOf(HWND hwnd) {
  // GetDpiForWindow exists from Windows 10 1607 on; older systems have the screen's.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = dpi_for_window && hwnd ? dpi_for_window(hwnd) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

int Scaled(HWND hwnd, int pixels) { return ::MulDiv(pixels, static_cast<int>(DpiOf(hwnd)), 96); }

HWND MakeControl(HWND parent, const wchar_t* window_class, const wchar_t* text, DWORD style, int id,
                 HFONT font, DWORD ex_style) {
  HWND hwnd = ::CreateWindowExW(ex_style, window_class, text, WS_CHILD | style, 0, 0, 10, 10,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd && font) ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

void SetTextIfChanged(HWND hwnd, const wchar_t* text) {
  const int length = ::GetWindowTextLengthW(hwnd);
  std::wstring now(static_cast<size_t>(length) + 1, L'\0');
  ::GetWindowTextW(hwnd, now.data(), length + 1);
  now.resize(static_cast<size_t>(length));
  if (now != text) ::SetWindowTextW(hwnd, text);
}

}  // namespace marrowlock
