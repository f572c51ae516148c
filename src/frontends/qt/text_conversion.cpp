// SPDX-License-Identifier: MIT
#include "frontends/qt/text_conversion.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringConverter>
#include <algorithm>

#include "app/text_area.h"

namespace marrowlock {

namespace {

std::u16string_view Units(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace

QString TextAreaText(std::string_view bytes, size_t from, TextEncoding encoding) {
  return QString::fromStdU16String(AreaText(bytes, from, encoding, AreaBreaks::kParagraphs));
}

std::string DisplayToBytes(const QString& text, TextEncoding encoding, bool* lossy,
                           std::string_view line_break) {
  return AreaBytes(Units(text), encoding, lossy, line_break);
}

std::string EditedBytes(std::string_view before, const QString& text, TextEncoding encoding,
                        bool* lossy) {
  return EditedAreaBytes(before, Units(text), encoding, AreaBreaks::kParagraphs, lossy);
}

QString CaptionText(std::string_view bytes) {
  auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (decoder.hasError()) text = BytesToDisplay(bytes);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return text;
}

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathText(std::string_view bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QStringList ToNameFilters(const std::string& filter) {
  // The descriptions often name their patterns already ("Key Files (*.mlk)"); Qt
  // shows the description as it is, so the patterns it adds would stand there twice.
  static const QRegularExpression kNamedPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      QString p = pattern.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
      if (p.isEmpty() || p == QLatin1String("*.") || patterns.contains(p)) continue;
      patterns << p;
    }
    if (patterns.isEmpty()) continue;
    QString description = parts[i];
    description.remove(kNamedPatterns);
    // Qt reads the patterns from the last parenthesis of each entry.
    filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

}  // namespace marrowlock
