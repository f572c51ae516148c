// SPDX-License-Identifier: MIT
#pragma once

#include "frontends/win32/system_headers.h"

namespace marrowlock {

// Registers the window class `name` once, with the program's icon, for a view whose
// static window procedure finds the view through the window's user data.
void RegisterViewClass(const wchar_t* name, WNDPROC procedure);

// The view a window procedure belongs to: stored at WM_NCCREATE from the creation
// parameter, read back for every later message.
template <typename View>
View* ViewOf(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* view = static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    return view;
  }
  return reinterpret_cast<View*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The program's icon (resource 1), or the system's default one.
HICON ProgramIcon(bool small);

// The dots per inch the system's own metrics are given for, and those of the screen
// `hwnd` is on (the system's where Windows cannot say).
UINT SystemDpi();
UINT DpiOf(HWND hwnd);

// Pixels for a length given at 96 dots per inch, on the screen of `hwnd`.
int Scaled(HWND hwnd, int pixels);

// A child control of `parent` with the identifier `id` and the font `font`.
HWND MakeControl(HWND parent, const wchar_t* window_class, const wchar_t* text, DWORD style, int id,
                 HFONT font, DWORD ex_style = 0);

// Sets a window's text only when it differs, so that nothing flickers.
void SetTextIfChanged(HWND hwnd, const wchar_t* text);

}  // namespace marrowlock
