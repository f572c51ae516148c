// SPDX-License-Identifier: MIT
#pragma once

#include "frontends/win32/system_headers.h"

#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "state/program_state.h"

namespace marrowlock {

class Win32Platform;

// What an edit control shows: the bytes it was drawn from and their encoding, so
// that an unchanged text is not set again.
struct ShownBytes {
  std::string bytes;
  TextEncoding encoding = TextEncoding::kWindows1252;
  bool drawn = false;
};

// The main window `Form1`: menu bar and toolbar drawn from the command table, the
// four text areas with their labels, and the status bar (status line, progress bar,
// encoding). The user's edits of Text1 are written back into the state as bytes in
// the encoding in force.
class MainWindowView {
 public:
  MainWindowView(Win32Platform& platform, ProgramState& s);
  ~MainWindowView();
  void Draw();
  HWND hwnd() const { return hwnd_; }
  void set_closing(bool closing) { closing_ = closing; }
  void Close();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Create();
  void BuildMenus();
  void BuildToolbar();
  void Layout();
  void DrawText1();
  void DrawArea(HWND edit, ShownBytes& shown, const TextArea& area);
  void Text1Edited();
  std::u16string Text1Characters() const;

  Win32Platform& platform_;
  ProgramState& s_;
  HWND hwnd_ = nullptr;
  HWND text_[4] = {};
  HWND label2_ = nullptr, label3_ = nullptr, pair_ = nullptr, pal_ = nullptr;
  HWND label5_ = nullptr, label6_ = nullptr;
  HWND toolbar_ = nullptr, status_ = nullptr, progress_ = nullptr;
  HMENU menu_ = nullptr;
  ShownBytes shown_[4];
  bool drawing_ = false;
  bool closing_ = false;
};

// The help window `MLHelp`: a read-only text area with a fixed-width font, wide
// enough for the help text's lines of 80 characters.
class HelpView {
 public:
  HelpView(Win32Platform& platform, ProgramState& s);
  ~HelpView();
  void Draw();
  HWND hwnd() const { return hwnd_; }
  void set_closing(bool closing) { closing_ = closing; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Create();

  Win32Platform& platform_;
  ProgramState& s_;
  HWND hwnd_ = nullptr;
  HWND text_ = nullptr;
  ShownBytes shown_;
  bool closing_ = false;
};

// The setup dialog `Dialog`: drive list `Drive1`, folder list `Dir1` (".." and the
// sub-folders; double-click or Enter opens one), the key files `File1`, OK, Cancel
// and "Make a new key…". Closing it or Escape acts as Cancel.
class SetupView {
 public:
  SetupView(Win32Platform& platform, ProgramState& s);
  ~SetupView();
  void Draw();
  HWND hwnd() const { return hwnd_; }
  void set_closing(bool closing) { closing_ = closing; }
  // Enter in the folder list opens the folder; elsewhere it is OK.
  void Enter();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Create();
  void OpenFolder(int row);

  Win32Platform& platform_;
  ProgramState& s_;
  HWND hwnd_ = nullptr;
  HWND label1_ = nullptr, label2_ = nullptr, path_ = nullptr;
  HWND drive1_ = nullptr, dir1_ = nullptr, file1_ = nullptr;
  std::vector<std::string> shown_drives_;
  std::string shown_directory_;
  std::vector<std::string> shown_subfolders_;
  std::vector<std::string> shown_files_;
  bool shown_once_ = false;
  bool closing_ = false;
};

// A modal box that asks for one line of text; returns nothing on Cancel.
std::optional<std::wstring> AskLine(HWND owner, HFONT font, const std::wstring& title,
                                    const std::wstring& prompt);

}  // namespace marrowlock
