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

QAction* MainWindowView::AddEntry(QMenu* menu, const char* caption, const char* name,
                                  MenuEntry entry) {
  QAction* action = menu->addAction(QString::fromLatin1(caption));
  action->setObjectName(QLatin1String(name));
  connect(action, &QAction::triggered, this,
          [this, entry] { platform_.RunHandler([this, entry] { OnMenu(s_, entry); }); });
  return action;
}

void MainWindowView::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  AddEntry(file, "&Load", "menuFileLoad", MenuEntry::menuFileLoad);
  AddEntry(file, "&Encrypt", "menuFileEncrypt", MenuEntry::menuFileEncrypt);
  AddEntry(file, "&Decrypt", "menuFileDecrypt", MenuEntry::menuFileDecrypt);
  AddEntry(file, "&Rename", "menuFileRename", MenuEntry::menuFileRename);
  file->addSeparator()->setObjectName(QStringLiteral("SepBar"));
  AddEntry(file, "e&Xit", "menuFileExit", MenuEntry::menuFileExit);

  QMenu* key = menuBar()->addMenu(QStringLiteral("&Key"));
  AddEntry(key, "&New key", "menuKeyOpenNewKey", MenuEntry::menuKeyOpenNewKey);
  AddEntry(key, "&Modify Defaults", "menuKeyNewDefaultKey", MenuEntry::menuKeyNewDefaultKey);

  QMenu* text = menuBar()->addMenu(QStringLiteral("&Text"));
  AddEntry(text, "&Clear", "menuTextClear", MenuEntry::menuTextClear);
  AddEntry(text, "&Save", "menuTextSave", MenuEntry::menuTextSave);

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  binary_mode_entry_ =
      AddEntry(options, "&BinaryMode", "menuOptionsBinaryMode", MenuEntry::menuOptionsBinaryMode);
  binary_mode_entry_->setCheckable(true);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  QAction* read_help =
      AddEntry(help, "&Read Helpfile", "menuHelpReadHelpfile", MenuEntry::menuHelpReadHelpfile);
  connect(read_help, &QAction::triggered, this, [this] { platform_.BringUpHelp(); });
}

void MainWindowView::BuildToolbar() {
  struct Button {
    const char* caption;
    const char* key;
    const char* tooltip;
    const char* theme_icon;
    QStyle::StandardPixmap fallback;
  };
  static const Button kButtons[] = {
      {"Load", "load", "Load File", "document-open", QStyle::SP_DialogOpenButton},
      {"Clear", "clear", "Clear Text", "edit-clear", QStyle::SP_DialogResetButton},
      {"Save", "save", "Save Text", "document-save", QStyle::SP_DialogSaveButton},
      {"Rename", "rename", "Rename File", "document-save-as", QStyle::SP_FileLinkIcon},
      {"Encrypt", "encrypt", "Encrypt", "document-encrypt", QStyle::SP_ArrowUp},
      {"Decrypt", "decrypt", "Decrypt", "document-decrypt", QStyle::SP_ArrowDown},
      {"New Key", "newkey", "New Key", "dialog-password", QStyle::SP_DriveHDIcon},
      {"Binary", "binary", "Toggle BinaryMode", "view-list-details",
       QStyle::SP_FileDialogContentsView},
      {"Exit", "exit", "Exit", "application-exit", QStyle::SP_DialogCloseButton},
  };
  toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
  toolbar_->setObjectName(QStringLiteral("Toolbar1"));
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar_->setMovable(false);
  int position = 1;
  for (const Button& b : kButtons) {
    QIcon icon = QIcon::fromTheme(QLatin1String(b.theme_icon), style()->standardIcon(b.fallback));
    QAction* action = toolbar_->addAction(icon, QString::fromLatin1(b.caption));
    action->setObjectName(QLatin1String(b.key));
    action->setToolTip(QString::fromLatin1(b.tooltip));
    connect(action, &QAction::triggered, this, [this, position] {
      platform_.RunHandler([this, position] { OnToolbar(s_, position); });
    });
    ++position;
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
