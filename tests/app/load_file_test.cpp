// SPDX-License-Identifier: MIT
#include "app/load_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// Bytes 0..255 over and over, so that a shifted or repeated piece would show.
std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 31 + i / 256);
  return bytes;
}

class LoadFileTest : public ::testing::Test {
 protected:
  // Loads `name` by its pending name in the current mode.
  void Load(const std::string& name) {
    s.LoadedFileName = name;
    LoadFile(s);
  }

  TempDir dir;
  ScriptedPlatform platform;
  ProgramState s{platform};
};

TEST_F(LoadFileTest, ShowsWholeFilesUpToTheDisplayLimitWithoutAWarning) {
  for (size_t length :
       {size_t{100}, size_t{4001}, size_t{8003}, size_t{28008}, size_t{30000}, size_t{32000}}) {
    std::string bytes = Pattern(length);
    WriteFile(dir / "shown.txt", bytes);
    s.BinaryData.Append("stale");
    Load("shown.txt");
    EXPECT_EQ(s.Form1.Text1.Text, bytes) << length;
    EXPECT_EQ(s.Form1.ProgressBar1.Value, 100);
    EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
    EXPECT_FALSE(s.Form1.Label1.Visible);
    EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File:(shown.txt)");
    EXPECT_TRUE(s.LoadedFileName.empty());
    EXPECT_TRUE(s.SourceText.empty());
    EXPECT_TRUE(s.BinaryData.empty());
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(s.CommandRunning);
}

TEST_F(LoadFileTest, AnOverlargeFileIsWarnedAboutAndShowsItsFirst32000Bytes) {
  std::string bytes = Pattern(45000);
  WriteFile(dir / "big.txt", bytes);
  Load("big.txt");
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Overlarge file 45000, displaying first 32000 bytes."});
  EXPECT_EQ(s.Form1.Text1.Text, bytes.substr(0, 32000));
}

TEST_F(LoadFileTest, ProgressCountsTheFullReads) {
  WriteFile(dir / "p.txt", Pattern(3 * 4001 + 5));
  std::vector<std::string> seen;
  platform.clock_step = 1.0;
  platform.on_events = [&] {
    EXPECT_TRUE(s.CommandRunning);
    seen.push_back(s.Form1.Label1.Caption + "|" + std::to_string(s.Form1.ProgressBar1.Value));
  };
  Load("p.txt");
  EXPECT_EQ(seen, (std::vector<std::string>{"Loading...|0", "Loading...\r\n 33%|31",
                                            "Loading...\r\n 66%|63"}));
  EXPECT_FALSE(s.CommandRunning);
}

TEST_F(LoadFileTest, BinaryModeOnlySelectsTheFileForTheNextEncryption) {
  WriteFile(dir / "big.bin", Pattern(45000));
  s.BinaryMode = true;
  s.Form1.Text1.Text = "(binary mode)";
  Load("big.bin");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(s.Form1.Text1.Text, "(binary mode)");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File:(big.bin)");
  EXPECT_EQ(s.EncryptSourceName, "big.bin");
  EXPECT_EQ(s.LoadedFileName, "big.bin");
  EXPECT_EQ(platform.process_events_calls, 0);
}

TEST_F(LoadFileTest, EscapeStopsTheLoadAfterTheCurrentRead) {
  WriteFile(dir / "long.txt", Pattern(5 * 4001));

  // Pressed during the third read: two reads are shown.
  int calls = 0;
  platform.on_events = [&] {
    if (++calls == 3) s.AbortRequested = true;
  };
  Load("long.txt");
  EXPECT_EQ(s.Form1.Text1.Text, Pattern(2 * 4001));
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File ()");
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  EXPECT_FALSE(s.Form1.Label1.Visible);
  EXPECT_FALSE(s.CommandRunning);

  // Pressed while idle: meant for no run, so the next load shows the whole text.
  platform.on_events = nullptr;
  s.AbortRequested = true;
  Load("long.txt");
  EXPECT_EQ(s.Form1.Text1.Text, Pattern(5 * 4001));
  EXPECT_FALSE(s.AbortRequested);
}

TEST_F(LoadFileTest, MissingEmptyOrNonRegularFilesEndSilentlyAndCreateNothing) {
  std::filesystem::create_directory(dir / "folder");
  WriteFile(dir / "empty.txt", "");
  s.Form1.Text1.Text = "kept";
  for (const char* name : {"nothing.txt", "folder", "empty.txt"}) Load(name);
  // A dialog that hands back no name leads to the typed name.
  platform.file_answers = {std::string(), std::string()};
  platform.input_answers = {"typed-missing.txt", ""};
  LoadFile(s);
  LoadFile(s);

  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(s.Form1.Text1.Text, "kept");
  EXPECT_FALSE(FileExists(dir / "nothing.txt"));
  EXPECT_FALSE(FileExists(dir / "typed-missing.txt"));
  EXPECT_EQ(platform.prompts,
            (std::vector<std::string>{"Enter file to load:", "Enter file to load:"}));
}

TEST_F(LoadFileTest, AFileRemovedBetweenTheDialogAndTheReadIsSimplyNotShown) {
  // The file was there when it was chosen and is gone when it is read.
  class VanishingPlatform : public ScriptedPlatform {
   public:
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
      auto answer = ScriptedPlatform::OpenFileDialog(request);
      std::filesystem::remove("shown.txt");
      return answer;
    }
  } vanishing;
  ProgramState t(vanishing);
  WriteFile("shown.txt", "text");
  vanishing.file_answers = {dir / "shown.txt"};
  t.Form1.Text1.Text = "kept";
  LoadFile(t);
  EXPECT_TRUE(vanishing.messages.empty());
  EXPECT_EQ(t.Form1.Text1.Text, "kept");
  EXPECT_FALSE(FileExists("shown.txt")) << "looking must not create it again";
  EXPECT_FALSE(t.CommandRunning);
}

