// SPDX-License-Identifier: MIT
// The Windows window, run as the real marrowlock.exe and driven from outside through
// window messages: what a user does with the mouse and the keyboard, and what lands
// on the disk.
#include "frontends/win32/window_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/command_table.h"
#include "app/dispatch.h"
#include "frontends/win32/control_ids.h"
#include "frontends/win32/win32_platform.h"
#include "frontends/win32/window_class.h"
#include "state/program_state.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

using namespace win32;

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder = ".", const std::string& input = "") {
  ProgramRun run;
  run.program = program;
  run.args = args;
  run.folder = folder;
  run.input = input;
  return RunToEnd(run);
}

int MenuId(Command command) { return kFirstMenuEntry + static_cast<int>(command); }

// Binary mode shows no encoding in the status bar's last part.
bool InBinaryMode(HWND form) {
  return LOWORD(::SendMessageW(Control(form, kStatusBar), SB_GETTEXTLENGTHW, 2, 0)) == 0;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = dir_ / "k.mlk";
    ASSERT_EQ(RunProgram(MARROWLOCK_KEYGEN_BINARY, {"-n", "16", key_}).status, 0);
  }

  // Settings with `key_` as the default key, as a first batch run leaves them.
  void SetDefaultKey() {
    WriteFile(dir_ / "seed.txt", "seed");
    ProgramResult run =
        RunProgram(MARROWLOCK_CONSOLE_BINARY, {"seed.txt", "-i"}, dir_.path(), key_ + "\n");
    ASSERT_EQ(run.status, 0) << run.err;
  }

  // big.bin, large enough that a run on it is still going when the test steps in: a run
  // over 64 MiB once ended before a message posted as it began was handled. Sparse
  // where the file system allows; an abandoned run writes little of it.
  void WriteLongRunSource() {
    WriteFile(dir_ / "big.bin", "");
    std::filesystem::resize_file(std::filesystem::u8path(dir_ / "big.bin"), uintmax_t{1} << 30);
  }

  // The window, started on the default key, with Form1 shown.
  HWND Start(const std::vector<std::string>& args = {}) {
    driver_ = std::make_unique<WindowDriver>(MARROWLOCK_BINARY, args, dir_.path(),
                                             std::vector<std::string>{});
    return driver_->WaitForWindow(kMainWindowClass);
  }

  // Opens `key_` with Key > New key.
  void OpenKey(HWND form) {
    PostCommand(form, MenuId(Command::kOpenKey));
    ASSERT_TRUE(driver_->AnswerFileDialog(L"New Key", WindowsPath(key_)));
    const std::wstring name = std::filesystem::u8path(key_).filename().wstring();
    ASSERT_TRUE(WindowDriver::WaitUntil(
        [&] { return TextOf(Control(form, kLabel6)).find(name) != std::wstring::npos; }));
  }

  // What batch mode makes of `bytes` with the same key: the reference for the window.
  std::string BatchEncrypted(const std::string& bytes) {
    WriteFile(dir_ / "reference.txt", bytes);
    ProgramResult run =
        RunProgram(MARROWLOCK_CONSOLE_BINARY, {"reference.txt", "-i", "-k" + key_}, dir_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    return ReadFile(dir_ / "reference.enc");
  }

  TempDir dir_;
  std::string key_;
  std::unique_ptr<WindowDriver> driver_;
};

