// SPDX-License-Identifier: MIT
#include <optional>
#include <string>

#include "frontends/win32/control_ids.h"
#include "frontends/win32/views.h"
#include "frontends/win32/window_class.h"

namespace marrowlock {

namespace {

using namespace win32;

// What the box's window procedure reports to the loop that waits for it.
struct InputBoxOutcome {
  bool done = false;
  bool accepted = false;
};

LRESULT CALLBACK InputBoxProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* outcome = ViewOf<InputBoxOutcome>(hwnd, message, lparam);
  if (outcome && message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    outcome->accepted = LOWORD(wparam) == IDOK;
    outcome->done = true;
    return 0;
  }
  if (outcome && message == WM_CLOSE) {
    outcome->done = true;
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

std::optional<std::wstring> AskLine(HWND owner, HFONT font, const std::wstring& title,
                                    const std::wstring& prompt) {
  RegisterViewClass(kInputBoxClass, InputBoxProcedure);
  InputBoxOutcome outcome;
  HWND box = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kInputBoxClass,
                               title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 10, 10,
                               owner, nullptr, ::GetModuleHandleW(nullptr), &outcome);
  const int margin = Scaled(box, 10);
  const int width = Scaled(box, 420);
  const int line = Scaled(box, 22);
  const int button = Scaled(box, 80);
  HWND text =
      MakeControl(box, L"Static", prompt.c_str(), WS_VISIBLE | SS_NOPREFIX, kInputPrompt, font);
  HWND answer = MakeControl(box, L"Edit", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                            kInputAnswer, font, WS_EX_CLIENTEDGE);
  HWND ok =
      MakeControl(box, L"Button", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, font);
  HWND cancel = MakeControl(box, L"Button", L"Cancel", WS_VISIBLE | WS_TABSTOP, IDCANCEL, font);
  const int prompt_height = 3 * line;
  ::MoveWindow(text, margin, margin, width, prompt_height, FALSE);
  ::MoveWindow(answer, margin, margin + prompt_height, width, line, FALSE);
  const int buttons_y = margin + prompt_height + line + margin;
  ::MoveWindow(ok, margin + width - 2 * button - margin, buttons_y, button, line + 4, FALSE);
  ::MoveWindow(cancel, margin + width - button, buttons_y, button, line + 4, FALSE);
  RECT frame{0, 0, width + 2 * margin, buttons_y + line + 4 + margin};
  ::AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE,
                       WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
  // Centred on the window that asks, or on the screen.
  RECT over{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (owner) ::GetWindowRect(owner, &over);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  ::SetWindowPos(box, HWND_TOP, over.left + (over.right - over.left - w) / 2,
                 over.top + (over.bottom - over.top - h) / 2, w, h, 0);

  // Modal: the owner takes no input until the box is answered.
  const bool owner_enabled = owner && ::IsWindowEnabled(owner);
  if (owner_enabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(box, SW_SHOW);
  ::SetForegroundWindow(box);
  ::SetFocus(answer);
  MSG msg;
  while (!outcome.done && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) &&
        ::GetAncestor(msg.hwnd, GA_ROOT) == box) {
      outcome.accepted = msg.wParam == VK_RETURN;
      outcome.done = true;
      break;
    }
    if (::IsDialogMessageW(box, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (msg.message == WM_QUIT) ::PostQuitMessage(static_cast<int>(msg.wParam));

  std::wstring typed(static_cast<size_t>(::GetWindowTextLengthW(answer)) + 1, L'\0');
  typed.resize(
      static_cast<size_t>(::GetWindowTextW(answer, typed.data(), static_cast<int>(typed.size()))));
  if (owner_enabled) ::EnableWindow(owner, TRUE);
  ::DestroyWindow(box);
  if (owner) ::SetForegroundWindow(owner);
  if (!outcome.accepted) return std::nullopt;
  return typed;
}

}  // namespace marrowlock
