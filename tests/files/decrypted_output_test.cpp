// SPDX-License-Identifier: MIT
#include "files/decrypted_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_identity.h"
#include "state/program_exit.h"
#include "state/window_commands.h"
#include "support/posix_only.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// Records Label1's caption and the bar's value at every redraw, as the user would see
// them change.
class CaptionRecorder : public ScriptedPlatform {
 public:
  ProgramState* state = nullptr;
  std::vector<std::string> captions;
  std::vector<int> bar;
  void Redraw() override {
    ScriptedPlatform::Redraw();
    if (!state) return;
    const int value = state->Form1.ProgressBar1.Value;
    if (state->Form1.ProgressBar1.Visible && (bar.empty() || bar.back() != value)) {
      bar.push_back(value);
    }
    if (!state->Form1.Label1.Visible) return;
    const std::string& caption = state->Form1.Label1.Caption;
    if (captions.empty() || captions.back() != caption) captions.push_back(caption);
  }
};

class DecryptedOutputTest : public ::testing::Test {
 protected:
  DecryptedOutputTest() { platform.state = &s; }

  // Runs `command` and returns the exit status it ended the program with, or -1.
  template <typename Command>
  int ExitStatusOf(Command command) {
    try {
      command();
    } catch (const ProgramExit& e) {
      return e.status;
    }
    return -1;
  }

  void EnterBinaryMode() {
    s.BinaryMode = true;
    s.Form1.Text1.Text = "(binary mode)";
  }

  std::vector<std::string> FolderEntries() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  CaptionRecorder platform;
  ProgramState s{platform};
};

TEST_F(DecryptedOutputTest, DerivesTheDecNameFromTheFileNamePartOnly) {
  struct Row {
    std::string source;
    std::string written;
  };
  std::filesystem::create_directory(dir / "dir.v2");
  std::filesystem::create_directory(dir / "my.dir");
  const std::vector<Row> rows = {
      {"report.enc", "report.dec"},           {"report", "report.dec"},
      {"archive.tar.enc", "archive.tar.dec"}, {"name.", "name.dec"},
      {"Report.ENC", "Report.dec"},           {"dir.v2/report", "dir.v2/report.dec"},
      {"my.dir/file", "my.dir/file.dec"},     {dir / "abs.enc", dir / "abs.dec"},
  };
  for (const Row& row : rows) {
    s.Form1.Text1.Text = "plain " + row.source;
    s.DecryptSourceName = row.source;
    SaveDecryptedOutput(s);
    EXPECT_EQ(ReadFile(row.written), "plain " + row.source) << row.source;
    EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File:(" + row.written + ")");
    EXPECT_TRUE(s.DecryptSourceName.empty());
  }
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.prompts.empty());
  EXPECT_FALSE(s.Form1.Label1.Visible);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
}

TEST_F(DecryptedOutputTest, AsksForANameWhenThereIsNoSourceAndStopsQuietlyOnCancel) {
  s.Form1.Text1.Text = "secret";
  platform.input_answers = {"", "typed"};
  SaveDecryptedOutput(s);
  EXPECT_TRUE(FolderEntries().empty());
  EXPECT_TRUE(platform.messages.empty());

  SaveDecryptedOutput(s);
  EXPECT_EQ(platform.prompts, (std::vector<std::string>{"Enter newly decrypted file's name:",
                                                        "Enter newly decrypted file's name:"}));
  EXPECT_EQ(ReadFile("typed.dec"), "secret");
}

