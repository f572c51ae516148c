// SPDX-License-Identifier: MIT
#include "app/text_area.h"

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

// The characters a text area holds for a line break, or for a part of one.
bool IsBreakUnit(char16_t u) {
  return u == u'\n' || u == u'\r' || u == kLineSeparator || u == kParagraphSeparator;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u < 0xDC00; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u < 0xE000; }

// Where the character that AreaText shows as the `unit`-th UTF-16 unit of the whole
// of `bytes` starts; bytes.size() for the unit after the last.
// REQUIRES: `unit` falls inside no surrogate pair and no CR LF shown.
size_t ByteOfUnit(std::string_view bytes, size_t unit, TextEncoding encoding, AreaBreaks breaks) {
  const size_t break_units = breaks == AreaBreaks::kCrLf ? 2 : 1;
  size_t pos = 0;
  for (size_t seen = 0; seen < unit && pos < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (b == '\r' || b == '\n') {
      pos += (b == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
      seen += break_units;
    } else if (b < 0x80) {
      ++pos;
      ++seen;
    } else {
      seen += DecodeCharacter(bytes, &pos, encoding) >= 0x10000 ? 2 : 1;
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
    c -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
  return out;
}

}  // namespace

std::u16string AreaText(std::string_view bytes, size_t from, TextEncoding encoding,
                        AreaBreaks breaks) {
  // No byte gives more than two UTF-16 units: a lone CR or LF shown as CR LF, or half
  // of a four-byte character.
  const bool crlf = breaks == AreaBreaks::kCrLf;
  std::u16string text((bytes.size() - from) * (crlf ? 2 : 1), u'\0');
  char16_t* const start = text.data();
  char16_t* out = start;
  const bool grouped = !crlf && bytes.size() >= kGroupedFrom;
  size_t last_break = grouped ? BreakBefore(bytes, from) : kNoBreak;
  size_t pos = from;
  if (pos > 0 && pos < bytes.size() && bytes[pos] == '\n' && bytes[pos - 1] == '\r') ++pos;
  while (pos < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (b >= 0x20 && b < 0x80) {
      *out++ = b;
      ++pos;
    } else if (b == '\r' || b == '\n') {
      if (crlf) {
        *out++ = u'\r';
        *out++ = u'\n';
      } else {
        bool paragraph = !grouped || last_break == kNoBreak ||
                         last_break / kParagraphBytes != pos / kParagraphBytes;
        *out++ = paragraph ? u'\n' : kLineSeparator;
      }
      last_break = pos;
      pos += (b == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
    } else if (b == 0) {
      *out++ = kNulSymbol;
      ++pos;
    } else {
      out = PutCodePoint(out, DecodeCharacter(bytes, &pos, encoding));
    }
  }
  text.resize(static_cast<size_t>(out - start));
  return text;
}

std::string AreaBytes(std::u16string_view text, TextEncoding encoding, bool* lossy,
                      std::string_view line_break) {
  std::string bytes;
  bytes.reserve(text.size());
  const size_t size = text.size();
  for (size_t i = 0; i < size; ++i) {
    const char16_t u = text[i];
    if (IsBreakUnit(u)) {
      if (u == u'\r' && i + 1 < size && text[i + 1] == u'\n') ++i;
      bytes += line_break;
    } else if (u < 0x80) {
      bytes.push_back(static_cast<char>(u));
    } else if (u == kNulSymbol) {
      bytes.push_back('\0');
    } else {
      char32_t c = u;
      if (IsHighSurrogate(u) && i + 1 < size && IsLowSurrogate(text[i + 1])) {
        c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[++i] - 0xDC00);
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

std::string EditedAreaBytes(std::string_view before, std::u16string_view text,
                            TextEncoding encoding, AreaBreaks breaks, bool* lossy) {
  const std::u16string was = AreaText(before, 0, encoding, breaks);
  const bool crlf = breaks == AreaBreaks::kCrLf;
  // A paragraph break and a break inside one look alike; a CR LF is compared unit
  // by unit, and kept or written anew whole below.
  auto same = [crlf](char16_t x, char16_t y) {
    return x == y || (!crlf && IsBreakUnit(x) && IsBreakUnit(y));
  };
  const size_t shorter = std::min(was.size(), text.size());
  size_t head = 0;
  while (head < shorter && same(was[head], text[head])) ++head;
  // A character of two units is kept whole or written anew whole.
  auto splits = [&was](size_t at) {
    return at > 0 && at < was.size() &&
           (IsLowSurrogate(was[at]) || (was[at] == u'\n' && was[at - 1] == u'\r'));
  };
  if (splits(head)) --head;
  size_t tail = 0;
  while (tail < shorter - head && same(was[was.size() - 1 - tail], text[text.size() - 1 - tail])) {
    ++tail;
  }
  if (tail > 0 && splits(was.size() - tail)) --tail;

  const size_t head_end = ByteOfUnit(before, head, encoding, breaks);
  const size_t tail_start = ByteOfUnit(before, was.size() - tail, encoding, breaks);
  std::string bytes(before.substr(0, head_end));
  AppendKeepingBreaks(&bytes, AreaBytes(text.substr(head, text.size() - tail - head), encoding,
                                        lossy, LineBreakOf(before)));
  AppendKeepingBreaks(&bytes, before.substr(tail_start));
  return bytes;
}

}  // namespace marrowlock
