#include "frontends/qt/main_window_view.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>
#include <QTextCursor>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "frontends/qt/app_icon.h"
#include "frontends/qt/qt_platform.h"
#include "frontends/qt/text_conversion.h"
#include "state/window_commands.h"

namespace marrowlock {

bool ShownText::Draw(const std::string& bytes) {
  if (bytes == shown_) return false;
  if (!shown_.empty() && bytes.size() > shown_.size() &&
      bytes.compare(0, shown_.size(), shown_) == 0) {
    // A decryption extends the text at every flush; setting the whole text again
    // would cost time in proportion to all that is shown so far.
    QTextCursor cursor(edit_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(
        BytesToDisplay(std::string_view(bytes).substr(shown_.size()), shown_.back() == '\r'));
  } else {
    edit_->setPlainText(BytesToDisplay(bytes));
  }
  shown_ = bytes;
  return true;
}

namespace {

QPlainTextEdit* MakeTextArea(const char* name, bool read_only) {
  auto* edit = new QPlainTextEdit;
  edit->setObjectName(QLatin1String(name));
  edit->setReadOnly(read_only);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  if (read_only) edit->setUndoRedoEnabled(false);
  return edit;
}

QLabel* MakeLabel(const char* name) {
  auto* label = new QLabel;
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

void DrawLabel(QLabel* widget, const Label& label) {
  QString text = CaptionText(label.Caption);
  if (widget->text() != text) widget->setText(text);
  widget->setVisible(label.Visible);
}

}  // namespace

MainWindowView::MainWindowView(QtPlatform& platform, ProgramState& s)
    : platform_(platform),
      s_(s),
      text1_(MakeTextArea("Text1", false)),
      text2_(MakeTextArea("Text2", true)),
      text3_(MakeTextArea("Text3", true)),
      text4_(MakeTextArea("Text4", true)),
      shown1_(text1_),
      shown2_(text2_),
      shown3_(text3_),
      shown4_(text4_),
      progress_(new QProgressBar) {
  setObjectName(QStringLiteral("Form1"));
  setWindowIcon(AppIcon());
  for (size_t i = 0; i < labels_.size(); ++i) {
    labels_[i] = MakeLabel(("Label" + std::to_string(i + 1)).c_str());
  }
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setRange(0, 100);
  text3_->setMaximumHeight(90);
  text4_->setMaximumHeight(90);

  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->addWidget(label(2));
  column->addWidget(text1_, 3);
  column->addWidget(label(3));
  column->addWidget(text2_, 2);
  column->addWidget(label(4));
  auto* keys = new QHBoxLayout;
  keys->addWidget(text3_);
  keys->addWidget(text4_);
  column->addLayout(keys);
  auto* names = new QHBoxLayout;
  names->addWidget(label(5), 1);
  names->addWidget(label(6), 1);
  column->addLayout(names);
  auto* status = new QHBoxLayout;
  status->addWidget(label(1), 1);
  status->addWidget(progress_, 1);
  column->addLayout(status);
  setCentralWidget(central);

  BuildMenus();
  BuildToolbar();
  connect(text1_, &QPlainTextEdit::textChanged, this, [this] { Text1Edited(); });
  resize(760, 600);
  Draw();
}

void MainWindowView::BuildMenus() {
  QMenu* menu = nullptr;
  const char* menu_caption = nullptr;
  for (const CommandRow& row : CommandTable()) {
    if (row.menu.menu == nullptr) continue;
    if (menu_caption == nullptr || std::strcmp(menu_caption, row.menu.menu) != 0) {
      menu = menuBar()->addMenu(QString::fromLatin1(row.menu.menu));
      menu_caption = row.menu.menu;
    }
    if (row.menu.separator_before) menu->addSeparator()->setObjectName(QStringLiteral("SepBar"));
    QAction* action = menu->addAction(QString::fromLatin1(row.menu.caption));
    action->setObjectName(QLatin1String(row.menu.element));
    const Command command = row.command;
    connect(action, &QAction::triggered, this,
            [this, command] { platform_.RunHandler([this, command] { OnMenu(s_, command); }); });
    if (command == Command::kBinaryMode) {
      binary_mode_entry_ = action;
      action->setCheckable(true);
    }
    if (command == Command::kHelp) {
      connect(action, &QAction::triggered, this, [this] { platform_.BringUpHelp(); });
    }
  }
}

namespace {

// The toolbar's pictures: the desktop theme's icon where it has one, else Qt's own.
QIcon ButtonIcon(const QStyle& style, const std::string& key) {
  struct Picture {
    const char* key;
    const char* theme_icon;
    QStyle::StandardPixmap fallback;
  };
  static const Picture kPictures[] = {
      {"load", "document-open", QStyle::SP_DialogOpenButton},
      {"clear", "edit-clear", QStyle::SP_DialogResetButton},
      {"save", "document-save", QStyle::SP_DialogSaveButton},
      {"rename", "document-save-as", QStyle::SP_FileLinkIcon},
      {"encrypt", "document-encrypt", QStyle::SP_ArrowUp},
      {"decrypt", "document-decrypt", QStyle::SP_ArrowDown},
      {"newkey", "dialog-password", QStyle::SP_DriveHDIcon},
      {"binary", "view-list-details", QStyle::SP_FileDialogContentsView},
      {"exit", "application-exit", QStyle::SP_DialogCloseButton},
  };
  for (const Picture& p : kPictures) {
    if (key == p.key) {
      return QIcon::fromTheme(QLatin1String(p.theme_icon), style.standardIcon(p.fallback));
    }
  }
  return QIcon();
}

}  // namespace

void MainWindowView::BuildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
  toolbar_->setObjectName(QStringLiteral("Toolbar1"));
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar_->setMovable(false);
  for (int position = 1; const CommandRow* row = RowOfButton(position); ++position) {
    const ButtonPlace& b = row->button;
    QAction* action =
        toolbar_->addAction(ButtonIcon(*style(), b.key), QString::fromLatin1(b.caption));
    action->setObjectName(QLatin1String(b.key));
    action->setToolTip(QString::fromLatin1(b.tooltip));
    connect(action, &QAction::triggered, this, [this, position] {
      platform_.RunHandler([this, position] { OnToolbar(s_, position); });
    });
  }
}

void MainWindowView::Draw() {
  drawing_ = true;
  const MainWindow& f = s_.Form1;
  QString caption = CaptionText(f.Caption);
  if (windowTitle() != caption) setWindowTitle(caption);

  // A text that a command set anew replaces whatever the user typed, and with it
  // any characters that had no byte.
  if (shown1_.Draw(f.Text1.Text)) s_.Text1Unencodable = false;
  // No typing into a text that a running command reads or fills.
  text1_->setReadOnly(f.Text1.Locked || s_.CommandRunning);
  text1_->setVisible(f.Text1.Visible);
  const std::pair<ShownText*, const TextArea*> others[] = {
      {&shown2_, &f.Text2}, {&shown3_, &f.Text3}, {&shown4_, &f.Text4}};
  QPlainTextEdit* other_widgets[] = {text2_, text3_, text4_};
  for (size_t i = 0; i < 3; ++i) {
    others[i].first->Draw(others[i].second->Text);
    other_widgets[i]->setVisible(others[i].second->Visible);
  }

  const Label* labels[] = {&f.Label1, &f.Label2, &f.Label3, &f.Label4, &f.Label5, &f.Label6};
  for (size_t i = 0; i < labels_.size(); ++i) DrawLabel(labels_[i], *labels[i]);

  int value = std::clamp(f.ProgressBar1.Value, 0, 100);
  if (progress_->value() != value) progress_->setValue(value);
  progress_->setVisible(f.ProgressBar1.Visible);
  binary_mode_entry_->setChecked(f.BinaryModeChecked);

  if (f.Visible && !isVisible()) show();
  if (!f.Visible && isVisible()) hide();
  if (s_.Form1.FocusText1) {
    s_.Form1.FocusText1 = false;
    text1_->setFocus();
  }
  drawing_ = false;
}

void MainWindowView::Text1Edited() {
  if (drawing_ || closing_) return;
  bool lossy = false;
  std::string bytes = DisplayToBytes(text1_->document()->toRawText(), &lossy);
  shown1_.Edited(bytes);
  s_.Form1.Text1.Text = std::move(bytes);
  s_.Text1Unencodable = lossy;
}

void MainWindowView::closeEvent(QCloseEvent* event) {
  // Closing the window through the window system ends the program as Exit does;
  // ExitProgram then marks the window as closing, and this close goes through.
  if (!closing_) platform_.RunHandler([this] { ExitProgram(s_, kExitOk); });
  if (closing_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace marrowlock