TEST_F(DecryptedOutputTest, ACancelledRenameLeavesNothingPending) {
  s.Form1.Text1.Text = "text";
  platform.input_answers = {""};
  RenameCommand(s);
  EXPECT_FALSE(s.RenameRequested);
  EXPECT_TRUE(FolderEntries().empty());
  EXPECT_TRUE(platform.messages.empty());

  // The next decryption's save writes its ".dec" file without a question.
  s.DecryptSourceName = "next.enc";
  SaveDecryptedOutput(s);
  EXPECT_EQ(platform.prompts, std::vector<std::string>{"Enter new name for file:"});
  EXPECT_EQ(ReadFile("next.dec"), "text");

  // A rename refused for its name is over as well, and leaves no name for Decrypt.
  EnterBinaryMode();
  s.LoadedFileName = "loaded.bin";
  platform.input_answers = {"1st.bin"};
  RenameCommand(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Filename must begin with a letter."});
  EXPECT_FALSE(s.RenameRequested);
  EXPECT_EQ(s.DecryptSourceName, "");
}

TEST_F(DecryptedOutputTest, ARenamedResultKeepsTheTypedNameAsIs) {
  s.Form1.Text1.Text = "text";
  for (const char* name : {"out.txt", "plainname"}) {
    platform.input_answers = {name};
    RenameCommand(s);
    EXPECT_EQ(ReadFile(name), "text");
  }
  EXPECT_FALSE(FileExists(dir / "out.dec"));
  EXPECT_FALSE(FileExists(dir / "plainname.dec"));
}

TEST_F(DecryptedOutputTest, CommandLineRunsTakeTheSourceOrTheOutputOption) {
  s.StartedWithFile = true;
  s.BinaryMode = true;
  s.BinaryData.Append("bytes");
  s.DecryptSourceName = "cl.enc";
  SaveDecryptedOutput(s);
  EXPECT_EQ(ReadFile("cl.dec"), "bytes");

  s.OutputNameGiven = true;
  s.CommandLineOutputName = "given.out";
  RenameCommand(s);
  EXPECT_EQ(ReadFile("given.out"), "bytes");
  EXPECT_TRUE(platform.prompts.empty());
}

TEST_F(DecryptedOutputTest, TheFirstLetterRuleLooksAtTheFileNamePart) {
  std::filesystem::create_directory(dir / "sub");
  s.Form1.Text1.Text = "t";
  for (const std::string bad : {"1st.dec", "sub/1st.dec", " blank.dec", "sub/", "\xe9t\xe9.dec"}) {
    platform.input_answers = {bad};
    RenameCommand(s);
    ASSERT_EQ(platform.messages.size(), 1u) << bad;
    EXPECT_EQ(platform.messages.back(), "Filename must begin with a letter.");
    platform.messages.clear();
  }
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"sub"});
  EXPECT_TRUE(std::filesystem::is_empty(dir / "sub"));

  for (const std::string& good : {dir / "sub/report.dec", std::string("Zeta.dec")}) {
    platform.input_answers = {good};
    RenameCommand(s);
    EXPECT_EQ(ReadFile(good), "t");
  }
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DecryptedOutputTest, TheGuardAppliesToAnEmptyTextBoxInTextModeOnly) {
  RenameCommand(s);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"You first need to Load a file, or type in some text."});
  EXPECT_TRUE(platform.prompts.empty());

  platform.messages.clear();
  EnterBinaryMode();
  s.BinaryData.Append("held");
  platform.input_answers = {"held.bin"};
  RenameCommand(s);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile("held.bin"), "held");
}

TEST_F(DecryptedOutputTest, BatchModeRefusalsEndTheProgramWithAFailure) {
  s.BatchMode = true;
  s.StartedWithFile = true;
  s.Form1.Text1.Text = "t";
  s.DecryptSourceName = "1st.enc";
  EXPECT_EQ(ExitStatusOf([&] { SaveDecryptedOutput(s); }), kExitFailure);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Filename must begin with a letter."});

  s.DecryptSourceName = "";
  EXPECT_EQ(ExitStatusOf([&] { SaveDecryptedOutput(s); }), kExitFailure);

  s.BinaryMode = true;
  s.OutputNameGiven = true;
  s.CommandLineOutputName = "out.bin";
  EXPECT_EQ(ExitStatusOf([&] { RenameCommand(s); }), kExitFailure);
  EXPECT_EQ(platform.messages.back(), "No file to save.");
  EXPECT_FALSE(FileExists(dir / "out.bin"));
}

