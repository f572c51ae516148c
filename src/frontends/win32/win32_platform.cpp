// SPDX-License-Identifier: MIT
#include "frontends/win32/win32_platform.h"

#include "frontends/win32/system_headers.h"

#include <commdlg.h>

#include <algorithm>
#include <exception>

#include "app/dispatch.h"
#include "app/help_window.h"
#include "app/text_area.h"
#include "files/setup_dialog.h"
#include "frontends/win32/views.h"
#include "frontends/win32/window_class.h"
#include "platform/clock.h"
#include "platform/windows_support.h"
#include "state/program_exit.h"

namespace marrowlock {

namespace {

const wchar_t kTitle[] = L"marlk";
// Long commands ask for pending events after every small piece of work; between
// two looks a few milliseconds are enough to keep the window responsive.
constexpr auto kEventSpacing = std::chrono::milliseconds(5);
// Codes for keys that no table names: out of the range the tables use.
constexpr int kUnlistedKeyBase = 0x10000;

bool IsKeyDown(const MSG& msg) { return msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN; }

}  // namespace

KeyPress ToKeyPress(const MSG& msg) {
  KeyPress press;
  press.shift = ::GetKeyState(VK_SHIFT) < 0;
  press.ctrl = ::GetKeyState(VK_CONTROL) < 0;
  // A system key says in its message whether Alt was down (bit 29). With Ctrl down as
  // well the system sends a plain key-down instead (Ctrl+Alt is how AltGr reaches a
  // program), so Alt's own state counts too: else Ctrl+Shift+Alt+P never matched.
  press.alt =
      (msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29)) != 0) || ::GetKeyState(VK_MENU) < 0;
  const int vk = static_cast<int>(msg.wParam);
  if (vk >= 'A' && vk <= 'Z') {
    press.key = vk;  // virtual key codes of letters are their upper-case codes
  } else if (vk == VK_ESCAPE) {
    press.key = kKeyEscape;
  } else if (vk >= VK_F1 && vk <= VK_F12) {
    press.key = kKeyF1 + (vk - VK_F1);
  } else {
    press.key = kUnlistedKeyBase + vk;
  }
  return press;
}

std::wstring CaptionText(std::string_view bytes) {
  const TextEncoding encoding =
      IsValidUtf8(bytes) ? TextEncoding::kUtf8 : TextEncoding::kWindows1252;
  std::u16string text = AreaText(bytes, 0, encoding, AreaBreaks::kCrLf);
  return std::wstring(text.begin(), text.end());
}

std::string PathBytes(std::wstring_view path) { return Narrow(path); }
std::wstring PathText(std::string_view bytes) { return Wide(bytes); }

std::wstring NativeFilter(const std::string& filter) {
  std::wstring native = Wide(filter);
  std::replace(native.begin(), native.end(), L'|', L'\0');
  native.push_back(L'\0');
  native.push_back(L'\0');
  return native;
}

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform() {
  closing_ = true;
  setup_dialog_.reset();
  help_window_.reset();
  main_window_.reset();
}

void Win32Platform::Attach(ProgramState& s) {
  state_ = &s;
  main_window_ = std::make_unique<MainWindowView>(*this, s);
  help_window_ = std::make_unique<HelpView>(*this, s);
  setup_dialog_ = std::make_unique<SetupView>(*this, s);
  last_events_ = std::chrono::steady_clock::now();
}

HWND Win32Platform::main_window_handle() const {
  return main_window_ ? main_window_->hwnd() : nullptr;
}

void Win32Platform::RunHandler(const std::function<void()>& handler) {
  // The program is ending, or the state is already gone: start nothing new.
  if (exit_status_ || closing_) return;
  try {
    handler();
    Redraw();
  } catch (const ProgramExit& e) {
    exit_status_ = e.status;
    CloseWindows();
    ::PostQuitMessage(e.status);
  } catch (const std::exception& e) {
    MessageBox(e.what());
    Redraw();
  }
}

void Win32Platform::BringUpHelp() {
  if (help_window_ && ::IsWindowVisible(help_window_->hwnd())) {
    ::SetForegroundWindow(help_window_->hwnd());
  }
}

void Win32Platform::RethrowPendingExit() const {
  // A handler that ran nested inside a command ended the program: unwind the command.
  if (exit_status_) throw ProgramExit{*exit_status_};
}

HWND Win32Platform::DialogParent() const {
  HWND active = ::GetActiveWindow();
  if (active) return active;
  if (main_window_ && ::IsWindowVisible(main_window_->hwnd())) return main_window_->hwnd();
  return nullptr;
}

