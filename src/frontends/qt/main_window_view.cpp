// SPDX-License-Identifier: MIT
#include "frontends/qt/main_window_view.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "frontends/qt/app_icon.h"
#include "frontends/qt/elided_label.h"
#include "frontends/qt/text_conversion.h"
#include "frontends/qt/toolbar_icons.h"
#include "state/encoding_choice.h"
#include "state/window_commands.h"

namespace marrowlock {

namespace {

constexpr int kToolbarIconSize = 24;

QPlainTextEdit* MakeTextArea(const char* name, bool read_only) {
  auto* edit = new QPlainTextEdit;
  edit->setObjectName(QLatin1String(name));
  edit->setReadOnly(read_only);
  // Tab moves on to the next control, so that the keyboard reaches every one; Text1
  // takes a tab character with Ctrl+Tab.
  edit->setTabChangesFocus(true);
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  if (read_only) edit->setUndoRedoEnabled(false);
  return edit;
}

QLabel* MakeLabel(const QString& name, bool may_be_cut = false) {
  QLabel* label = may_be_cut ? new ElidedLabel : new QLabel;
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Keeps the widget's place in the layout while it is hidden, so that showing it
// moves nothing else.
void KeepPlaceWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

// A label whose caption may grow long (a file's path, a status line): its width is
// the layout's to give, so a long caption is cut at the edge instead of widening
// the window.
void TakeWidthFromLayout(QLabel* label) {
  label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
}

void DrawLabel(QLabel* widget, const QString& text, bool visible) {
  if (widget->text() != text) widget->setText(text);
  widget->setVisible(visible);
}

// The key display's heading names the two halves with a word between them
// ("Pair          and        Pal"): the first name stands over Pair's box, the last
// over Pal's.
std::pair<QString, QString> KeyHeadings(const std::string& caption) {
  QStringList words = CaptionText(caption).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.size() < 2) return {CaptionText(caption), QString()};
  return {words.front(), words.back()};
}

}  // namespace

MainWindowView::MainWindowView(HandlerGate& gate, ProgramState& s)
    : gate_(gate),
      s_(s),
      text1_(MakeTextArea("Text1", false)),
      text2_(MakeTextArea("Text2", true)),
      text3_(MakeTextArea("Text3", true)),
      text4_(MakeTextArea("Text4", true)),
      shown1_(text1_),
      shown2_(text2_),
      shown3_(text3_),
      shown4_(text4_),
      pal_heading_(MakeLabel(QStringLiteral("Label4Pal"))),
      encoding_status_(MakeLabel(QStringLiteral("EncodingStatus"))),
      progress_(new QProgressBar) {
  setObjectName(QStringLiteral("Form1"));
  setWindowIcon(AppIcon());
  for (size_t i = 0; i < labels_.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    // The status line and the two file names may be longer than their room.
    labels_[i] =
        MakeLabel(QStringLiteral("Label%1").arg(number), number == 1 || number == 5 || number == 6);
  }
  progress_->setObjectName(QStringLiteral("ProgressBar1"));
  progress_->setAccessibleName(QStringLiteral("Progress"));
  encoding_status_->setAccessibleDescription(QStringLiteral("Encoding of the text"));
  progress_->setRange(0, 100);
  BuildLayout();
  BuildMenus();
  BuildToolbar();
  connect(text1_, &QPlainTextEdit::textChanged, this, [this] { Text1Edited(); });
  text1_->installEventFilter(this);
  resize(760, 600);
  Draw();
}

void MainWindowView::BuildLayout() {
  text3_->setMaximumHeight(90);
  text4_->setMaximumHeight(90);

  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->addWidget(label(2));
  column->addWidget(text1_, 3);
  column->addWidget(label(3));
  column->addWidget(text2_, 2);
  auto* keys = new QGridLayout;
  keys->addWidget(label(4), 0, 0);
  keys->addWidget(pal_heading_, 0, 1);
  keys->addWidget(text3_, 1, 0);
  keys->addWidget(text4_, 1, 1);
  column->addLayout(keys);
  auto* names = new QHBoxLayout;
  names->addWidget(label(5), 1);
  names->addWidget(label(6), 1);
  column->addLayout(names);
  setCentralWidget(central);
  for (int number : {1, 5, 6}) TakeWidthFromLayout(label(number));

  // The status line and the progress bar of long commands stand in the status bar,
  // which always has room for the status line's two lines: nothing moves when they
  // appear or when the status line grows.
  label(1)->setMinimumHeight(2 * label(1)->fontMetrics().lineSpacing());
  KeepPlaceWhenHidden(label(1));
  KeepPlaceWhenHidden(progress_);
  progress_->setFixedWidth(220);
  statusBar()->addWidget(label(1), 1);
  statusBar()->addWidget(progress_);
  statusBar()->addPermanentWidget(encoding_status_);
  // Even the narrowest window leaves the status line room for a few words, which
  // it cuts visibly (ElidedLabel) when they do not fit.
  label(1)->setMinimumWidth(16 * label(1)->fontMetrics().averageCharWidth());
}

void MainWindowView::BuildMenus() {
  QMenu* menu = nullptr;
  QMenu* submenu = nullptr;
  const char* menu_caption = nullptr;
  const char* submenu_caption = nullptr;
  auto* encodings = new QActionGroup(this);
  for (const CommandRow& row : CommandTable()) {
    if (row.menu.menu == nullptr) continue;
    if (menu_caption == nullptr || std::strcmp(menu_caption, row.menu.menu) != 0) {
      menu = menuBar()->addMenu(QString::fromLatin1(row.menu.menu));
      menu_caption = row.menu.menu;
      submenu_caption = nullptr;
    }
    QMenu* place = menu;
    if (row.menu.submenu != nullptr) {
      if (submenu_caption == nullptr || std::strcmp(submenu_caption, row.menu.submenu) != 0) {
        submenu = menu->addMenu(QString::fromLatin1(row.menu.submenu));
        submenu_caption = row.menu.submenu;
      }
      place = submenu;
    }
    if (row.menu.separator_before) place->addSeparator()->setObjectName(QStringLiteral("SepBar"));
    // The key stands after a tab, where the menu shows it at the right as a hint: it
    // is no shortcut of the entry, for the keyboard table alone acts on keys.
    QString caption = QString::fromUtf8(row.menu.caption);
    std::string key = KeyText(row.key);
    if (!key.empty()) caption += QLatin1Char('\t') + QString::fromStdString(key);
    QAction* action = place->addAction(caption);
    action->setObjectName(QLatin1String(row.menu.element));
    const Command command = row.command;
    connect(action, &QAction::triggered, this,
            [this, command] { gate_.RunHandler([this, command] { OnMenu(s_, command); }); });
    if (command == Command::kBinaryMode) {
      binary_mode_entry_ = action;
      action->setCheckable(true);
    }
    if (command == Command::kWindows1252 || command == Command::kUtf8) {
      action->setCheckable(true);
      encodings->addAction(action);
      encoding_entries_.emplace_back(
          action, command == Command::kUtf8 ? TextEncoding::kUtf8 : TextEncoding::kWindows1252);
    }
    if (command == Command::kHelp) {
      connect(action, &QAction::triggered, this, [this] { gate_.BringUpHelp(); });
    }
  }
}

void MainWindowView::BuildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Toolbar"));
  toolbar_->setObjectName(QStringLiteral("Toolbar1"));
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar_->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
  toolbar_->setMovable(false);
  for (int position = 1; const CommandRow* row = RowOfButton(position); ++position) {
    const ButtonPlace& b = row->button;
    QAction* action = toolbar_->addAction(ToolbarIcon(*style(), b.key, kToolbarIconSize),
                                          QString::fromLatin1(b.caption));
    action->setObjectName(QLatin1String(b.key));
    action->setToolTip(QString::fromLatin1(b.tooltip));
    // A toolbar's buttons take no focus of their own in Qt; here Tab reaches them.
    toolbar_->widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
    connect(action, &QAction::triggered, this,
            [this, position] { gate_.RunHandler([this, position] { OnToolbar(s_, position); }); });
  }
}