TEST_F(WindowTest, AFreshAccountGetsTheSetupDialogWhichWritesTheSettings) {
  TempDir appdata;
  // %APPDATA% and nothing else says where the settings go.
  driver_ = std::make_unique<WindowDriver>(
      MARROWLOCK_BINARY, std::vector<std::string>{}, dir_.path(),
      std::vector<std::string>{"MARROWLOCK_HOME", "APPDATA=" + appdata.path()});
  HWND setup = driver_->WaitForWindow(kSetupDialogClass, L"Marrowlock Initial Setup");
  ASSERT_NE(setup, nullptr);
  HWND files = Control(setup, kFile1);
  ASSERT_TRUE(
      WindowDriver::WaitUntil([&] { return ::SendMessageW(files, LB_GETCOUNT, 0, 0) == 1; }));
  ::SendMessageW(files, LB_SETCURSEL, 0, 0);
  PostCommand(setup, kFile1, LBN_SELCHANGE, files);
  PostCommand(setup, kOkButton, BN_CLICKED, Control(setup, kOkButton));

  HWND form = driver_->WaitForWindow(kMainWindowClass);
  ASSERT_NE(form, nullptr);
  const std::string settings = appdata.path() + "/Marrowlock/mlinfo.dat";
  ASSERT_TRUE(FileExists(settings));
  EXPECT_NE(ReadFile(settings).find("k.mlk"), std::string::npos);
  EXPECT_FALSE(FileExists(dir_.home() + "/mlinfo.dat"));

  PressKey(Control(form, kText1), 'X', /*alt=*/true);
  EXPECT_EQ(driver_->WaitForExit(), 0);
}

TEST_F(WindowTest, CancelInTheSetupDialogEndsTheProgram) {
  driver_ = std::make_unique<WindowDriver>(MARROWLOCK_BINARY, std::vector<std::string>{},
                                           dir_.path(), std::vector<std::string>{});
  HWND setup = driver_->WaitForWindow(kSetupDialogClass);
  ASSERT_NE(setup, nullptr);
  PressKey(Control(setup, kFile1), VK_ESCAPE);
  EXPECT_TRUE(driver_->WaitForExit().has_value());
  EXPECT_FALSE(FileExists(dir_.home() + "/mlinfo.dat"));
}

// Type, encrypt, decrypt and save: the bytes match what batch mode makes, the text
// comes back byte for byte in windows-1252 with CR LF line breaks.
TEST_F(WindowTest, ATypedTextIsEncryptedDecryptedAndSavedByteForByte) {
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  OpenKey(form);
  HWND text1 = Control(form, kText1);
  const std::wstring typed = L"Meet at nine.\rCaf\u00e9 \u20ac5";
  Type(text1, typed);
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(text1).size() == typed.size() + 1; }));
  const std::string bytes =
      "Meet at nine.\r\nCaf\xE9 \x80"
      "5";

  PostCommand(form, kFirstButton + RowOf(Command::kEncrypt).button.position);
  ASSERT_TRUE(driver_->AnswerInputBox(L"note"));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "note.enc"); }));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return !TextOf(Control(form, kText2)).empty(); }));
  EXPECT_EQ(ReadFile(dir_ / "note.enc"), BatchEncrypted(bytes));

  PostCommand(form, MenuId(Command::kClear));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(text1).empty(); }));
  PostCommand(form, MenuId(Command::kDecrypt));
  ASSERT_TRUE(driver_->AnswerFileDialog(L"Decrypt", WindowsPath(dir_ / "note.enc")));
  ASSERT_TRUE(WindowDriver::WaitUntil(
      [&] { return TextOf(text1).starts_with(L"Meet at nine.\r\nCaf\u00e9 \u20ac5"); }));

  PostCommand(form, MenuId(Command::kSaveText));
  ASSERT_TRUE(driver_->AnswerFileDialog(L"Save Text", WindowsPath(dir_ / "saved.txt")));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "saved.txt"); }));
  // The decrypted text keeps the last block's padding, as a decrypted file does.
  EXPECT_EQ(ReadFile(dir_ / "saved.txt").substr(0, bytes.size()), bytes);
  EXPECT_EQ(ReadFile(dir_ / "saved.txt"), ReadFile(dir_ / "note.dec"));
}

TEST_F(WindowTest, ACharacterThatWindows1252CannotHoldIsRefusedUntilUtf8IsChosen) {
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  OpenKey(form);
  HWND text1 = Control(form, kText1);
  Type(text1, L"\u0101bc");
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(text1).size() == 3; }));
  PostCommand(form, MenuId(Command::kEncrypt));
  EXPECT_EQ(driver_->AnswerMessageBox(), Wide(kUnencodableTextMessage));
  EXPECT_FALSE(FileExists(dir_ / "u.enc"));

  PostCommand(form, MenuId(Command::kUtf8));
  PostCommand(form, MenuId(Command::kEncrypt));
  ASSERT_TRUE(driver_->AnswerInputBox(L"u"));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "u.enc"); }));
  EXPECT_EQ(ReadFile(dir_ / "u.enc"), BatchEncrypted("\xC4\x81"
                                                     "bc"));
}

