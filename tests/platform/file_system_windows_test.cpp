// SPDX-License-Identifier: MIT
// The file layer's promises as Windows must keep them: names with either separator,
// drives and network roots, identities that tell files apart, 64-bit sizes, outputs
// that replace or keep an existing file, and plaintext readable by its owner only.
#include <windows.h>
// clang-format off: aclapi.h needs windows.h before it.
#include <aclapi.h>
// clang-format on

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/node_output.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(folder)) names.push_back(entry.name);
  return names;
}

TEST(WindowsPathsTest, BothSeparatorsDrivesAndNetworkNames) {
  // Explorer passes backslash names: the extension is the file's, not the folder's.
  EXPECT_EQ(WithExtension("C:\\data\\my.folder\\notes", "enc"), "C:\\data\\my.folder\\notes.enc");
  EXPECT_EQ(WithExtension("C:/data/my.folder/notes", "enc"), "C:/data/my.folder/notes.enc");
  EXPECT_EQ(FileNamePart("C:\\data/mixed\\a.txt"), "a.txt");
  EXPECT_EQ(FolderPart("C:\\data/mixed\\a.txt"), "C:\\data/mixed\\");
  EXPECT_EQ(FileNamePart("C:notes.txt"), "notes.txt");
  EXPECT_EQ(FolderPart("C:notes.txt"), "C:");

  for (const char* absolute :
       {"C:\\k.mlk", "c:/k.mlk", "\\\\server\\share\\k.mlk", "\\k.mlk", "/k.mlk"}) {
    EXPECT_TRUE(IsAbsolutePath(absolute)) << absolute;
  }
  for (const char* relative : {"k.mlk", "keys\\k.mlk", "C:k.mlk", ".\\k.mlk"}) {
    EXPECT_FALSE(IsAbsolutePath(relative)) << relative;
  }
  EXPECT_EQ(RootLength("C:\\a\\b"), 3u);
  EXPECT_EQ(RootLength("\\\\server\\share\\a"), 15u);
  EXPECT_EQ(JoinPath("C:\\keys", "k.mlk"), "C:\\keys\\k.mlk");
  EXPECT_EQ(JoinPath("C:\\", "k.mlk"), "C:\\k.mlk");

  // NTFS compares names without regard to case, and either separator will do.
  EXPECT_TRUE(NamesIgnoreCase());
  EXPECT_EQ(BareName("C:/Users/Ann/a.txt", "c:\\users\\ann"), "a.txt");
  EXPECT_EQ(BareName("C:\\Users\\Ann\\sub\\a.txt", "C:\\Users\\Ann"), "C:\\Users\\Ann\\sub\\a.txt");
}

TEST(WindowsFilesTest, IdentityTellsFilesApartAndFindsOneUnderAnyName) {
  TempDir dir;
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", "b");
  // The C runtime's stat gives every file the inode 0, which made any two files one.
  EXPECT_FALSE(SameFile(dir / "a.txt", dir / "b.txt"));
  EXPECT_TRUE(SameFile(dir / "a.txt", dir.path() + "\\A.TXT"));
  EXPECT_TRUE(SameFile("a.txt", ".\\a.txt"));
  ASSERT_TRUE(IdentityOf(dir / "a.txt").has_value());
  EXPECT_NE(IdentityOf(dir / "a.txt")->inode, 0u);
  EXPECT_FALSE(IdentityOf(dir / "missing").has_value());
}

TEST(WindowsFilesTest, SizesAndReadsPastFourGibibytes) {
  TempDir dir;
  constexpr int64_t kSize = (int64_t{4} << 30) + 100;
  {
    File file = File::CreateExclusive(dir / "big.bin", Access::kShared);
    HANDLE handle = reinterpret_cast<HANDLE>(file.Handle());
    DWORD returned = 0;
    // Sparse, so that the test needs no 4 GiB of disk.
    ::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = kSize - 4;
    ASSERT_TRUE(::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN));
    file.Write("tail");
    file.Close();
  }
  EXPECT_EQ(RegularFileSize(dir / "big.bin"), kSize);
  File in = File::OpenRead(dir / "big.bin");
  EXPECT_EQ(in.Size(), kSize);
  char tail[4];
  in.ReadIntoAt(tail, 4, kSize - 4);
  EXPECT_EQ(std::string(tail, 4), "tail");
  // A positioned read leaves the reading position where it was.
  EXPECT_EQ(in.Read(2), std::string(2, '\0'));
}