bool Win32Platform::PreTranslate(MSG& msg) {
  if (!state_ || !IsKeyDown(msg)) return false;
  const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  const KeyPress key = ToKeyPress(msg);
  ProgramState& s = *state_;

  if (main_window_ && root == main_window_->hwnd()) {
    bool handled = false;
    RunHandler([&] { handled = OnKey(s, key); });
    if (key.key == kKeyF1 && key.NoModifiers()) BringUpHelp();
    if (handled || exit_status_) return true;
  } else if (help_window_ && root == help_window_->hwnd()) {
    bool handled = false;
    RunHandler([&] { handled = HelpKeyPressed(s, key); });
    if (handled) return true;
  } else if (setup_dialog_ && root == setup_dialog_->hwnd()) {
    RunHandler([&] { SetupKeyPressed(s, key); });
    if (key.key == kKeyX && key.AltAlone()) return true;
    if (key.key == kKeyEscape && key.NoModifiers()) {
      RunHandler([&] { SetupCancel(s); });
      return true;
    }
    if (msg.wParam == VK_RETURN && key.NoModifiers()) {
      setup_dialog_->Enter();
      return true;
    }
  } else {
    return false;
  }

  // Tab moves on to the next control of the window, Shift+Tab back; Ctrl+Tab types a
  // tab character into an editable text area.
  if (msg.wParam == VK_TAB && !key.alt) {
    HWND focus = ::GetFocus();
    if (key.ctrl) {
      wchar_t name[16] = {};
      ::GetClassNameW(focus, name, 16);
      if (focus && _wcsicmp(name, L"Edit") == 0 &&
          !(::GetWindowLongW(focus, GWL_STYLE) & ES_READONLY)) {
        ::SendMessageW(focus, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
      }
      return true;
    }
    if (HWND next = ::GetNextDlgTabItem(root, focus, key.shift)) ::SetFocus(next);
    return true;
  }
  return false;
}

void Win32Platform::PumpPending() {
  MSG msg;
  while (!exit_status_ && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The loop that runs the program must see it too.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (PreTranslate(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

int Win32Platform::RunMessageLoop() {
  MSG msg;
  while (!exit_status_) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) break;
    if (PreTranslate(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return exit_status_.value_or(kExitOk);
}

void Win32Platform::MessageBox(const std::string& text) {
  ::MessageBoxW(DialogParent(), CaptionText(text).c_str(), kTitle, MB_OK);
}

std::string Win32Platform::InputBox(const std::string& prompt) {
  std::optional<std::wstring> answer =
      AskLine(DialogParent(), fonts_.ui(DpiOf(DialogParent())), kTitle, CaptionText(prompt));
  // The answers name files, so they are held as file names are.
  return answer ? PathBytes(*answer) : std::string();
}

std::optional<std::string> Win32Platform::OpenFileDialog(const FileDialogRequest& request) {
  std::wstring filter = NativeFilter(request.Filter);
  std::wstring title = CaptionText(request.Title);
  std::wstring folder = PathText(request.InitialDirectory);
  std::wstring name(32768, L'\0');
  std::wstring preset = PathText(request.FileName);
  std::copy_n(preset.begin(), std::min(preset.size(), name.size() - 1), name.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = DialogParent();
  ofn.lpstrFilter = request.Filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(1, request.FilterIndex));
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // The dialog leaves the working directory alone; nothing is confirmed here, the
  // commands ask themselves.
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
  if (!(request.Flags & 1)) ofn.Flags |= OFN_HIDEREADONLY;
  BOOL chosen = FALSE;
  if (request.ForSaving) {
    chosen = ::GetSaveFileNameW(&ofn);
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    chosen = ::GetOpenFileNameW(&ofn);
  }
  if (!chosen) return std::nullopt;
  return PathBytes(name.c_str());
}

void Win32Platform::Redraw() {
  if (!state_ || closing_) return;
  main_window_->Draw();
  help_window_->Draw();
  setup_dialog_->Draw();
}

void Win32Platform::ProcessEvents() {
  RethrowPendingExit();
  const auto now = std::chrono::steady_clock::now();
  if (now - last_events_ < kEventSpacing) return;
  PumpPending();
  last_events_ = std::chrono::steady_clock::now();
  RethrowPendingExit();
}

void Win32Platform::WaitForEvents() {
  RethrowPendingExit();
  ::WaitMessage();
  PumpPending();
  last_events_ = std::chrono::steady_clock::now();
  RethrowPendingExit();
}

void Win32Platform::CloseWindows() {
  if (closing_) return;
  closing_ = true;
  for (HWND hwnd : {main_window_ ? main_window_->hwnd() : nullptr,
                    help_window_ ? help_window_->hwnd() : nullptr,
                    setup_dialog_ ? setup_dialog_->hwnd() : nullptr}) {
    if (hwnd) ::ShowWindow(hwnd, SW_HIDE);
  }
  if (main_window_) main_window_->set_closing(true);
  if (help_window_) help_window_->set_closing(true);
  if (setup_dialog_) setup_dialog_->set_closing(true);
}

std::vector<std::string> Win32Platform::ListDrives() {
  // The drives where a user keeps files (fixed, removable and network drives, not
  // an empty CD drive), then the user's own folder.
  std::vector<std::string> drives;
  wchar_t roots[512] = {};
  DWORD length = ::GetLogicalDriveStringsW(511, roots);
  for (const wchar_t* root = roots; length > 0 && *root; root += wcslen(root) + 1) {
    UINT type = ::GetDriveTypeW(root);
    if (type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_REMOTE ||
        type == DRIVE_RAMDISK) {
      drives.push_back(PathBytes(root));
    }
  }
  wchar_t home[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"USERPROFILE", home, MAX_PATH) > 0) {
    drives.push_back(PathBytes(home));
  }
  return drives;
}

double Win32Platform::SecondsSinceMidnight() { return LocalSecondsSinceMidnight(); }

}  // namespace marrowlock
