// SPDX-License-Identifier: MIT
// Text on a Windows console. Bytes written to a console are read in its code page
// (437 or 1252, seldom UTF-8), which has no Cyrillic and no CJK: "ключ.mlk" would show
// as "╨║╨╗...". Written as UTF-16 characters, every name shows as it is. Redirected
// streams (files, pipes, NUL) get the UTF-8 bytes, as on every other system.
#include "platform/console.h"

#include <io.h>

#include <algorithm>
#include <mutex>

#include "platform/windows_support.h"

namespace marrowlock {
namespace {

// The console `stream` writes to, or nothing when it goes elsewhere.
HANDLE ConsoleOf(std::FILE* stream) {
  const intptr_t os_handle = ::_get_osfhandle(::_fileno(stream));
  if (os_handle == -1 || os_handle == -2) return nullptr;
  const HANDLE handle = reinterpret_cast<HANDLE>(os_handle);
  DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// False when the console took none of it, and the bytes should go instead.
bool WriteCharacters(HANDLE console, std::wstring_view text) {
  // Old consoles refuse very long writes; a piece never ends between the two
  // halves of a surrogate pair.
  constexpr size_t kPiece = 8192;
  bool any = false;
  while (!text.empty()) {
    size_t piece = std::min(text.size(), kPiece);
    if (piece < text.size() && IS_HIGH_SURROGATE(text[piece - 1])) --piece;
    DWORD written = 0;
    if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(piece), &written, nullptr) ||
        written == 0) {
      return any;
    }
    any = true;
    text.remove_prefix(std::min<size_t>(written, text.size()));
  }
  return true;
}

// The mode a console had before the progress line switched its virtual-terminal
// processing on: given back when the program ends, so that the shell finds its
// console as it left it.
struct ConsoleModeRestorer {
  std::mutex mutex;
  HANDLE console = nullptr;
  DWORD mode = 0;
  ~ConsoleModeRestorer() {
    if (console != nullptr) ::SetConsoleMode(console, mode);
  }
};

}  // namespace

void WriteText(std::FILE* stream, std::string_view text) {
  std::fflush(stream);
  if (HANDLE console = ConsoleOf(stream)) {
    if (WriteCharacters(console, Wide(text))) return;
  }
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

bool TerminalErasesLines(std::FILE* stream) {
  const HANDLE console = ConsoleOf(stream);
  if (console == nullptr) return false;
  DWORD mode = 0;
  if (!::GetConsoleMode(console, &mode)) return false;
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  // Consoles before Windows 10 refuse the mode: carriage returns must do there.
  if (!::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  static ConsoleModeRestorer restorer;
  std::lock_guard<std::mutex> lock(restorer.mutex);
  if (restorer.console == nullptr) {
    restorer.console = console;
    restorer.mode = mode;
  }
  return true;
}

}  // namespace marrowlock