void MainWindowView::Draw() {
  drawing_ = true;
  const MainWindow& f = s_.Form1;
  QString caption = CaptionText(f.Caption);
  if (windowTitle() != caption) setWindowTitle(caption);

  DrawText1();
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
  DrawLabels();

  int value = std::clamp(f.ProgressBar1.Value, 0, 100);
  if (progress_->value() != value) progress_->setValue(value);
  progress_->setVisible(f.ProgressBar1.Visible);
  binary_mode_entry_->setChecked(f.BinaryModeChecked);
  for (const auto& [action, encoding] : encoding_entries_) {
    action->setChecked(s_.Text1Encoding == encoding);
  }
  // Binary mode shows no text, so no encoding either.
  DrawLabel(encoding_status_, QString::fromLatin1(EncodingName(s_.Text1Encoding)), !s_.BinaryMode);

  if (f.Visible && !isVisible()) show();
  if (!f.Visible && isVisible()) hide();
  if (s_.Form1.FocusText1) {
    s_.Form1.FocusText1 = false;
    text1_->setFocus();
  }
  drawing_ = false;
}

void MainWindowView::DrawText1() {
  const std::string& bytes = s_.Form1.Text1.Text;
  const TextEncoding encoding = s_.Text1Encoding;
  if (bytes != shown1_.shown()) {
    // A text that a command set anew replaces whatever the user typed, and with it
    // any characters that had no byte.
    shown1_.Draw(bytes, encoding);
    s_.Text1Unencodable = false;
    s_.Text1Edited = false;
  } else if (encoding != shown1_.encoding() && !s_.Text1Edited) {
    // The bytes as they came are read anew; they stay what Encrypt and Save write.
    shown1_.Draw(bytes, encoding);
  } else if (encoding != shown1_.encoding()) {
    // What the user typed stays as the window shows it, written in the new encoding.
    bool lossy = false;
    std::string typed =
        DisplayToBytes(text1_->document()->toRawText(), encoding, &lossy, LineBreakOf(bytes));
    shown1_.Edited(typed, encoding);
    s_.Form1.Text1.Text = std::move(typed);
    s_.Text1Unencodable = lossy;
  }
}