TEST_F(DecryptedOutputTest, CopiesALoadedFileInWholeReadsWithPercentagesEveryTwoSeconds) {
  std::string source(2 * 4001, '\0');
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 7);
  WriteFile(dir / "loaded.bin", source);
  EnterBinaryMode();
  s.LoadedFileName = "loaded.bin";
  platform.clock_step = 2.0;
  platform.input_answers = {"copy.bin"};
  RenameCommand(s);

  EXPECT_EQ(ReadFile("copy.bin"), source);
  EXPECT_EQ(ReadFile("loaded.bin"), source);
  EXPECT_EQ(s.BinaryData.size(), static_cast<int64_t>(source.size()));
  EXPECT_EQ(platform.captions, (std::vector<std::string>{"Saving", "Saving\r\n 25%",
                                                         "Saving\r\n 50%", "Saving\r\n100%"}));
  EXPECT_EQ(platform.bar, (std::vector<int>{0, 25, 50, 100}));
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File:(copy.bin)");
  if (const std::optional<unsigned> bits = PermissionBits(dir / "copy.bin")) {
    EXPECT_EQ(*bits, 0600u);
  }

  // The held copy is written again without reading a file.
  std::filesystem::remove(dir / "loaded.bin");
  platform.input_answers = {"again.bin"};
  RenameCommand(s);
  EXPECT_EQ(ReadFile("again.bin"), source);
}

TEST_F(DecryptedOutputTest, ALargeResultInMemoryIsWrittenInPiecesWithProgressAndEventsBetween) {
  const std::string bytes = std::string(5 << 20, 'r');
  EnterBinaryMode();
  s.BinaryData.Append(bytes);
  platform.clock_step = 1.0;
  int events = 0;
  platform.on_events = [&] {
    ++events;
    EXPECT_TRUE(s.CommandRunning) << "the window must start nothing else meanwhile";
  };
  platform.input_answers = {"renamed.bin"};
  RenameCommand(s);

  EXPECT_EQ(ReadFile("renamed.bin"), bytes);
  EXPECT_EQ(events, 5);
  EXPECT_EQ(platform.captions,
            (std::vector<std::string>{"Saving", "Saving\r\n 20%", "Saving\r\n 40%",
                                      "Saving\r\n 60%", "Saving\r\n 80%", "Saving\r\n100%"}));
  EXPECT_EQ(platform.bar, (std::vector<int>{0, 20, 40, 60, 80, 100}));
  EXPECT_FALSE(s.CommandRunning);
  EXPECT_FALSE(s.Form1.Label1.Visible);
}

// A result that lies whole in a file of its own takes the new name by a link to that
// file: nothing is copied, however large.
TEST_F(DecryptedOutputTest, AResultHeldInAFileIsRenamedByALink) {
  MARROWLOCK_POSIX_ONLY(kLinkOpenFile);
  WriteFile(dir / "held.dec", std::string(3 << 20, 'h'));
  EnterBinaryMode();
  s.BinaryData.BackByFile(File::OpenRead(dir / "held.dec"));
  s.BinaryData.GrowBacked(3 << 20);
  platform.input_answers = {"renamed.bin"};
  RenameCommand(s);
#if MARROWLOCK_LINUX_FEATURES
  EXPECT_TRUE(std::filesystem::equivalent("held.dec", "renamed.bin"));
  EXPECT_EQ(std::filesystem::hard_link_count("held.dec"), 2u);
  EXPECT_EQ(platform.process_events_calls, 0);
#else
  // Without /proc an open file cannot be linked: it is copied, the window kept answering.
  EXPECT_FALSE(std::filesystem::equivalent("held.dec", "renamed.bin"));
  EXPECT_EQ(ReadFile("renamed.bin"), std::string(3 << 20, 'h'));
#endif
  // Renamed onto a name it has already, it stays as it is, with no second name.
  platform.input_answers = {"renamed.bin"};
  RenameCommand(s);
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"held.dec", "renamed.bin"}));
  EXPECT_TRUE(platform.messages.empty()) << platform.messages[0];
}

