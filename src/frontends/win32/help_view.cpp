// SPDX-License-Identifier: MIT
#include "app/help_window.h"
#include "app/text_area.h"
#include "frontends/win32/control_ids.h"
#include "frontends/win32/fonts.h"
#include "frontends/win32/views.h"
#include "frontends/win32/win32_platform.h"
#include "frontends/win32/window_class.h"

namespace marrowlock {

using namespace win32;

HelpView::HelpView(Win32Platform& platform, ProgramState& s) : platform_(platform), s_(s) {
  Create();
}

HelpView::~HelpView() {
  closing_ = true;
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void HelpView::Create() {
  RegisterViewClass(kHelpWindowClass, Procedure);
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kHelpWindowClass, L"", WS_OVERLAPPEDWINDOW,
                            CW_USEDEFAULT, CW_USEDEFAULT, 600, 560, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), this);
  text_ = MakeControl(
      hwnd_, L"Edit", L"",
      WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, kHelpText,
      platform_.fonts().fixed(DpiOf(hwnd_)), WS_EX_CLIENTEDGE);
  ::SendMessageW(text_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);

  // Room for the help text's lines of 80 characters, the scroll bar and the frame,
  // with one column to spare.
  HDC dc = ::GetDC(text_);
  HGDIOBJ old = ::SelectObject(dc, platform_.fonts().fixed(DpiOf(hwnd_)));
  SIZE line{};
  ::GetTextExtentPoint32W(dc, std::wstring(81, L'M').c_str(), 81, &line);
  ::SelectObject(dc, old);
  ::ReleaseDC(text_, dc);
  RECT frame{0, 0, line.cx + ::GetSystemMetrics(SM_CXVSCROLL) + Scaled(hwnd_, 24),
             Scaled(hwnd_, 560)};
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void HelpView::Draw() {
  if (!hwnd_) return;
  const HelpWindow& h = s_.MLHelp;
  SetTextIfChanged(hwnd_, CaptionText(h.Caption).c_str());
  // A help text of the user's own may be written in UTF-8.
  const TextEncoding encoding = ChooseEncoding(h.Text1.Text);
  if (!shown_.drawn || shown_.bytes != h.Text1.Text || shown_.encoding != encoding) {
    std::u16string text = AreaText(h.Text1.Text, 0, encoding, AreaBreaks::kCrLf);
    ::SetWindowTextW(text_, reinterpret_cast<const wchar_t*>(text.c_str()));
    shown_ = {h.Text1.Text, encoding, true};
  }
  const bool visible = h.Exists && h.Visible;
  if (visible && !::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(text_);
  } else if (!visible && ::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_HIDE);
  }
}

LRESULT CALLBACK HelpView::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  HelpView* view = ViewOf<HelpView>(hwnd, message, lparam);
  if (view && view->hwnd_ == nullptr) view->hwnd_ = hwnd;
  if (!view) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return view->Handle(message, wparam, lparam);
}

LRESULT HelpView::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DPICHANGED:
      FollowDpiChange(hwnd_, platform_.fonts(), wparam, lparam);
      return 0;
    case WM_SIZE: {
      const int margin = Scaled(hwnd_, 6);
      ::MoveWindow(text_, margin, margin, LOWORD(lparam) - 2 * margin, HIWORD(lparam) - 2 * margin,
                   TRUE);
      return 0;
    }
    case WM_SETFOCUS:
      ::SetFocus(text_);
      return 0;
    case WM_CLOSE:
      ::ShowWindow(hwnd_, SW_HIDE);
      if (!closing_) platform_.RunHandler([this] { HelpWindowClosed(s_); });
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace marrowlock