TEST_F(WindowTest, ABinaryFileRunMatchesBatchModeAndEscapeAbandonsALongOne) {
  SetDefaultKey();
  std::string data(300000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7919 % 251);
  WriteFile(dir_ / "small.bin", data);
  const std::string expected = BatchEncrypted(data);

  HWND form = Start();
  ASSERT_NE(form, nullptr);
  OpenKey(form);
  PostCommand(form, MenuId(Command::kBinaryMode));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return InBinaryMode(form); }));
  PostCommand(form, MenuId(Command::kLoad));
  ASSERT_TRUE(driver_->AnswerFileDialog(L"Load", WindowsPath(dir_ / "small.bin")));
  PostCommand(form, MenuId(Command::kEncrypt));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "small.enc"); }));
  EXPECT_EQ(ReadFile(dir_ / "small.enc"), expected);

  WriteLongRunSource();
  // Alt+L asks for a file again; the menu entry would take the one loaded before.
  PressKey(Control(form, kText1), 'L', /*alt=*/true);
  ASSERT_TRUE(driver_->AnswerFileDialog(L"Load", WindowsPath(dir_ / "big.bin")));
  PostCommand(form, MenuId(Command::kEncrypt));
  HWND progress = Control(Control(form, kStatusBar), kProgressBar);
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return ::IsWindowVisible(progress) != FALSE; }));
  // After the Alt+L above, Wine may leave the menu bar in keyboard mode, where the
  // first Escape only ends that mode: a second one then reaches the run.
  const auto abandoned = [&] {
    return TextOf(Control(form, kStatusBar)) == L"Encryption abandoned.";
  };
  PressKey(Control(form, kText1), VK_ESCAPE);
  if (!WindowDriver::WaitUntil(abandoned, 2.0)) PressKey(Control(form, kText1), VK_ESCAPE);
  ASSERT_TRUE(WindowDriver::WaitUntil(abandoned))
      << "status: " << testing::PrintToString(TextOf(Control(form, kStatusBar)));
  EXPECT_FALSE(FileExists(dir_ / "big.enc"));
}

// The user logs off while a run writes: the window ends the program at once, as a
// closed console does, and the run's hidden file goes with it.
TEST_F(WindowTest, TheSessionEndingDuringARunEndsItAndLeavesNoHiddenFile) {
  SetDefaultKey();
  WriteLongRunSource();
  auto hidden_files = [&] {
    std::vector<std::wstring> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::u8path(dir_.path()))) {
      std::wstring name = entry.path().filename().wstring();
      if (name.starts_with(L".mlk-")) names.push_back(name);
    }
    return names;
  };
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  OpenKey(form);
  PostCommand(form, MenuId(Command::kBinaryMode));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return InBinaryMode(form); }));
  PostCommand(form, MenuId(Command::kLoad));
  ASSERT_TRUE(driver_->AnswerFileDialog(L"Load", WindowsPath(dir_ / "big.bin")));
  PostCommand(form, MenuId(Command::kEncrypt));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return !hidden_files().empty(); }));

  DWORD_PTR agreed = 0;
  ::SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000,
                        &agreed);
  EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
  ::PostMessageW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(driver_->WaitForExit(), 1);
  EXPECT_EQ(hidden_files(), std::vector<std::wstring>{});
  EXPECT_FALSE(FileExists(dir_ / "big.enc"));
}

