// SPDX-License-Identifier: MIT
#include "frontends/qt/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace marrowlock {
namespace {

// The same drawing as data/marrowlock.svg, on a 64-unit square.
QPixmap DrawPadlock(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  QPen shackle(QColor(0x5a, 0x63, 0x70), 7, Qt::SolidLine, Qt::RoundCap);
  p.setPen(shackle);
  p.setBrush(Qt::NoBrush);
  QPainterPath arc;
  arc.moveTo(20, 30);
  arc.lineTo(20, 20);
  arc.arcTo(QRectF(20, 6, 24, 24), 180, -180);
  arc.lineTo(44, 30);
  p.drawPath(arc);

  p.setPen(QPen(QColor(0x6b, 0x1d, 0x24), 2));
  p.setBrush(QColor(0x9e, 0x2a, 0x33));
  p.drawRoundedRect(QRectF(10, 28, 44, 32), 6, 6);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf3, 0xe9, 0xdc));
  p.drawEllipse(QPointF(32, 41), 5, 5);
  p.drawRect(QRectF(30, 43, 4, 10));
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawPadlock(size));
  return icon;
}

}  // namespace marrowlock
