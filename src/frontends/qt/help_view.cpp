// SPDX-License-Identifier: MIT
#include "frontends/qt/help_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

#include "app/help_window.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/text_conversion.h"

namespace marrowlock {

namespace {

// Qt describes a plain widget as a part of some window ("filler" to screen readers);
// the help window is a window of its own.
QAccessibleInterface* HelpWindowAccessible(const QString&, QObject* object) {
  auto* help = dynamic_cast<HelpView*>(object);
  return help ? new QAccessibleWidget(help, QAccessible::Window) : nullptr;
}

}  // namespace

HelpView::HelpView(HandlerGate& gate, ProgramState& s)
    : QWidget(nullptr, Qt::Window), gate_(gate), s_(s), text1_(new QPlainTextEdit), shown_(text1_) {
  setObjectName(QStringLiteral("MLHelp"));
  setWindowIcon(AppIcon());
  static const bool kFactoryInstalled = [] {
    QAccessible::installFactory(HelpWindowAccessible);
    return true;
  }();
  (void)kFactoryInstalled;
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setAccessibleName(QStringLiteral("Help text"));
  text1_->setReadOnly(true);
  text1_->setUndoRedoEnabled(false);
  // The help text lines up its tables with blanks, which only a fixed-width font keeps.
  text1_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text1_);
  resize(FittingWidth(), 560);
}

int HelpView::FittingWidth() {
  // Room for the help text's lines of 80 characters: the text's own width, the
  // document's margins, and whatever the window puts around the text area's viewport
  // (frame, layout margins, the scroll bar), measured on the laid-out window.
  layout()->activate();
  // Measured as a whole line: a character's advance may have a fraction.
  const int text = text1_->fontMetrics().horizontalAdvance(QString(80, QLatin1Char('M')));
  const int document = 2 * qCeil(text1_->document()->documentMargin());
  int around = width() - text1_->viewport()->width();
  if (!text1_->verticalScrollBar()->isVisible()) {
    around += text1_->verticalScrollBar()->sizeHint().width();
  }
  // A line exactly as wide as the room may still be broken; one column to spare.
  return text + document + around + text1_->fontMetrics().horizontalAdvance(QLatin1Char('M'));
}

void HelpView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!sized_) {
    sized_ = true;
    resize(std::max(width(), FittingWidth()), height());
  }
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
  if (!closing_) gate_.RunHandler([this] { HelpWindowClosed(s_); });
}

}  // namespace marrowlock