// File > Rename writes the result that a decryption left in memory again, under the
// name typed into its box.
TEST_F(WindowTest, RenameWritesTheDecryptedResultAgainUnderATypedName) {
  SetDefaultKey();
  WriteFile(dir_ / "m.enc", BatchEncrypted("Meet at nine."));
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  OpenKey(form);
  PostCommand(form, MenuId(Command::kBinaryMode));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return InBinaryMode(form); }));
  PostCommand(form, MenuId(Command::kDecrypt));
  ASSERT_TRUE(driver_->AnswerFileDialog(L"Decrypt", WindowsPath(dir_ / "m.enc")));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "m.dec"); }));

  PostCommand(form, kFirstButton + RowOf(Command::kRename).button.position);
  ASSERT_TRUE(driver_->AnswerInputBox(L"renamed.txt"));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "renamed.txt"); }));
  EXPECT_EQ(ReadFile(dir_ / "renamed.txt").substr(0, 13), "Meet at nine.");
  EXPECT_EQ(ReadFile(dir_ / "renamed.txt"), ReadFile(dir_ / "m.dec"));
}

// Key > Make a new key… asks for a name and a block length, writes the key and opens
// it as the key in force; a name that is taken is refused and its file left alone.
TEST_F(WindowTest, MakeANewKeyWritesItOpensItAndKeepsAnExistingOne) {
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  PostCommand(form, MenuId(Command::kMakeKey));
  ASSERT_TRUE(driver_->AnswerInputBox(L"mine"));
  ASSERT_TRUE(driver_->AnswerInputBox(L"8"));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] {
    return TextOf(Control(form, kLabel6)).find(L"mine.mlk") != std::wstring::npos;
  })) << testing::PrintToString(TextOf(Control(form, kLabel6)));
  const std::string made = ReadFile(dir_ / "mine.mlk");
  EXPECT_EQ(made.size(), 16u);

  // The new key is the one in force: a typed text comes out as batch mode makes it.
  Type(Control(form, kText1), L"abc");
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(Control(form, kText1)) == L"abc"; }));
  PostCommand(form, MenuId(Command::kEncrypt));
  ASSERT_TRUE(driver_->AnswerInputBox(L"abc"));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(dir_ / "abc.enc"); }));
  key_ = dir_ / "mine.mlk";
  EXPECT_EQ(ReadFile(dir_ / "abc.enc"), BatchEncrypted("abc"));

  PostCommand(form, MenuId(Command::kMakeKey));
  ASSERT_TRUE(driver_->AnswerInputBox(L"mine.mlk"));
  ASSERT_TRUE(driver_->AnswerInputBox(L""));
  EXPECT_NE(driver_->AnswerMessageBox().find(L"already exists"), std::wstring::npos);
  EXPECT_EQ(ReadFile(dir_ / "mine.mlk"), made);
}

// Ctrl+Shift+Alt+P through the system's input queue, as the keyboard sends it, shows
// the key's numbers and hides them again. With Ctrl down, Windows sends Alt+P as a
// plain key-down, not as a system key.
TEST_F(WindowTest, CtrlShiftAltPFromTheKeyboardShowsAndHidesTheKeyNumbers) {
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  OpenKey(form);
  HWND pair = Control(form, kText3);
  HWND pal = Control(form, kText4);
  ASSERT_FALSE(::IsWindowVisible(pair));
  ::SetForegroundWindow(form);
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return ::GetForegroundWindow() == form; }));
  PressKeys({VK_CONTROL, VK_SHIFT, VK_MENU, 'P'});
  ASSERT_TRUE(WindowDriver::WaitUntil(
      [&] { return ::IsWindowVisible(pair) && ::IsWindowVisible(pal); }, 10));
  EXPECT_TRUE(::IsWindowVisible(Control(form, kLabel4)));
  EXPECT_FALSE(TextOf(pair).empty());
  PressKeys({VK_CONTROL, VK_SHIFT, VK_MENU, 'P'});
  EXPECT_TRUE(WindowDriver::WaitUntil([&] { return !::IsWindowVisible(pair); }, 10));
}

// What Explorer runs for an .enc file: the name after --open is taken whole, options,
// blanks and all, and the window decrypts it.
TEST_F(WindowTest, AnEncryptedFileOpenedAsExplorerOpensItIsDecryptedWhateverItsName) {
  SetDefaultKey();
  const std::string name = "my -ideas \xC3\xBC -k.enc";
  WriteFile(dir_ / "plain.txt", "Meet at nine.");
  WriteFile(dir_ / name, BatchEncrypted("Meet at nine."));
  HWND form = Start({"--open", dir_ / name});
  ASSERT_NE(form, nullptr);
  const std::string decrypted = dir_ / "my -ideas \xC3\xBC -k.dec";
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return FileExists(decrypted); }));
  EXPECT_EQ(ReadFile(decrypted).substr(0, 13), "Meet at nine.");
  PressKey(Control(form, kText1), 'X', /*alt=*/true);
  EXPECT_EQ(driver_->WaitForExit(), 0);
}