// Escape while a result is written or copied: what was half written goes, the
// status line says so, and the next command is not abandoned by the same Escape. A
// result that was whole stays held; a copy cut short is not.
TEST_F(DecryptedOutputTest, EscapeWhileSavingAbandonsItAndLeavesNothing) {
  EnterBinaryMode();
  s.BinaryData.Append(std::string(5 << 20, 'r'));
  WriteFile(dir / "renamed.bin", "older");
  int events = 0;
  platform.on_events = [&] {
    if (++events == 2) s.AbortRequested = true;
  };
  platform.input_answers = {"renamed.bin"};
  RenameCommand(s);
  EXPECT_EQ(events, 2);
  EXPECT_EQ(ReadFile("renamed.bin"), "older");
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"renamed.bin"}));
  EXPECT_TRUE(s.Form1.Label1.Visible);
  EXPECT_EQ(s.Form1.Label1.Caption, "Saving abandoned.");
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_FALSE(s.CommandRunning);
  EXPECT_EQ(s.BinaryData.size(), 5 << 20);
  EXPECT_TRUE(platform.messages.empty());

  s.BinaryData.clear();
  WriteFile(dir / "loaded.bin", std::string(10 * 4001, 'l'));
  s.LoadedFileName = "loaded.bin";
  events = 0;
  platform.input_answers = {"copy.bin"};
  RenameCommand(s);
  EXPECT_FALSE(FileExists("copy.bin"));
  EXPECT_TRUE(s.BinaryData.empty());
  EXPECT_EQ(s.Form1.Label1.Caption, "Saving abandoned.");
}

// No save may put a result in place of the key in use or of the encrypted file it
// was decrypted from, under any of their names.
TEST_F(DecryptedOutputTest, RenameRefusesTheKeyAndTheEncryptedFileByIdentity) {
  WriteFile(dir / "k.mlk", "key bytes");
  std::filesystem::create_hard_link(dir / "k.mlk", dir / "k-again");
  WriteFile(dir / "x.enc", "encrypted");
  s.KeyFileName = dir / "k.mlk";
  s.DecryptedFrom = IdentityOf("x.enc");
  EnterBinaryMode();
  s.BinaryData.Append("plain");
  const std::pair<const char*, const char*> refused[] = {
      {"k.mlk", "Cannot write k.mlk: it is the key file in use."},
      {"k-again", "Cannot write k-again: it is the key file in use."},
      {"x.enc", "Cannot write x.enc: it is the encrypted file being decrypted."},
  };
  for (const auto& [name, message] : refused) {
    platform.messages.clear();
    platform.input_answers = {name};
    RenameCommand(s);
    EXPECT_EQ(platform.messages, std::vector<std::string>{message});
  }
  EXPECT_EQ(ReadFile("k.mlk"), "key bytes");
  EXPECT_EQ(ReadFile("x.enc"), "encrypted");
  // Once the decrypted result is given up, its encrypted file is a name like any other.
  ClearText(s);
  s.BinaryData.Append("plain");
  platform.input_answers = {"x.enc"};
  RenameCommand(s);
  EXPECT_EQ(ReadFile("x.enc"), "plain");
}

TEST_F(DecryptedOutputTest, ASmallCopyShowsNoPercentageBeforeTheEnd) {
  WriteFile(dir / "small.bin", std::string(100, 'x'));
  EnterBinaryMode();
  s.LoadedFileName = "small.bin";
  platform.clock_step = 0.5;  // updates within 2 seconds are not shown
  platform.input_answers = {"small.copy"};
  RenameCommand(s);
  EXPECT_EQ(ReadFile("small.copy"), std::string(100, 'x'));
  EXPECT_EQ(platform.captions, (std::vector<std::string>{"Saving", "Saving\r\n100%"}));
}

