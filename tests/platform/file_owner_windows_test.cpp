// SPDX-License-Identifier: MIT
// Whose a file is on Windows: the user's own, or another user's.
#include <windows.h>
// After windows.h:
#include <aclapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/file_identity.h"
#include "support/temp_dir.h"  // WriteFile

namespace marrowlock {
namespace {

// The file's owner SID as bytes, told apart from the file layer's own reading.
std::string OwnerOf(const std::filesystem::path& path) {
  HANDLE file = ::CreateFileW(path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::string bytes;
  if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) == ERROR_SUCCESS) {
    if (owner != nullptr) bytes.assign(static_cast<const char*>(owner), ::GetLengthSid(owner));
    ::LocalFree(descriptor);
  }
  ::CloseHandle(file);
  return bytes;
}

// Wine shows a file of another Unix user as another user's (S-1-5-7): the test makes
// one with chown, which only Wine can start and only root may do, in a folder that Wine
// reaches through Z:, where a Windows name is a Unix one.
TEST(FileOwnerTest, ADefaultKeyOfAnotherUserIsNotTheUsers) {
  std::filesystem::path folder = std::filesystem::current_path() / "file-owner-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  const std::string key = (folder / "default.ppl").string();
  WriteFile(key, std::string(32, 'k'));
  EXPECT_EQ(HolderOf(key), NameHolder::kOwnFile);

  // Wine starts a Unix program and does not wait for it: the owner is polled.
  const std::string own = OwnerOf(folder / "default.ppl");
  std::wstring unix_name = (folder / "default.ppl").wstring();
  bool given = false;
  if (unix_name.starts_with(L"Z:") || unix_name.starts_with(L"z:")) {
    unix_name.erase(0, 2);
    std::replace(unix_name.begin(), unix_name.end(), L'\\', L'/');
    std::wstring command = L"Z:\\bin\\chown 65534 " + unix_name;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(L"Z:\\bin\\chown", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         L"C:\\", &startup, &process)) {
      ::CloseHandle(process.hProcess);
      ::CloseHandle(process.hThread);
      for (int i = 0; i < 100 && !given; ++i) {
        ::Sleep(50);
        given = OwnerOf(folder / "default.ppl") != own;
      }
    }
  }
  if (given) {
    EXPECT_EQ(HolderOf(key), NameHolder::kAnotherUsersFile);
  }
  std::filesystem::remove_all(folder);
  if (!given) GTEST_SKIP() << "no file of another user can be made here (Wine as root only)";
}

}  // namespace
}  // namespace marrowlock