TEST_F(WindowTest, F1ShowsTheHelpEscapeHidesItAndAltXEnds) {
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  PressKey(Control(form, kText1), VK_F1);
  HWND help = driver_->WaitForWindow(kHelpWindowClass, L"Marrowlock Help");
  ASSERT_NE(help, nullptr);
  EXPECT_NE(TextOf(Control(help, kHelpText)).find(L"Escape"), std::wstring::npos);
  PressKey(Control(help, kHelpText), VK_ESCAPE);
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return !::IsWindowVisible(help); }));
  PressKey(Control(form, kText1), 'X', /*alt=*/true);
  EXPECT_EQ(driver_->WaitForExit(), 0);
}

// The menus show each command of the table once, with its key, and the toolbar its
// nine buttons in their order; a window in this process, since Wine keeps a menu to
// the process that made it.
TEST(WindowLayoutTest, MenusAndToolbarComeFromTheCommandTable) {
  TempDir dir;
  Win32Platform platform;
  ProgramState s(platform);
  platform.Attach(s);
  HWND form = platform.main_window_handle();
  HMENU bar = ::GetMenu(form);
  for (const CommandRow& row : CommandTable()) {
    if (row.menu.menu == nullptr) continue;
    wchar_t caption[128] = {};
    ASSERT_GT(::GetMenuStringW(bar, MenuId(row.command), caption, 128, MF_BYCOMMAND), 0)
        << row.menu.element;
    std::string key = KeyText(row.key);
    EXPECT_EQ(std::wstring(caption),
              Wide(row.menu.caption) + (key.empty() ? L"" : L"\t" + Wide(key)));
  }
  // The labels under the boxes say what they name from the start.
  platform.Redraw();
  for (auto [id, caption] :
       {std::pair{kLabel5, L"Decrypted File ()"}, std::pair{kLabel6, L"Current Key ()"}}) {
    EXPECT_EQ(TextOf(Control(form, id)), caption);
    EXPECT_TRUE(::GetWindowLongW(Control(form, id), GWL_STYLE) & WS_VISIBLE);
  }
  HWND toolbar = Control(form, kToolbar);
  ASSERT_EQ(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 9);
  for (int position = 1; position <= 9; ++position) {
    TBBUTTON button{};
    ::SendMessageW(toolbar, TB_GETBUTTON, position - 1, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.idCommand, kFirstButton + position);
    wchar_t caption[64] = {};
    ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(caption));
    EXPECT_EQ(std::wstring(caption), Wide(RowOfButton(position)->button.caption));
  }
}

// Moved to a screen with twice the dots per inch, the window's text takes the size for
// that screen, and the text areas keep a fixed-width font.
TEST(WindowLayoutTest, OnAScreenOfAnotherResolutionTheTextTakesItsSize) {
  Win32Platform platform;
  ProgramState s(platform);
  platform.Attach(s);
  HWND form = platform.main_window_handle();
  auto font_of = [&](int id) {
    LOGFONTW font{};
    const auto handle =
        reinterpret_cast<HFONT>(::SendMessageW(Control(form, id), WM_GETFONT, 0, 0));
    ::GetObjectW(handle, sizeof(font), &font);
    return font;
  };
  const LOGFONTW label = font_of(kLabel5);
  const LOGFONTW area = font_of(kText1);
  ASSERT_NE(label.lfHeight, 0);
  const UINT dpi = 2 * DpiOf(form);
  RECT suggested{0, 0, 1200, 900};
  ::SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(font_of(kLabel5).lfHeight, 2 * label.lfHeight);
  EXPECT_EQ(font_of(kText1).lfHeight, 2 * area.lfHeight);
  EXPECT_EQ(font_of(kText1).lfPitchAndFamily & 3, FIXED_PITCH);
  EXPECT_EQ(std::wstring(font_of(kStatusBar).lfFaceName), label.lfFaceName);
}

