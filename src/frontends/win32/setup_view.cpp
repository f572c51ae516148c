// SPDX-License-Identifier: MIT
#include <algorithm>

#include "app/make_key.h"
#include "files/setup_dialog.h"
#include "frontends/win32/control_ids.h"
#include "frontends/win32/fonts.h"
#include "frontends/win32/views.h"
#include "frontends/win32/win32_platform.h"
#include "frontends/win32/window_class.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/windows_support.h"

namespace marrowlock {

namespace {

using namespace win32;

// The folder above `path`; a drive's root ("C:\", "\\server\share\") stays itself.
std::string ParentOf(const std::string& path) {
  const size_t root = RootLength(path);
  size_t end = path.size();
  while (end > root && IsSeparator(path[end - 1])) --end;
  while (end > root && !IsSeparator(path[end - 1])) --end;
  while (end > root && IsSeparator(path[end - 1])) --end;
  return path.substr(0, std::max(end, root));
}

std::vector<std::string> SubfoldersOf(const std::string& folder) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (!entry.is_regular_file && IsDirectory(JoinPath(folder, entry.name))) {
      names.push_back(entry.name);
    }
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return AsciiLower(a) < AsciiLower(b);
  });
  return names;
}

void AddItem(HWND list, UINT message, const std::wstring& text) {
  ::SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

SetupView::SetupView(Win32Platform& platform, ProgramState& s) : platform_(platform), s_(s) {
  Create();
}

SetupView::~SetupView() {
  closing_ = true;
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void SetupView::Create() {
  RegisterViewClass(kSetupDialogClass, Procedure);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, kSetupDialogClass, L"",
                            style, CW_USEDEFAULT, CW_USEDEFAULT, 560, 380, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), this);
  HFONT font = platform_.fonts().ui(DpiOf(hwnd_));
  label1_ = MakeControl(hwnd_, L"Static", L"", WS_VISIBLE | SS_NOPREFIX, kSetupLabel1, font);
  drive1_ = MakeControl(hwnd_, L"ComboBox", L"",
                        WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kDrive1, font);
  dir1_ = MakeControl(hwnd_, L"ListBox", L"",
                      WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                      kDir1, font, WS_EX_CLIENTEDGE);
  file1_ = MakeControl(hwnd_, L"ListBox", L"",
                       WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       kFile1, font, WS_EX_CLIENTEDGE);
  path_ = MakeControl(hwnd_, L"Static", L"", WS_VISIBLE | SS_NOPREFIX | SS_PATHELLIPSIS, kSetupPath,
                      font);
  label2_ = MakeControl(hwnd_, L"Static", L"", WS_VISIBLE | SS_NOPREFIX, kSetupLabel2, font);
  MakeControl(hwnd_, L"Button", L"Make a &new key\u2026", WS_VISIBLE | WS_TABSTOP, kMakeKeyButton,
              font);
  MakeControl(hwnd_, L"Button", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kOkButton, font);
  MakeControl(hwnd_, L"Button", L"Cancel", WS_VISIBLE | WS_TABSTOP, kCancelButton, font);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, Scaled(hwnd_, 560), Scaled(hwnd_, 400),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetupView::OpenFolder(int row) {
  std::string target;
  if (row == 0) {
    target = ParentOf(shown_directory_);
  } else if (row > 0 && static_cast<size_t>(row) <= shown_subfolders_.size()) {
    target = JoinPath(shown_directory_, shown_subfolders_[static_cast<size_t>(row - 1)]);
  } else {
    return;
  }
  platform_.RunHandler([this, target] { SetupDirectoryChanged(s_, target); });
}

void SetupView::Enter() {
  if (::GetFocus() == dir1_) {
    OpenFolder(static_cast<int>(::SendMessageW(dir1_, LB_GETCURSEL, 0, 0)));
  } else if (::GetFocus() == ::GetDlgItem(hwnd_, kCancelButton)) {
    platform_.RunHandler([this] { SetupCancel(s_); });
  } else if (::GetFocus() == ::GetDlgItem(hwnd_, kMakeKeyButton)) {
    platform_.RunHandler([this] { MakeKeyInSetupDialog(s_); });
  } else {
    platform_.RunHandler([this] { SetupOk(s_); });
  }
}

void SetupView::Draw() {
  if (!hwnd_) return;
  const SetupDialog& d = s_.Dialog;
  SetTextIfChanged(hwnd_, CaptionText(d.Caption).c_str());
  SetTextIfChanged(label1_, CaptionText(d.Label1.Caption).c_str());
  ::ShowWindow(label1_, d.Label1.Visible ? SW_SHOWNA : SW_HIDE);
  SetTextIfChanged(label2_, CaptionText(d.Label2.Caption).c_str());
  ::ShowWindow(label2_, d.Label2.Visible ? SW_SHOWNA : SW_HIDE);

  if (d.Drives != shown_drives_) {
    ::SendMessageW(drive1_, CB_RESETCONTENT, 0, 0);
    for (const std::string& drive : d.Drives) AddItem(drive1_, CB_ADDSTRING, PathText(drive));
    shown_drives_ = d.Drives;
  }
  auto drive = std::find(shown_drives_.begin(), shown_drives_.end(), d.Drive);
  ::SendMessageW(drive1_, CB_SETCURSEL,
                 drive == shown_drives_.end() ? static_cast<WPARAM>(-1)
                                              : static_cast<WPARAM>(drive - shown_drives_.begin()),
                 0);

  if (d.Directory != shown_directory_ || !shown_once_) {
    shown_once_ = true;
    ::SendMessageW(dir1_, LB_RESETCONTENT, 0, 0);
    shown_directory_ = d.Directory;
    shown_subfolders_ =
        d.Directory.empty() ? std::vector<std::string>{} : SubfoldersOf(d.Directory);
    AddItem(dir1_, LB_ADDSTRING, L"..");
    for (const std::string& name : shown_subfolders_) {
      AddItem(dir1_, LB_ADDSTRING, L"[" + PathText(name) + L"]");
    }
    ::SetWindowTextW(path_, PathText(d.Directory).c_str());
  }
  if (d.Files != shown_files_) {
    ::SendMessageW(file1_, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : d.Files) AddItem(file1_, LB_ADDSTRING, PathText(name));
    shown_files_ = d.Files;
  }
  if (::SendMessageW(file1_, LB_GETCURSEL, 0, 0) != d.SelectedFile) {
    ::SendMessageW(file1_, LB_SETCURSEL, static_cast<WPARAM>(d.SelectedFile), 0);
  }

  const bool visible = d.Exists && d.Visible;
  if (visible && !::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    ::SetFocus(file1_);
  } else if (!visible && ::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_HIDE);
  }
}

