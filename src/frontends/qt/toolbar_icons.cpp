// SPDX-License-Identifier: MIT
#include "frontends/qt/toolbar_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace marrowlock {
namespace {

// A brass key lying from the lower left to the upper right, on a 64-unit square:
// drawn along the diagonal, which leaves the most room for it.
void DrawKey(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(32, 32);
  p.rotate(-45);

  QPainterPath key;
  key.addEllipse(QPointF(-26, 0), 15, 15);
  key.addRect(QRectF(-13, -5.5, 55, 11));
  key.addRect(QRectF(24, 4, 6, 10));
  key.addRect(QRectF(34, 4, 7, 13));
  key = key.simplified();
  QPainterPath hole;
  hole.addEllipse(QPointF(-30, 0), 5.5, 5.5);
  key = key.subtracted(hole);

  p.setPen(QPen(QColor(0x7a, 0x55, 0x0e), 3));
  p.setBrush(QColor(0xe0, 0xa8, 0x2e));
  p.drawPath(key);
}

// A page with lines of writing, and a pencil across it that writes a new name: a
// picture of its own, since themes give Save As the very picture of Save and the
// style's fallback is a page too pale to see.
void DrawRename(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath page;
  page.moveTo(10, 4);
  page.lineTo(38, 4);
  page.lineTo(50, 16);
  page.lineTo(50, 60);
  page.lineTo(10, 60);
  page.closeSubpath();
  p.setPen(QPen(QColor(0x3c, 0x4a, 0x5c), 3));
  p.setBrush(QColor(0xf2, 0xf5, 0xf9));
  p.drawPath(page);
  p.setPen(QPen(QColor(0x6b, 0x7b, 0x8f), 3, Qt::SolidLine, Qt::RoundCap));
  for (int y : {22, 31, 40}) p.drawLine(17, y, 42, y);

  p.translate(40, 44);
  p.rotate(-45);
  QPainterPath body;
  body.addRect(QRectF(-4, -7, 30, 14));
  p.setPen(QPen(QColor(0x7a, 0x45, 0x0e), 2.5));
  p.setBrush(QColor(0xe8, 0x9a, 0x2c));
  p.drawPath(body);
  QPainterPath tip;
  tip.moveTo(-4, -7);
  tip.lineTo(-18, 0);
  tip.lineTo(-4, 7);
  tip.closeSubpath();
  p.setBrush(QColor(0xf3, 0xd9, 0xae));
  p.drawPath(tip);
  p.setBrush(QColor(0x20, 0x20, 0x20));
  p.setPen(Qt::NoPen);
  QPainterPath point;
  point.moveTo(-13, -2.5);
  point.lineTo(-18, 0);
  point.lineTo(-13, 2.5);
  point.closeSubpath();
  p.drawPath(point);
}

QPixmap DrawnPixmap(int pixels, void (*draw)(QPainter&)) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.scale(pixels / 64.0, pixels / 64.0);
  draw(p);
  return pixmap;
}

// `source` brought to exactly `pixels` square: a smaller picture is enlarged, a
// picture of another shape is centred.
QPixmap OfSize(const QIcon& source, int pixels) {
  QPixmap best = source.pixmap(QSize(pixels, pixels), 1.0);
  QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  if (!best.isNull()) {
    QPixmap scaled =
        best.size() == QSize(pixels, pixels)
            ? best
            : best.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter p(&canvas);
    p.drawPixmap((pixels - scaled.width()) / 2, (pixels - scaled.height()) / 2, scaled);
  }
  return QPixmap::fromImage(canvas);
}

struct Picture {
  const char* key;
  const char* theme_icon;
  QStyle::StandardPixmap fallback;
};

constexpr Picture kPictures[] = {
    {"load", "document-open", QStyle::SP_DialogOpenButton},
    {"clear", "edit-clear", QStyle::SP_DialogResetButton},
    {"save", "document-save", QStyle::SP_DialogSaveButton},
    {"encrypt", "document-encrypt", QStyle::SP_ArrowUp},
    {"decrypt", "document-decrypt", QStyle::SP_ArrowDown},
    {"binary", "view-list-details", QStyle::SP_FileDialogContentsView},
    {"exit", "application-exit", QStyle::SP_DialogCloseButton},
};

}  // namespace

QIcon ToolbarIcon(const QStyle& style, const std::string& key, int size) {
  QIcon icon;
  for (int pixels : {size, 2 * size}) {
    if (key == "newkey" || key == "rename") {
      icon.addPixmap(DrawnPixmap(pixels, key == "newkey" ? DrawKey : DrawRename));
      continue;
    }
    for (const Picture& picture : kPictures) {
      if (key != picture.key) continue;
      QIcon source =
          QIcon::fromTheme(QLatin1String(picture.theme_icon), style.standardIcon(picture.fallback));
      icon.addPixmap(OfSize(source, pixels));
    }
  }
  return icon;
}

}  // namespace marrowlock
