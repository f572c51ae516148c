// SPDX-License-Identifier: MIT
#include "frontends/qt/help_view.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/help_window.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/qt_platform.h"
#include "frontends/qt/text_conversion.h"

namespace marrowlock {

HelpView::HelpView(QtPlatform& platform, ProgramState& s)
    : QWidget(nullptr, Qt::Window),
      platform_(platform),
      s_(s),
      text1_(new QPlainTextEdit),
      shown_(text1_) {
  setObjectName(QStringLiteral("MLHelp"));
  setWindowIcon(AppIcon());
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setReadOnly(true);
  text1_->setUndoRedoEnabled(false);
  // The help text lines up its tables with blanks, which only a fixed-width font keeps.
  text1_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text1_);
  // Room for the help text's lines of 80 characters, with the margins and the scroll bar.
  const int column = text1_->fontMetrics().horizontalAdvance(QLatin1Char('M'));
  resize(86 * column + text1_->verticalScrollBar()->sizeHint().width(), 560);
}

void HelpView::Draw() {
  const HelpWindow& h = s_.MLHelp;
  setWindowTitle(CaptionText(h.Caption));
  // A help text of the user's own may be written in UTF-8.
  shown_.Draw(h.Text1.Text, ChooseEncoding(h.Text1.Text));
  bool visible = h.Exists && h.Visible;
  if (visible && !isVisible()) {
    show();
    raise();
    activateWindow();
  } else if (!visible && isVisible()) {
    hide();
  }
}

void HelpView::closeEvent(QCloseEvent* event) {
  event->accept();
  if (!closing_) platform_.RunHandler([this] { HelpWindowClosed(s_); });
}

}  // namespace marrowlock