void MainWindowView::DrawLabels() {
  const MainWindow& f = s_.Form1;
  const Label* labels[] = {&f.Label1, &f.Label2, &f.Label3, &f.Label4, &f.Label5, &f.Label6};
  for (size_t i = 0; i < labels_.size(); ++i) {
    if (i == 3) continue;
    DrawLabel(labels_[i], CaptionText(labels[i]->Caption), labels[i]->Visible);
  }
  auto [pair, pal] = KeyHeadings(f.Label4.Caption);
  DrawLabel(label(4), pair, f.Label4.Visible);
  DrawLabel(pal_heading_, pal, f.Label4.Visible);

  // Screen readers name each text area by the heading the eye reads above it.
  const std::pair<QPlainTextEdit*, QLabel*> named[] = {
      {text1_, label(2)}, {text2_, label(3)}, {text3_, label(4)}, {text4_, pal_heading_}};
  for (const auto& [area, heading] : named) {
    if (area->accessibleName() != heading->text()) area->setAccessibleName(heading->text());
  }
}

void MainWindowView::AlignStatusLine() {
  // The status bar sets its widgets close to the window's edge; the status line's
  // text starts where the headings above it start.
  QLabel* status = label(1);
  const int heading = label(2)->mapTo(this, label(2)->contentsRect().topLeft()).x();
  const int box = status->mapTo(this, QPoint(0, 0)).x();
  const int indent = std::max(0, heading - box);
  if (status->contentsMargins().left() != indent) status->setContentsMargins(indent, 0, 0, 0);
}

void MainWindowView::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The window is no narrower than its status bar, so that the status line, the
  // progress bar and the encoding all stay in view.
  setMinimumWidth(std::max(minimumSizeHint().width(), statusBar()->minimumSizeHint().width()));
  AlignStatusLine();
}

void MainWindowView::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  AlignStatusLine();
}

bool MainWindowView::eventFilter(QObject* watched, QEvent* event) {
  // Tab moves the focus on; Ctrl+Tab types the tab character into Text1.
  if (watched == text1_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab &&
      static_cast<QKeyEvent*>(event)->modifiers() == Qt::ControlModifier) {
    if (!text1_->isReadOnly()) text1_->insertPlainText(QStringLiteral("\t"));
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindowView::Text1Edited() {
  if (drawing_ || closing_) return;
  // Only what the user changed is written anew: the rest keeps its bytes, its line
  // breaks included, even where the encoding in force shows no character for them.
  bool lossy = false;
  std::string bytes =
      EditedBytes(shown1_.shown(), text1_->document()->toRawText(), s_.Text1Encoding, &lossy);
  shown1_.Edited(bytes, s_.Text1Encoding);
  s_.Form1.Text1.Text = std::move(bytes);
  s_.Text1Unencodable = lossy;
  s_.Text1Edited = true;
}

void MainWindowView::closeEvent(QCloseEvent* event) {
  // Closing the window through the window system ends the program as Exit does;
  // ExitProgram then marks the window as closing, and this close goes through.
  if (!closing_) gate_.RunHandler([this] { ExitProgram(s_, kExitOk); });
  if (closing_) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace marrowlock
