// SPDX-License-Identifier: MIT
// Text for a person on Windows: characters on a console, bytes anywhere else.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/console.h"

namespace marrowlock {
namespace {

const char kName[] = "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87.mlk";  // "ключ.mlk"
const wchar_t kWideName[] = L"\x043A\x043B\x044E\x0447.mlk";

// A stdio stream over `handle`, as the C runtime makes standard error.
std::FILE* StreamOn(HANDLE handle) {
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  return fd < 0 ? nullptr : ::_fdopen(fd, "wb");
}

TEST(ConsoleTextTest, ARedirectedStreamGetsTheBytesAsTheyAre) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  ASSERT_TRUE(::CreatePipe(&read_end, &write_end, nullptr, 0));
  std::FILE* stream = StreamOn(write_end);
  ASSERT_NE(stream, nullptr);
  EXPECT_FALSE(TerminalErasesLines(stream));
  WriteText(stream, std::string(kName) + "\n");
  std::fclose(stream);
  char bytes[64];
  DWORD got = 0;
  ASSERT_TRUE(::ReadFile(read_end, bytes, sizeof bytes, &got, nullptr));
  ::CloseHandle(read_end);
  EXPECT_EQ(std::string(bytes, got), std::string(kName) + "\n");
}

// Bytes written to a console are read in its code page, which has no Cyrillic.
TEST(ConsoleTextTest, AConsoleShowsEveryCharacterOfAName) {
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  HANDLE console =
      ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !::GetConsoleMode(console, &mode)) {
    ::FreeConsole();
    GTEST_SKIP() << "no console here (Wine without a display cannot show one)";
  }
  ::SetConsoleOutputCP(1252);
  CONSOLE_SCREEN_BUFFER_INFO before;
  ASSERT_TRUE(::GetConsoleScreenBufferInfo(console, &before));
  std::FILE* stream = StreamOn(console);
  ASSERT_NE(stream, nullptr);
  WriteText(stream, std::string(kName) + "\n");
  wchar_t shown[16] = {};
  DWORD read = 0;
  ASSERT_TRUE(::ReadConsoleOutputCharacterW(console, shown, 8, before.dwCursorPosition, &read));
  EXPECT_EQ(std::wstring(shown, read), kWideName);

  // The progress line's erase sequence works once the console says it does.
  if (TerminalErasesLines(stream)) {
    ASSERT_TRUE(::GetConsoleMode(console, &mode));
    EXPECT_NE(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING, 0u);
  }
  std::fclose(stream);
  ::FreeConsole();
}

}  // namespace
}  // namespace marrowlock