// Every toolbar button reaches its command.
TEST_F(WindowTest, ToolbarButtonsReachTheirCommands) {
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  HWND text1 = Control(form, kText1);
  Type(text1, L"abc");
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(text1) == L"abc"; }));

  // The buttons that ask for a file show their dialog; Cancel leaves everything as it was.
  struct Asks {
    Command command;
    const wchar_t* title;
  };
  for (const Asks& asks :
       {Asks{Command::kSaveText, L"Save Text"}, Asks{Command::kLoad, L"Load"},
        Asks{Command::kDecrypt, L"Decrypt"}, Asks{Command::kOpenKey, L"New Key"}}) {
    PostCommand(form, kFirstButton + RowOf(asks.command).button.position);
    HWND dialog = driver_->WaitForWindow(L"#32770", asks.title);
    ASSERT_NE(dialog, nullptr) << testing::PrintToString(std::wstring(asks.title));
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WindowDriver::WaitUntil([&] { return !::IsWindowVisible(dialog); }));
  }
  EXPECT_EQ(TextOf(text1), L"abc");
  PostCommand(form, kFirstButton + RowOf(Command::kClear).button.position);
  EXPECT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(text1).empty(); }));

  PostCommand(form, kFirstButton + RowOf(Command::kBinaryMode).button.position);
  EXPECT_TRUE(WindowDriver::WaitUntil([&] { return InBinaryMode(form); }));
  PostCommand(form, kFirstButton + RowOf(Command::kExit).button.position);
  EXPECT_EQ(driver_->WaitForExit(), 0);
}

// Pictures for the README: the window with a key open and shown and a text
// encrypted, and the help window, as BMP files (scripts/screenshot --windows makes
// PNG files of them). Runs only when MARROWLOCK_SCREENSHOT names the first.
TEST_F(WindowTest, Screenshot) {
  const char* target = std::getenv("MARROWLOCK_SCREENSHOT");
  if (!target || !*target) GTEST_SKIP() << "MARROWLOCK_SCREENSHOT not set";
  const std::string main_picture = target;
  const std::string help_picture = main_picture.substr(0, main_picture.rfind('.')) + "-help" +
                                   main_picture.substr(main_picture.rfind('.'));
  std::filesystem::rename(std::filesystem::u8path(key_),
                          std::filesystem::u8path(dir_ / "friends.mlk"));
  key_ = dir_ / "friends.mlk";
  SetDefaultKey();
  HWND form = Start();
  ASSERT_NE(form, nullptr);
  ::SetWindowPos(form, nullptr, 20, 20, 820, 660, SWP_NOZORDER);
  OpenKey(form);
  HWND text1 = Control(form, kText1);
  Type(text1, L"Meet at the old mill at nine.\rBring the map and the lantern.\rTell no one.");
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return TextOf(text1).ends_with(L"no one."); }));
  PostCommand(form, MenuId(Command::kEncrypt));
  ASSERT_TRUE(driver_->AnswerInputBox(L"letter"));
  ASSERT_TRUE(WindowDriver::WaitUntil([&] { return !TextOf(Control(form, kText2)).empty(); }));
  // The key's numbers, with the keys a user presses (Ctrl+Shift+Alt+P).
  ::SetForegroundWindow(form);
  ::Sleep(300);
  PressKeys({VK_CONTROL, VK_SHIFT, VK_MENU, 'P'});
  ::Sleep(700);
  ASSERT_TRUE(SaveWindowPicture(form, main_picture));

  PressKey(text1, VK_F1);
  HWND help = driver_->WaitForWindow(kHelpWindowClass);
  ASSERT_NE(help, nullptr);
  ::SetWindowPos(help, HWND_TOP, 60, 40, 0, 0, SWP_NOSIZE);
  ::Sleep(700);
  ASSERT_TRUE(SaveWindowPicture(help, help_picture));
}

}  // namespace
}  // namespace marrowlock