LRESULT CALLBACK SetupView::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  SetupView* view = ViewOf<SetupView>(hwnd, message, lparam);
  if (view && view->hwnd_ == nullptr) view->hwnd_ = hwnd;
  if (!view) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return view->Handle(message, wparam, lparam);
}

LRESULT SetupView::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DPICHANGED:
      FollowDpiChange(hwnd_, platform_.fonts(), wparam, lparam);
      return 0;
    case WM_SIZE: {
      const int width = LOWORD(lparam);
      const int height = HIWORD(lparam);
      const int m = Scaled(hwnd_, 10);
      const int line = Scaled(hwnd_, 22);
      const int button_w = Scaled(hwnd_, 90);
      const int half = (width - 3 * m) / 2;
      const int lists_bottom = height - m - (line + 4) - m - 2 * line - line;
      ::MoveWindow(label1_, m, m, width - 2 * m, line, TRUE);
      ::MoveWindow(drive1_, m, m + line, half, Scaled(hwnd_, 200), TRUE);
      ::MoveWindow(dir1_, m, m + 2 * line + m / 2, half, lists_bottom - (m + 2 * line + m / 2),
                   TRUE);
      ::MoveWindow(file1_, 2 * m + half, m + line, half, lists_bottom - (m + line), TRUE);
      ::MoveWindow(path_, m, lists_bottom + m / 2, width - 2 * m, line, TRUE);
      ::MoveWindow(label2_, m, lists_bottom + m / 2 + line, width - 2 * m, 2 * line, TRUE);
      const int y = height - m - line - 4;
      ::MoveWindow(::GetDlgItem(hwnd_, kMakeKeyButton), m, y, Scaled(hwnd_, 150), line + 4, TRUE);
      ::MoveWindow(::GetDlgItem(hwnd_, kOkButton), width - 2 * (button_w + m), y, button_w,
                   line + 4, TRUE);
      ::MoveWindow(::GetDlgItem(hwnd_, kCancelButton), width - button_w - m, y, button_w, line + 4,
                   TRUE);
      return 0;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == kDrive1 && code == CBN_SELCHANGE) {
        const auto index = static_cast<size_t>(::SendMessageW(drive1_, CB_GETCURSEL, 0, 0));
        if (index < shown_drives_.size()) {
          std::string drive = shown_drives_[index];
          platform_.RunHandler([this, drive] { SetupDriveChanged(s_, drive); });
        }
      } else if (id == kDir1 && code == LBN_DBLCLK) {
        OpenFolder(static_cast<int>(::SendMessageW(dir1_, LB_GETCURSEL, 0, 0)));
      } else if (id == kFile1 && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        const int row = static_cast<int>(::SendMessageW(file1_, LB_GETCURSEL, 0, 0));
        platform_.RunHandler([this, row, code] {
          SetupFileSelected(s_, row);
          if (code == LBN_DBLCLK) SetupFileDoubleClicked(s_);
        });
      } else if (id == kOkButton && code == BN_CLICKED) {
        platform_.RunHandler([this] { SetupOk(s_); });
      } else if (id == kCancelButton && code == BN_CLICKED) {
        platform_.RunHandler([this] { SetupCancel(s_); });
      } else if (id == kMakeKeyButton && code == BN_CLICKED) {
        platform_.RunHandler([this] { MakeKeyInSetupDialog(s_); });
      }
      return 0;
    }
    case WM_CLOSE:
      if (!closing_ && s_.Dialog.Visible) platform_.RunHandler([this] { SetupCancel(s_); });
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace marrowlock
