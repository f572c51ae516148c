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

QPixmap KeyPixmap(int pixels) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.scale(pixels / 64.0, pixels / 64.0);
  DrawKey(p);
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
    {"rename", "document-save-as", QStyle::SP_FileLinkIcon},
    {"encrypt", "document-encrypt", QStyle::SP_ArrowUp},
    {"decrypt", "document-decrypt", QStyle::SP_ArrowDown},
    {"binary", "view-list-details", QStyle::SP_FileDialogContentsView},
    {"exit", "application-exit", QStyle::SP_DialogCloseButton},
};

}  // namespace

QIcon ToolbarIcon(const QStyle& style, const std::string& key, int size) {
  QIcon icon;
  for (int pixels : {size, 2 * size}) {
    if (key == "newkey") {
      icon.addPixmap(KeyPixmap(pixels));
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