TEST_F(LoadFileTest, TheDialogOffersTheFiltersOfTheModeAndKeepsFoldersOtherThanTheCurrentOne) {
  std::filesystem::create_directory(dir / "sub");
  WriteFile(dir / "here.txt", "here");
  WriteFile(dir / "sub/there.txt", "there");
  platform.file_answers = {dir / "here.txt", dir / "sub/there.txt"};
  LoadFile(s);
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File:(here.txt)");
  LoadFile(s);
  EXPECT_EQ(s.Form1.Text1.Text, "there");
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File:(" + dir / "sub/there.txt" + ")");

  s.BinaryMode = true;
  platform.file_answers = {std::nullopt};
  LoadFile(s);
  EXPECT_TRUE(s.LoadedFileName.empty());

  ASSERT_EQ(platform.file_requests.size(), 3u);
  const FileDialogRequest& text = platform.file_requests[0];
  EXPECT_EQ(text.Title, "Load");
  EXPECT_EQ(text.InitialDirectory, dir.path());
  EXPECT_EQ(text.FileName, "");
  EXPECT_EQ(text.FilterIndex, 2);
  EXPECT_EQ(text.Filter,
            "All Files (*.*)|*.*|Text Files(*.txt)|*.txt|Documents Files (*.doc;*.)|*.doc;*."
            "|Decrypted Files (*.dec)|*.dec");
  const FileDialogRequest& binary = platform.file_requests[2];
  EXPECT_EQ(binary.FilterIndex, 1);
  EXPECT_EQ(binary.Filter,
            "All Files (*.*)|*.*|Text Files(*.txt)|*.txt|Documents Files (*.doc;*.)|*.doc;*."
            "|Decrypted Files (*.dec)|*.dec|Program Files (*.exe;*.com)|*.exe;*.com"
            "|Winzip Files (*.zip)|*.zip|Picture Files (*.jpg;*.bmp;*.gif)|*.jpg;*.bmp;*.gif");
}

TEST_F(LoadFileTest, ACommandLineLoadEndsTheCommandLineRun) {
  WriteFile(dir / "a.dec", "decrypted");
  s.StartedWithFile = true;
  s.OutputNameGiven = true;
  s.UseDefaultKey = false;
  Load("a.dec");
  EXPECT_EQ(s.Form1.Text1.Text, "decrypted");
  EXPECT_FALSE(s.StartedWithFile);
  EXPECT_FALSE(s.OutputNameGiven);
  EXPECT_TRUE(s.UseDefaultKey);
}

}  // namespace
}  // namespace marrowlock
