// SPDX-License-Identifier: MIT
#include "frontends/win32/window_driver.h"

#include "support/program_run.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace marrowlock {

namespace {

using Clock = std::chrono::steady_clock;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[128] = {};
  ::GetClassNameW(hwnd, name, 128);
  return name;
}

struct Search {
  DWORD pid;
  const std::wstring* window_class;
  const std::wstring* title;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !::IsWindowVisible(hwnd)) return TRUE;
  if (ClassOf(hwnd) != *search->window_class) return TRUE;
  if (!search->title->empty() && TextOf(hwnd) != *search->title) return TRUE;
  search->found = hwnd;
  return FALSE;
}

BOOL CALLBACK FindEdit(HWND hwnd, LPARAM data) {
  if (ClassOf(hwnd) == L"Edit" && ::IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(data) = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = Wide(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

WindowDriver::WindowDriver(const std::string& program, const std::vector<std::string>& args,
                           const std::string& folder, const std::vector<std::string>& environment) {
  std::wstring command_line = QuotedArgument(WindowsPath(program));
  for (const std::string& arg : args) command_line += L" " + QuotedArgument(Wide(arg));
  // The child inherits the environment as it is at its start.
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved;
  for (const std::string& entry : environment) {
    const size_t eq = entry.find('=');
    std::wstring name = Wide(entry.substr(0, eq));
    wchar_t old[32768];
    DWORD length = ::GetEnvironmentVariableW(name.c_str(), old, 32768);
    saved.emplace_back(name, length ? std::optional<std::wstring>(old) : std::nullopt);
    ::SetEnvironmentVariableW(
        name.c_str(), eq == std::string::npos ? nullptr : Wide(entry.substr(eq + 1)).c_str());
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring where = WindowsPath(folder);
  BOOL started = ::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  where.c_str(), &startup, &process_);
  for (const auto& [name, value] : saved) {
    ::SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
  }
  if (!started) throw std::runtime_error("cannot start " + program);
  // Its windows can be found once it waits for input for the first time.
  ::WaitForInputIdle(process_.hProcess, 30000);
}

WindowDriver::~WindowDriver() {
  if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.hProcess, 99);
    ::WaitForSingleObject(process_.hProcess, 10000);
  }
  ::CloseHandle(process_.hThread);
  ::CloseHandle(process_.hProcess);
}

bool WindowDriver::WaitUntil(const std::function<bool()>& done, double timeout) {
  const auto end = Clock::now() + std::chrono::duration<double>(timeout);
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

HWND WindowDriver::WaitForWindow(const std::wstring& window_class, const std::wstring& title,
                                 double timeout) const {
  Search search{process_.dwProcessId, &window_class, &title};
  WaitUntil(
      [&] {
        search.found = nullptr;
        ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeout);
  return search.found;
}

std::optional<int> WindowDriver::WaitForExit(double timeout) const {
  if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout * 1000)) !=
      WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD status = 0;
  ::GetExitCodeProcess(process_.hProcess, &status);
  return static_cast<int>(status);
}

std::wstring WindowDriver::AnswerMessageBox(double timeout) const {
  HWND box = WaitForWindow(L"#32770", L"marlk", timeout);
  if (!box) return L"";
  // The message box's text is its static control 0xFFFF.
  std::wstring text = TextOf(::GetDlgItem(box, 0xFFFF));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, timeout);
  return text;
}

bool WindowDriver::AnswerInputBox(const std::wstring& answer, double timeout) const {
  HWND box = WaitForWindow(L"MarrowlockInputBox", L"", timeout);
  if (!box) return false;
  ::SendMessageW(::GetDlgItem(box, 502), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  return WaitUntil([&] { return !::IsWindow(box); }, timeout);
}

bool WindowDriver::AnswerFileDialog(const std::wstring& title, const std::wstring& path,
                                    double timeout) const {
  HWND dialog = WaitForWindow(L"#32770", title, timeout);
  if (!dialog) return false;
  // The name box: the combo box's edit (cmb13), or the plain edit (edt1).
  HWND name = nullptr;
  if (HWND combo = ::GetDlgItem(dialog, 0x47C))
    ::EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&name));
  if (!name) name = ::GetDlgItem(dialog, 0x480);
  if (!name) return false;
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, timeout);
}

std::wstring TextOf(HWND hwnd) {
  if (!hwnd) return L"";
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length)) {
    return L"";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 10000, &got);
  text.resize(std::min<size_t>(got, length));
  return text;
}

HWND Control(HWND parent, int id) { return ::GetDlgItem(parent, id); }

void Type(HWND control, const std::wstring& text) {
  for (wchar_t c : text) ::PostMessageW(control, WM_CHAR, c, 1);
}

void PressKey(HWND control, UINT virtual_key, bool alt) {
  const LPARAM repeat = 1 | (alt ? (1 << 29) : 0);
  ::PostMessageW(control, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtual_key, repeat);
  ::PostMessageW(control, alt ? WM_SYSKEYUP : WM_KEYUP, virtual_key,
                 repeat | (1u << 30) | (1u << 31));
}

void PressKeys(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    inputs.push_back(down);
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT r;
  if (!::GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  HANDLE out = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(out, &file, sizeof(file), &written, nullptr) &&
            ::WriteFile(out, &info, sizeof(info), &written, nullptr) &&
            ::WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  ::CloseHandle(out);
  return ok;
}

void PostCommand(HWND window, int id, int code, HWND from) {
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
}

}  // namespace marrowlock
