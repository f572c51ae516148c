// SPDX-License-Identifier: MIT
#include "frontends/console/console_platform.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/paths.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// A console whose standard input holds `input` and whose standard error is kept.
class ConsoleTest : public ::testing::Test {
 protected:
  void Feed(const std::string& input) {
    in = std::tmpfile();
    std::fputs(input.c_str(), in);
    std::rewind(in);
    err = std::tmpfile();
    console.emplace(in, err);
  }
  std::string Err() {
    std::fflush(err);
    std::rewind(err);
    std::string text;
    for (int c; (c = std::fgetc(err)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  void TearDown() override {
    if (in) std::fclose(in);
    if (err) std::fclose(err);
  }

  TempDir dir;
  std::FILE* in = nullptr;
  std::FILE* err = nullptr;
  std::optional<ConsolePlatform> console;
};

TEST_F(ConsoleTest, MessagesAreOneLineOnStandardError) {
  Feed("");
  console->MessageBox("No such file found.");
  EXPECT_EQ(Err(), "marlk: No such file found.\n");
}

TEST_F(ConsoleTest, QuestionsReadOneLineEachAndTheEndOfInputCancels) {
  Feed("first answer\r\nsecond\nlast without newline");
  EXPECT_EQ(console->InputBox("Enter file to encrypt:"), "first answer");
  EXPECT_EQ(console->InputBox("Again:"), "second");
  EXPECT_EQ(console->InputBox("Again:"), "last without newline");
  EXPECT_EQ(console->InputBox("Again:"), "");
  EXPECT_NE(Err().find("marlk: Enter file to encrypt:"), std::string::npos);
}

TEST_F(ConsoleTest, AFileDialogAnswerBecomesAFullPath) {
  Feed("sub/../k.mlk\n/abs/k.mlk\n\n");
  FileDialogRequest request;
  request.Title = "Open key";
  EXPECT_EQ(console->OpenFileDialog(request), JoinPath(dir.path(), "k.mlk"));
#ifdef _WIN32  // where a name from the root takes the current folder's drive
  EXPECT_EQ(console->OpenFileDialog(request), dir.path().substr(0, 2) + "\\abs\\k.mlk");
#else
  EXPECT_EQ(console->OpenFileDialog(request), "/abs/k.mlk");
#endif
  EXPECT_EQ(console->OpenFileDialog(request), std::nullopt) << "an empty line cancels";
  EXPECT_EQ(console->OpenFileDialog(request), std::nullopt) << "so does the end of input";
}

TEST_F(ConsoleTest, TheClockIsTheTimeOfDay) {
  Feed("");
  double t = console->SecondsSinceMidnight();
  EXPECT_GE(t, 0.0);
  EXPECT_LT(t, 86400.0);
}

}  // namespace
}  // namespace marrowlock
