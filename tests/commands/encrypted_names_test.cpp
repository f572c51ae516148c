// SPDX-License-Identifier: MIT
#include "commands/encrypted_names.h"

#include <gtest/gtest.h>

namespace marrowlock {
namespace {

struct NameCase {
  const char* given;
  const char* expected;
};

TEST(EncryptedNames, BinaryEncryptionReplacesTheFileNamesLastExtension) {
  NameCase cases[] = {
      {"/dir/report.txt", "/dir/report.enc"},
      {"/dir/archive.tar.gz", "/dir/archive.tar.enc"},
      {"/dir/readme", "/dir/readme.enc"},
      {"name.", "name.enc"},
      // A dot in a folder name never decides.
      {"/a.b/file", "/a.b/file.enc"},
      {"dir.v2/report", "dir.v2/report.enc"},
      {"./report", "./report.enc"},
      // Leading dots mark a hidden file, not an extension.
      {".notes", ".notes.enc"},
      {"dir/.notes.txt", "dir/.notes.enc"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(EncryptedNameFor(c.given), c.expected) << c.given;
}

TEST(EncryptedNames, TypedNamesGetEncUnlessTheyEndInItInAnyCase) {
  EXPECT_EQ(TypedEncryptedName("report"), "report.enc");
  EXPECT_EQ(TypedEncryptedName("REPORT.ENC"), "REPORT.ENC");
  EXPECT_EQ(TypedEncryptedName("a.txt"), "a.txt.enc");
}

TEST(EncryptedNames, DecryptionOpensTheEncFileOfAnyGivenName) {
  NameCase cases[] = {
      {"ledger", "ledger.enc"}, {"ledger.dec", "ledger.enc"},   {"LEDGER.ENC", "LEDGER.ENC"},
      {"x.y.enc", "x.y.enc"},   {"/a.b/file", "/a.b/file.enc"}, {".hidden", ".hidden.enc"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(EncryptedFileToOpen(c.given), c.expected) << c.given;
}

TEST(EncryptedNames, BatchOutputCutsAtTheFileNamesFirstDot) {
  EXPECT_EQ(BatchDecryptedName("x.y.enc"), "x.dec");
  EXPECT_EQ(BatchDecryptedName("/in/data.enc"), "/in/data.dec");
  EXPECT_EQ(BatchDecryptedName("dir.v2/x.enc"), "dir.v2/x.dec");
  EXPECT_EQ(BatchDecryptedName(".notes.enc"), ".notes.dec");
}

}  // namespace
}  // namespace marrowlock
