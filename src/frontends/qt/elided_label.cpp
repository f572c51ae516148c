// SPDX-License-Identifier: MIT
#include "frontends/qt/elided_label.h"

#include <QPainter>
#include <QStyle>

namespace marrowlock {

ElidedLabel::ElidedLabel() { setTextFormat(Qt::PlainText); }

QStringList ElidedLabel::ShownLines() const {
  const int width = contentsRect().width();
  QStringList lines = text().split(QLatin1Char('\n'));
  for (QString& line : lines) line = fontMetrics().elidedText(line, Qt::ElideMiddle, width);
  return lines;
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                        isEnabled(), ShownLines().join(QLatin1Char('\n')), foregroundRole());
}

}  // namespace marrowlock
