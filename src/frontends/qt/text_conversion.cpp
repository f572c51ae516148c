#include "frontends/qt/text_conversion.h"

#include <QFile>
#include <QStringConverter>

#include "platform/codepage.h"

namespace marrowlock {

namespace {
constexpr char32_t kNulSymbol = 0x2400;
}

QString BytesToDisplay(std::string_view bytes, bool after_cr) {
  std::u32string shown;
  shown.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == '\n' && (i > 0 ? bytes[i - 1] == '\r' : after_cr)) continue;
    if (b == '\r' || b == '\n') {
      shown.push_back(U'\n');
    } else if (b == 0) {
      shown.push_back(kNulSymbol);
    } else {
      shown.push_back(ByteToCodePoint(b));
    }
  }
  return QString::fromUcs4(shown.data(), static_cast<qsizetype>(shown.size()));
}

std::string DisplayToBytes(const QString& text, bool* lossy) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (char32_t c : text.toUcs4()) {
    if (c == U'\n' || c == 0x2028 || c == 0x2029) {
      bytes += "\r\n";
    } else if (c == kNulSymbol) {
      bytes.push_back('\0');
    } else if (std::optional<unsigned char> b = CodePointToByte(c)) {
      bytes.push_back(static_cast<char>(*b));
    } else {
      bytes.push_back('?');
      if (lossy) *lossy = true;
    }
  }
  return bytes;
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
    // Qt reads the patterns from the last parenthesis of each entry.
    filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

}  // namespace marrowlock
