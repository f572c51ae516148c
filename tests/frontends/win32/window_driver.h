// SPDX-License-Identifier: MIT
#pragma once

#include "frontends/win32/system_headers.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marrowlock {

// The Windows window of a running marrowlock.exe, driven from outside as a user's
// actions reach it: commands and keys are posted to its windows, dialogs are found
// by their class and title and answered through their controls. Every wait gives up
// after `timeout` seconds, which a test then reports.
class WindowDriver {
 public:
  // Starts `program` with `args` in `folder`; `environment` entries ("NAME=value",
  // or "NAME" to remove it) change the test's own environment for it.
  WindowDriver(const std::string& program, const std::vector<std::string>& args,
               const std::string& folder, const std::vector<std::string>& environment);
  ~WindowDriver();  // ends the program if it still runs
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  // A shown top-level window of the program whose class is `window_class` (and, if
  // given, whose title is `title`); null after the timeout.
  HWND WaitForWindow(const std::wstring& window_class, const std::wstring& title = L"",
                     double timeout = 30) const;
  // Waits until `done` holds; false after the timeout.
  static bool WaitUntil(const std::function<bool()>& done, double timeout = 30);
  // The exit status once the program has ended, nothing after the timeout.
  std::optional<int> WaitForExit(double timeout = 30) const;

  // The message box that is shown: returns its text and presses OK ("" after the
  // timeout).
  std::wstring AnswerMessageBox(double timeout = 30) const;
  // Types `answer` into the input box and presses OK; false when none showed.
  bool AnswerInputBox(const std::wstring& answer, double timeout = 30) const;
  // Gives the file dialog titled `title` the full path `path` and presses Open or
  // Save; false when none showed.
  bool AnswerFileDialog(const std::wstring& title, const std::wstring& path,
                        double timeout = 30) const;

  DWORD process_id() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_{};
};

// What a window or control shows (WM_GETTEXT, which reaches another process).
std::wstring TextOf(HWND hwnd);
// The control `id` of `parent`.
HWND Control(HWND parent, int id);
// Types `text` into `control` character by character, as the keyboard would.
void Type(HWND control, const std::wstring& text);
// A key press on `control`: Alt through the system key message, as Windows sends it.
void PressKey(HWND control, UINT virtual_key, bool alt = false);
// Clicks a menu entry, toolbar button or push button of `window`.
void PostCommand(HWND window, int id, int code = 0, HWND from = nullptr);

// Presses `keys` down in order and lets them go in reverse, through the system's
// input queue, for the window in the foreground.
void PressKeys(const std::vector<WORD>& keys);
// Writes what the screen shows of `window`, frame included, as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::string& path);

// A path with backslashes, as a Windows user types it.
std::wstring WindowsPath(const std::string& path);

}  // namespace marrowlock