TEST_F(DecryptedOutputTest, ABinaryRenameWithNothingToSaveTouchesNoFile) {
  EnterBinaryMode();
  WriteFile(dir / "keep.bin", "precious");

  // Nothing held, nothing loaded: the existing file of the typed name stays.
  platform.input_answers = {"keep.bin"};
  RenameCommand(s);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"No file to save."});
  EXPECT_EQ(ReadFile("keep.bin"), "precious");
  EXPECT_FALSE(s.Form1.Label1.Visible);
  EXPECT_FALSE(s.Form1.ProgressBar1.Visible);

  // A loaded file that has gone: no target is created.
  s.LoadedFileName = "gone.bin";
  platform.input_answers = {"target.bin"};
  RenameCommand(s);
  EXPECT_EQ(platform.messages.back(), "No file to save.");
  EXPECT_FALSE(FileExists(dir / "target.bin"));

  // An empty loaded file is removed; the target is still not touched.
  WriteFile(dir / "empty.bin", "");
  s.LoadedFileName = "empty.bin";
  platform.input_answers = {"keep.bin"};
  RenameCommand(s);
  EXPECT_EQ(platform.messages.size(), 3u);
  EXPECT_FALSE(FileExists(dir / "empty.bin"));
  EXPECT_EQ(ReadFile("keep.bin"), "precious");
}

TEST_F(DecryptedOutputTest, RenamingTheLoadedFileOntoItsOwnNameKeepsIt) {
  EnterBinaryMode();
  WriteFile(dir / "own.bin", "my data");
  s.LoadedFileName = "own.bin";
  platform.input_answers = {"own.bin"};
  RenameCommand(s);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(ReadFile("own.bin"), "my data");
}

TEST_F(DecryptedOutputTest, DecryptedTextIsPrivateAndReplacesAnOlderFile) {
  WriteFile(dir / "old.dec", std::string(5000, 'o'));
  std::filesystem::permissions(
      dir / "old.dec", std::filesystem::perms::group_read | std::filesystem::perms::others_read,
      std::filesystem::perm_options::add);
  s.Form1.Text1.Text = "new";
  s.DecryptSourceName = "old.enc";
  SaveDecryptedOutput(s);
  EXPECT_EQ(ReadFile("old.dec"), "new");
  if (const std::optional<unsigned> bits = PermissionBits(dir / "old.dec")) {
    EXPECT_EQ(*bits, 0600u);
  }
}

TEST_F(DecryptedOutputTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  WriteFile(dir / "old.dec", "previous");
  EnterBinaryMode();
  // The held result lives in a working file that has lost its tail: the write fails
  // part-way, after the temporary file was made.
  WriteFile(dir / "default.dec", "abc");
  s.BinaryData.BackByFile(File::OpenRead(dir / "default.dec"));
  s.BinaryData.GrowBacked(10);
  s.DecryptSourceName = "old.enc";
  SaveDecryptedOutput(s);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].rfind("Cannot ", 0), 0u) << platform.messages[0];
  EXPECT_EQ(ReadFile("old.dec"), "previous");
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"default.dec", "old.dec"}));
  EXPECT_EQ(s.Form1.Label5.Caption, "Decrypted File ()");
  EXPECT_FALSE(s.Form1.Label1.Visible);

  s.Form1.Text1.Text = "x";
  s.BinaryMode = false;
  s.BatchMode = true;
  s.StartedWithFile = true;
  s.DecryptSourceName = "nofolder/out.enc";
  EXPECT_EQ(ExitStatusOf([&] { SaveDecryptedOutput(s); }), kExitFailure);
  EXPECT_EQ(platform.messages.back(), "Cannot create nofolder/out.dec: No such file or directory.");
}

}  // namespace
}  // namespace marrowlock