TEST(WindowsFilesTest, OutputFilesReplaceOrKeepAndLeaveNothingHidden) {
  TempDir dir;
  WriteFile(dir / "out.enc", "old");
  {
    OutputFile out(dir / "out.enc", Access::kShared);
    out.file().Write("new");
    out.Publish(OutputFile::Existing::kReplace);
  }
  EXPECT_EQ(ReadFile(dir / "out.enc"), "new");
  EXPECT_EQ(::GetFileAttributesW(L"out.enc") & FILE_ATTRIBUTE_HIDDEN, 0u);
  {
    OutputFile out(dir / "out.enc", Access::kShared);
    out.file().Write("newer");
    try {
      out.Publish(OutputFile::Existing::kKeep);
      ADD_FAILURE() << "an existing file was replaced";
    } catch (const FileError& e) {
      EXPECT_EQ(e.error_number(), EEXIST) << e.what();
    }
  }
  EXPECT_EQ(ReadFile(dir / "out.enc"), "new");
  {
    OutputFile abandoned(dir / "never.enc", Access::kPrivate);
    abandoned.file().Write("part");
  }
  std::vector<std::string> names = Names(dir.path());
  std::erase(names, "home");
  EXPECT_EQ(names, std::vector<std::string>{"out.enc"});
}

TEST(WindowsFilesTest, ErrorsReadAsOnOtherSystems) {
  TempDir dir;
  File::CreateExclusive(dir / "taken", Access::kShared).Close();
  try {
    File::CreateExclusive(dir / "taken", Access::kShared);
    ADD_FAILURE() << "an existing file was created again";
  } catch (const FileError& e) {
    EXPECT_EQ(e.error_number(), EEXIST);
    EXPECT_NE(std::string(e.what()).find(": File exists."), std::string::npos) << e.what();
  }
  EXPECT_THROW(File::OpenRead(dir.path()), FileError);
  EXPECT_THROW(File::OpenRead("NUL"), FileError);
  EXPECT_FALSE(RegularFileSize("NUL").has_value());
}

TEST(WindowsFilesTest, TheNullDeviceIsWrittenIntoNeverReplaced) {
  TempDir dir;
  for (const std::string& name : {std::string("NUL"), std::string("nul"), dir / "NUL.txt"}) {
    std::optional<File> node = OpenNodeOutput(name);
    ASSERT_TRUE(node.has_value()) << name;
    node->Write("discarded");
    node->Close();
  }
  EXPECT_FALSE(OpenNodeOutput(dir / "ordinary.txt").has_value());
  OutputFile out("NUL", Access::kPrivate);
  out.file().Write("discarded");
  out.Publish();
  std::vector<std::string> names = Names(dir.path());
  std::erase(names, "home");
  EXPECT_TRUE(names.empty());
}

TEST(WindowsFilesTest, PrivateFilesAreTheOwnersOnly) {
  if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
    GTEST_SKIP() << "Wine reports access lists made up from the Unix file mode, not the one "
                    "a file was created with";
  }
  TempDir dir;
  {
    OutputFile out(dir / "plain.dec", Access::kPrivate);
    out.file().Write("secret");
    out.Publish();
  }
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(::GetNamedSecurityInfoW(L"plain.dec", SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  if (dacl == nullptr || dacl->AceCount == 0) {
    ::LocalFree(descriptor);
    GTEST_SKIP() << "this file system keeps no access lists (Wine without extended attributes)";
  }
  EXPECT_EQ(dacl->AceCount, 1);
  ACCESS_ALLOWED_ACE* ace = nullptr;
  ASSERT_TRUE(::GetAce(dacl, 0, reinterpret_cast<void**>(&ace)));
  HANDLE token = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  std::vector<unsigned char> user(256);
  DWORD size = 0;
  ASSERT_TRUE(::GetTokenInformation(token, TokenUser, user.data(), 256, &size));
  ::CloseHandle(token);
  EXPECT_TRUE(::EqualSid(&ace->SidStart, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid));
  ::LocalFree(descriptor);
}

}  // namespace
}  // namespace marrowlock
