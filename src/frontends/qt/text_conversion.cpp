// SPDX-License-Identifier: MIT
#include "frontends/qt/text_conversion.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringConverter>
#include <algorithm>

namespace marrowlock {

namespace {

constexpr char16_t kNulSymbol = 0x2400;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

// Texts from this length on keep their line breaks inside paragraphs, starting a new
// paragraph only at the first break in each stretch of kParagraphBytes bytes; shorter
// texts give every line a paragraph of its own, as typed text has.
constexpr size_t kGroupedFrom = size_t{1} << 19;
constexpr size_t kParagraphBytes = 4096;
constexpr size_t kNoBreak = static_cast<size_t>(-1);

bool IsBreak(char b) { return b == '\r' || b == '\n'; }

// The characters a text area holds for a line break: a new paragraph (LF in plain
// text, U+2029 in the document's raw text) or a break inside one.
bool IsBreakUnit(char16_t u) {
  return u == u'\n' || u == kLineSeparator || u == kParagraphSeparator;
}

// Where the character that TextAreaText shows as the `unit`-th UTF-16 unit of the
// whole of `bytes` starts; bytes.size() for the unit after the last.
// REQUIRES: `unit` does not fall inside a surrogate pair.
size_t ByteOfUnit(std::string_view bytes, qsizetype unit, TextEncoding encoding) {
  size_t pos = 0;
  for (qsizetype seen = 0; seen < unit && pos < bytes.size(); ++seen) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (b == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') {
      pos += 2;
    } else if (b < 0x80) {
      ++pos;
    } else if (DecodeCharacter(bytes, &pos, encoding) >= 0x10000) {
      ++seen;  // shown as two units
    }
  }
  return pos;
}

// Joins pieces of a text so that the line breaks shown stay apart: a lone CR that
// meets an LF at the seam would read as one CR LF, so the CR becomes a CR LF of its
// own.
void AppendKeepingBreaks(std::string* bytes, std::string_view piece) {
  if (!bytes->empty() && bytes->back() == '\r' && !piece.empty() && piece.front() == '\n') {
    bytes->push_back('\n');
  }
  bytes->append(piece);
}

// Where the last line break before `from` starts, when it lies close enough to
// decide whether a break at or after `from` shares its stretch.
size_t BreakBefore(std::string_view bytes, size_t from) {
  const size_t stop = from > kParagraphBytes ? from - kParagraphBytes : 0;
  for (size_t i = from; i-- > stop;) {
    if (!IsBreak(bytes[i])) continue;
    return (bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r') ? i - 1 : i;
  }
  return kNoBreak;
}

// Writes `c` at `out` as one or two UTF-16 units; returns the place after them.
char16_t* PutCodePoint(char16_t* out, char32_t c) {
  if (c < 0x10000) {
    *out++ = static_cast<char16_t>(c);
  } else {
    *out++ = QChar::highSurrogate(c);
    *out++ = QChar::lowSurrogate(c);
  }
  return out;
}

}  // namespace

QString TextAreaText(std::string_view bytes, size_t from, TextEncoding encoding) {
  // No byte gives more than one UTF-16 unit: only a four-byte character takes two.
  QString text(static_cast<qsizetype>(bytes.size() - from), Qt::Uninitialized);
  char16_t* const start = reinterpret_cast<char16_t*>(text.data());
  char16_t* out = start;
  const bool grouped = bytes.size() >= kGroupedFrom;
  size_t last_break = grouped ? BreakBefore(bytes, from) : kNoBreak;
  size_t pos = from;
  if (pos > 0 && pos < bytes.size() && bytes[pos] == '\n' && bytes[pos - 1] == '\r') ++pos;
  while (pos < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (b >= 0x20 && b < 0x80) {
      *out++ = b;
      ++pos;
    } else if (b == '\r' || b == '\n') {
      bool paragraph = !grouped || last_break == kNoBreak ||
                       last_break / kParagraphBytes != pos / kParagraphBytes;
      *out++ = paragraph ? u'\n' : kLineSeparator;
      last_break = pos;
      pos += (b == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
    } else if (b == 0) {
      *out++ = kNulSymbol;
      ++pos;
    } else {
      out = PutCodePoint(out, DecodeCharacter(bytes, &pos, encoding));
    }
  }
  text.truncate(static_cast<qsizetype>(out - start));
  return text;
}

std::string DisplayToBytes(const QString& text, TextEncoding encoding, bool* lossy,
                           std::string_view line_break) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const char16_t u = units[i];
    if (IsBreakUnit(u)) {
      bytes += line_break;
    } else if (u < 0x80) {
      bytes.push_back(static_cast<char>(u));
    } else if (u == kNulSymbol) {
      bytes.push_back('\0');
    } else {
      char32_t c = u;
      if (QChar::isHighSurrogate(u) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
        c = QChar::surrogateToUcs4(u, units[++i]);
      }
      if (!AppendCharacter(c, encoding, &bytes) && lossy) *lossy = true;
    }
  }
  return bytes;
}

std::string_view LineBreakOf(std::string_view bytes) {
  size_t at = bytes.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (bytes[at] == '\n') return "\n";
  return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? "\r\n" : "\r";
}

std::string EditedBytes(std::string_view before, const QString& text, TextEncoding encoding,
                        bool* lossy) {
  const QString was = TextAreaText(before, 0, encoding);
  const char16_t* a = reinterpret_cast<const char16_t*>(was.utf16());
  const char16_t* b = reinterpret_cast<const char16_t*>(text.utf16());
  auto same = [](char16_t x, char16_t y) { return x == y || (IsBreakUnit(x) && IsBreakUnit(y)); };
  const qsizetype shorter = std::min(was.size(), text.size());
  qsizetype head = 0;
  while (head < shorter && same(a[head], b[head])) ++head;
  // A character of two units is kept whole or written anew whole.
  if (head > 0 && head < was.size() && QChar::isLowSurrogate(a[head])) --head;
  qsizetype tail = 0;
  while (tail < shorter - head && same(a[was.size() - 1 - tail], b[text.size() - 1 - tail])) {
    ++tail;
  }
  if (tail > 0 && QChar::isLowSurrogate(a[was.size() - tail])) --tail;

  const size_t head_end = ByteOfUnit(before, head, encoding);
  const size_t tail_start = ByteOfUnit(before, was.size() - tail, encoding);
  std::string bytes(before.substr(0, head_end));
  AppendKeepingBreaks(&bytes, DisplayToBytes(text.mid(head, text.size() - tail - head), encoding,
                                             lossy, LineBreakOf(before)));
  AppendKeepingBreaks(&bytes, before.substr(tail_start));
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
