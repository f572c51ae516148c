// SPDX-License-Identifier: MIT
#include "frontends/win32/system_headers.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/command_table.h"
#include "app/dispatch.h"
#include "app/text_area.h"
#include "frontends/win32/control_ids.h"
#include "frontends/win32/fonts.h"
#include "frontends/win32/views.h"
#include "frontends/win32/win32_platform.h"
#include "frontends/win32/window_class.h"
#include "platform/windows_support.h"
#include "state/encoding_choice.h"
#include "state/program_exit.h"
#include "state/window_commands.h"

namespace marrowlock {

namespace {

using namespace win32;

constexpr int kProgressWidth = 220;
constexpr int kEncodingWidth = 170;
constexpr DWORD kAreaStyle =
    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

// The picture of each toolbar button, out of the system's standard set, by the
// button's key in the command table.
int ButtonPicture(const char* key) {
  struct Picture {
    const char* key;
    int index;
  };
  static const Picture kPictures[] = {
      {"load", STD_FILEOPEN},  {"clear", STD_DELETE},      {"save", STD_FILESAVE},
      {"rename", STD_REPLACE}, {"encrypt", STD_COPY},      {"decrypt", STD_PASTE},
      {"newkey", STD_FILENEW}, {"binary", STD_PROPERTIES}, {"exit", STD_UNDO},
  };
  for (const Picture& p : kPictures) {
    if (std::strcmp(p.key, key) == 0) return p.index;
  }
  return STD_HELP;
}

int MenuId(Command command) { return kFirstMenuEntry + static_cast<int>(command); }

// The key display's heading names the two halves with a word between them
// ("Pair          and        Pal"): the first name stands over Pair's box, the last
// over Pal's.
std::pair<std::wstring, std::wstring> KeyHeadings(const std::string& caption) {
  std::wstring text = CaptionText(caption);
  size_t first_end = text.find(L' ');
  size_t last_start = text.find_last_of(L' ');
  if (first_end == std::wstring::npos) return {text, L""};
  return {text.substr(0, first_end), text.substr(last_start + 1)};
}

}  // namespace

MainWindowView::MainWindowView(Win32Platform& platform, ProgramState& s)
    : platform_(platform), s_(s) {
  Create();
  Draw();
}

MainWindowView::~MainWindowView() {
  closing_ = true;
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void MainWindowView::Close() { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void MainWindowView::Create() {
  RegisterViewClass(kMainWindowClass, Procedure);
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                            760, 600, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, Scaled(hwnd_, 760), Scaled(hwnd_, 600),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HFONT font = platform_.fonts().ui(DpiOf(hwnd_));
  HFONT fixed = platform_.fonts().fixed(DpiOf(hwnd_));
  BuildMenus();
  BuildToolbar();
  label2_ = MakeControl(hwnd_, L"Static", L"", SS_NOPREFIX, kLabel2, font);
  text_[0] = MakeControl(hwnd_, L"Edit", L"", kAreaStyle, kText1, fixed, WS_EX_CLIENTEDGE);
  label3_ = MakeControl(hwnd_, L"Static", L"", SS_NOPREFIX, kLabel3, font);
  text_[1] =
      MakeControl(hwnd_, L"Edit", L"", kAreaStyle | ES_READONLY, kText2, fixed, WS_EX_CLIENTEDGE);
  pair_ = MakeControl(hwnd_, L"Static", L"", SS_NOPREFIX, kLabel4, font);
  pal_ = MakeControl(hwnd_, L"Static", L"", SS_NOPREFIX, kLabel4Pal, font);
  text_[2] =
      MakeControl(hwnd_, L"Edit", L"", kAreaStyle | ES_READONLY, kText3, fixed, WS_EX_CLIENTEDGE);
  text_[3] =
      MakeControl(hwnd_, L"Edit", L"", kAreaStyle | ES_READONLY, kText4, fixed, WS_EX_CLIENTEDGE);
  label5_ = MakeControl(hwnd_, L"Static", L"", SS_NOPREFIX | SS_ENDELLIPSIS, kLabel5, font);
  label6_ = MakeControl(hwnd_, L"Static", L"", SS_NOPREFIX | SS_ENDELLIPSIS, kLabel6, font);
  // An edit control holds 32767 characters unless told otherwise.
  for (HWND area : text_) ::SendMessageW(area, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  status_ =
      MakeControl(hwnd_, STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_SIZEGRIP, kStatusBar, font);
  progress_ = MakeControl(status_, PROGRESS_CLASSW, L"", 0, kProgressBar, nullptr);
  ::SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  Layout();
}

void MainWindowView::BuildMenus() {
  menu_ = ::CreateMenu();
  HMENU menu = nullptr;
  HMENU submenu = nullptr;
  const char* menu_caption = nullptr;
  const char* submenu_caption = nullptr;
  for (const CommandRow& row : CommandTable()) {
    if (row.menu.menu == nullptr) continue;
    if (menu_caption == nullptr || std::strcmp(menu_caption, row.menu.menu) != 0) {
      menu = ::CreatePopupMenu();
      ::AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Wide(row.menu.menu).c_str());
      menu_caption = row.menu.menu;
      submenu_caption = nullptr;
    }
    HMENU place = menu;
    if (row.menu.submenu != nullptr) {
      if (submenu_caption == nullptr || std::strcmp(submenu_caption, row.menu.submenu) != 0) {
        submenu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                      Wide(row.menu.submenu).c_str());
        submenu_caption = row.menu.submenu;
      }
      place = submenu;
    }
    if (row.menu.separator_before) ::AppendMenuW(place, MF_SEPARATOR, 0, nullptr);
    // The key stands after a tab, where the menu shows it at the right: the
    // keyboard table acts on keys, not the menu.
    std::string caption = row.menu.caption;
    std::string key = KeyText(row.key);
    if (!key.empty()) caption += "\t" + key;
    ::AppendMenuW(place, MF_STRING, static_cast<UINT_PTR>(MenuId(row.command)),
                  Wide(caption).c_str());
  }
  ::SetMenu(hwnd_, menu_);
}

void MainWindowView::BuildToolbar() {
  toolbar_ = MakeControl(hwnd_, TOOLBARCLASSNAMEW, nullptr,
                         WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, kToolbar,
                         platform_.fonts().ui(DpiOf(hwnd_)));
  ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  TBADDBITMAP pictures{HINST_COMMCTRL, IDB_STD_LARGE_COLOR};
  const auto base = static_cast<int>(
      ::SendMessageW(toolbar_, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&pictures)));
  for (int position = 1; const CommandRow* row = RowOfButton(position); ++position) {
    const ButtonPlace& b = row->button;
    std::wstring caption = Wide(b.caption);
    caption.push_back(L'\0');
    const auto text =
        ::SendMessageW(toolbar_, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    TBBUTTON button{};
    button.iBitmap = base + ButtonPicture(b.key);
    button.idCommand = kFirstButton + position;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.iString = text;
    ::SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
  }
  ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void MainWindowView::Layout() {
  if (!status_ || !toolbar_) return;
  ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  ::SendMessageW(status_, WM_SIZE, 0, 0);
  RECT client, bar, tools;
  ::GetClientRect(hwnd_, &client);
  ::GetWindowRect(status_, &bar);
  ::GetWindowRect(toolbar_, &tools);
  const int width = client.right;
  int parts[3] = {std::max(0, width - Scaled(hwnd_, kProgressWidth + kEncodingWidth)),
                  std::max(0, width - Scaled(hwnd_, kEncodingWidth)), -1};
  ::SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  RECT part;
  ::SendMessageW(status_, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
  ::MoveWindow(progress_, part.left + 2, part.top + 2, part.right - part.left - 4,
               part.bottom - part.top - 4, TRUE);

  const int margin = Scaled(hwnd_, 8);
  const int line = Scaled(hwnd_, 18);
  const int keys_height = Scaled(hwnd_, 90);
  const int top = (tools.bottom - tools.top) + margin / 2;
  const int bottom = client.bottom - (bar.bottom - bar.top) - margin / 2;
  const int inner = width - 2 * margin;
  // What is left after the fixed rows goes to Text1 and Text2, three parts to two.
  const int fixed_rows = 5 * line + keys_height;
  const int flexible = std::max(2 * line, bottom - top - fixed_rows);
  const int text1 = flexible * 3 / 5;
  const int text2 = flexible - text1;
  const int half = (inner - margin) / 2;
  int y = top;
  ::MoveWindow(label2_, margin, y, inner, line, TRUE);
  y += line;
  ::MoveWindow(text_[0], margin, y, inner, text1, TRUE);
  y += text1;
  ::MoveWindow(label3_, margin, y + 2, inner, line - 2, TRUE);
  y += line;
  ::MoveWindow(text_[1], margin, y, inner, text2, TRUE);
  y += text2;
  ::MoveWindow(pair_, margin, y + 2, half, line - 2, TRUE);
  ::MoveWindow(pal_, margin + half + margin, y + 2, half, line - 2, TRUE);
  y += line;
  ::MoveWindow(text_[2], margin, y, half, keys_height, TRUE);
  ::MoveWindow(text_[3], margin + half + margin, y, half, keys_height, TRUE);
  y += keys_height;
  ::MoveWindow(label5_, margin, y + 2, half, line - 2, TRUE);
  ::MoveWindow(label6_, margin + half + margin, y + 2, half, line - 2, TRUE);
}

void MainWindowView::Draw() {
  if (!hwnd_) return;
  drawing_ = true;
  const MainWindow& f = s_.Form1;
  SetTextIfChanged(hwnd_, CaptionText(f.Caption).c_str());

  DrawText1();
  // No typing into a text that a running command reads or fills.
  const bool read_only = f.Text1.Locked || s_.CommandRunning;
  if (((::GetWindowLongW(text_[0], GWL_STYLE) & ES_READONLY) != 0) != read_only) {
    ::SendMessageW(text_[0], EM_SETREADONLY, read_only, 0);
  }
  ::ShowWindow(text_[0], f.Text1.Visible ? SW_SHOWNA : SW_HIDE);
  DrawArea(text_[1], shown_[1], f.Text2);
  DrawArea(text_[2], shown_[2], f.Text3);
  DrawArea(text_[3], shown_[3], f.Text4);

  const std::pair<HWND, const Label*> labels[] = {
      {label2_, &f.Label2}, {label3_, &f.Label3}, {label5_, &f.Label5}, {label6_, &f.Label6}};
  for (const auto& [control, label] : labels) {
    SetTextIfChanged(control, CaptionText(label->Caption).c_str());
    ::ShowWindow(control, label->Visible ? SW_SHOWNA : SW_HIDE);
  }
  auto [pair, pal] = KeyHeadings(f.Label4.Caption);
  SetTextIfChanged(pair_, pair.c_str());
  SetTextIfChanged(pal_, pal.c_str());
  ::ShowWindow(pair_, f.Label4.Visible ? SW_SHOWNA : SW_HIDE);
  ::ShowWindow(pal_, f.Label4.Visible ? SW_SHOWNA : SW_HIDE);

  // The status line is the status bar's first part; a line break in it shows as a gap.
  std::wstring status = f.Label1.Visible ? CaptionText(f.Label1.Caption) : L"";
  for (size_t at; (at = status.find(L"\r\n")) != std::wstring::npos;) status.replace(at, 2, L"  ");
  ::SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
  // Binary mode shows no text, so no encoding either.
  std::wstring encoding = s_.BinaryMode ? L"" : Wide(EncodingName(s_.Text1Encoding));
  ::SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(encoding.c_str()));

  const int value = std::clamp(f.ProgressBar1.Value, 0, 100);
  if (::SendMessageW(progress_, PBM_GETPOS, 0, 0) != value) {
    ::SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
  }
  ::ShowWindow(progress_, f.ProgressBar1.Visible ? SW_SHOWNA : SW_HIDE);

  ::CheckMenuItem(menu_, static_cast<UINT>(MenuId(Command::kBinaryMode)),
                  MF_BYCOMMAND | (f.BinaryModeChecked ? MF_CHECKED : MF_UNCHECKED));
  const Command chosen =
      s_.Text1Encoding == TextEncoding::kUtf8 ? Command::kUtf8 : Command::kWindows1252;
  ::CheckMenuRadioItem(menu_, static_cast<UINT>(MenuId(Command::kWindows1252)),
                       static_cast<UINT>(MenuId(Command::kUtf8)), static_cast<UINT>(MenuId(chosen)),
                       MF_BYCOMMAND);

  if (f.Visible && !::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
  }
  if (!f.Visible && ::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_HIDE);
  if (s_.Form1.FocusText1) {
    s_.Form1.FocusText1 = false;
    ::SetFocus(text_[0]);
  }
  drawing_ = false;
}

void MainWindowView::DrawArea(HWND edit, ShownBytes& shown, const TextArea& area) {
  if (!shown.drawn || area.Text != shown.bytes) {
    std::u16string text = AreaText(area.Text, 0, TextEncoding::kWindows1252, AreaBreaks::kCrLf);
    ::SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(text.c_str()));
    shown.bytes = area.Text;
    shown.drawn = true;
  }
  ::ShowWindow(edit, area.Visible ? SW_SHOWNA : SW_HIDE);
}

std::u16string MainWindowView::Text1Characters() const {
  const int length = ::GetWindowTextLengthW(text_[0]);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(text_[0], text.data(), length + 1);
  return std::u16string(text.begin(), text.begin() + got);
}

void MainWindowView::DrawText1() {
  const std::string& bytes = s_.Form1.Text1.Text;
  const TextEncoding encoding = s_.Text1Encoding;
  ShownBytes& shown = shown_[0];
  auto show = [&] {
    std::u16string text = AreaText(bytes, 0, encoding, AreaBreaks::kCrLf);
    ::SetWindowTextW(text_[0], reinterpret_cast<const wchar_t*>(text.c_str()));
    shown.bytes = bytes;
    shown.encoding = encoding;
    shown.drawn = true;
  };
  if (!shown.drawn || bytes != shown.bytes) {
    // A text that a command set anew replaces whatever the user typed, and with it
    // any characters that had no byte.
    show();
    s_.Text1Unencodable = false;
    s_.Text1Edited = false;
  } else if (encoding != shown.encoding && !s_.Text1Edited) {
    // The bytes as they came are read anew; they stay what Encrypt and Save write.
    show();
  } else if (encoding != shown.encoding) {
    // What the user typed stays as the window shows it, written in the new encoding.
    bool lossy = false;
    std::string typed = AreaBytes(Text1Characters(), encoding, &lossy, LineBreakOf(bytes));
    shown.bytes = typed;
    shown.encoding = encoding;
    s_.Form1.Text1.Text = std::move(typed);
    s_.Text1Unencodable = lossy;
  }
}

void MainWindowView::Text1Edited() {
  if (drawing_ || closing_) return;
  // Only what the user changed is written anew: the rest keeps its bytes, its line
  // breaks included, even where the encoding in force shows no character for them.
  bool lossy = false;
  ShownBytes& shown = shown_[0];
  std::string bytes =
      EditedAreaBytes(shown.bytes, Text1Characters(), s_.Text1Encoding, AreaBreaks::kCrLf, &lossy);
  shown.bytes = bytes;
  shown.encoding = s_.Text1Encoding;
  s_.Form1.Text1.Text = std::move(bytes);
  s_.Text1Unencodable = lossy;
  s_.Text1Edited = true;
}

LRESULT CALLBACK MainWindowView::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindowView* view = ViewOf<MainWindowView>(hwnd, message, lparam);
  if (view && view->hwnd_ == nullptr) view->hwnd_ = hwnd;
  if (!view) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return view->Handle(message, wparam, lparam);
}

LRESULT MainWindowView::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize.x = Scaled(hwnd_, kProgressWidth + kEncodingWidth + 160);
      info->ptMinTrackSize.y = Scaled(hwnd_, 420);
      return 0;
    }
    case WM_DPICHANGED:
      FollowDpiChange(hwnd_, platform_.fonts(), wparam, lparam);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == kText1 && HIWORD(wparam) == EN_CHANGE) {
        Text1Edited();
        return 0;
      }
      if (id > kFirstButton && id <= kFirstButton + 9) {
        const int position = id - kFirstButton;
        platform_.RunHandler([this, position] { OnToolbar(s_, position); });
        return 0;
      }
      for (const CommandRow& row : CommandTable()) {
        if (row.menu.menu == nullptr || MenuId(row.command) != id) continue;
        const Command command = row.command;
        platform_.RunHandler([this, command] { OnMenu(s_, command); });
        if (command == Command::kHelp) platform_.BringUpHelp();
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
        const int position = static_cast<int>(header->idFrom) - kFirstButton;
        if (const CommandRow* row = RowOfButton(position)) {
          static std::wstring tooltip;
          tooltip = Wide(row->button.tooltip);
          info->lpszText = tooltip.data();
        }
        return 0;
      }
      break;
    }
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends (log off, shut down) and the system may end the process as
      // soon as this returns: a run that writes is abandoned now, leaving no hidden
      // file behind, as when a console program's window is closed.
      if (wparam) {
        RemoveTemporariesAndExit(static_cast<unsigned>(s_.CommandRunning ? kExitFailure : kExitOk));
      }
      return 0;
    case WM_CLOSE:
      // Closing the window through the window system ends the program as Exit does.
      if (!closing_) platform_.RunHandler([this] { ExitProgram(s_, kExitOk); });
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace marrowlock
