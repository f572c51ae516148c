// SPDX-License-Identifier: MIT
#include "platform/text_encoding.h"

#include <optional>

#include "platform/codepage.h"

namespace marrowlock {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// How many bytes a sequence that starts with `lead` has (2 to 4), and the range its
// second byte must lie in, which excludes overlong forms, surrogates and code points
// above U+10FFFF. Zero for a byte that cannot start a sequence.
struct Lead {
  int length = 0;
  unsigned char second_low = 0x80;
  unsigned char second_high = 0xBF;
};

Lead LeadOf(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {2};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {3};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {};
}

// The number of bytes of the sequence at bytes[pos] that are present and valid so
// far; equal to the lead's length when the sequence is complete.
int ValidPrefix(std::string_view bytes, size_t pos, const Lead& lead) {
  int valid = 1;
  for (; valid < lead.length && pos + valid < bytes.size(); ++valid) {
    unsigned char b = static_cast<unsigned char>(bytes[pos + valid]);
    if (valid == 1 ? (b < lead.second_low || b > lead.second_high) : !IsContinuation(b)) break;
  }
  return valid;
}

std::optional<char32_t> DecodeUtf8At(std::string_view bytes, size_t pos, int* length) {
  unsigned char b = static_cast<unsigned char>(bytes[pos]);
  *length = 1;
  if (b < 0x80) return b;
  Lead lead = LeadOf(b);
  if (lead.length == 0 || ValidPrefix(bytes, pos, lead) != lead.length) return std::nullopt;
  char32_t c = b & (0xFF >> (lead.length + 1));
  for (int i = 1; i < lead.length; ++i) {
    c = (c << 6) | (static_cast<unsigned char>(bytes[pos + i]) & 0x3F);
  }
  *length = lead.length;
  return c;
}

}  // namespace

namespace {

// Whether `bytes` are valid UTF-8, and whether any of them lies outside ASCII.
struct Utf8Scan {
  bool valid = true;
  bool ascii = true;
};

Utf8Scan ScanUtf8(std::string_view bytes, bool cut_short) {
  if (cut_short) bytes.remove_suffix(IncompleteUtf8Tail(bytes));
  Utf8Scan scan;
  for (size_t pos = 0; pos < bytes.size();) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    int length = 0;
    if (!DecodeUtf8At(bytes, pos, &length)) return {false, false};
    scan.ascii = false;
    pos += static_cast<size_t>(length);
  }
  return scan;
}

}  // namespace

TextEncoding ChooseEncoding(std::string_view bytes, bool cut_short) {
  Utf8Scan scan = ScanUtf8(bytes, cut_short);
  return scan.valid && !scan.ascii ? TextEncoding::kUtf8 : TextEncoding::kWindows1252;
}

bool IsValidUtf8(std::string_view bytes, bool cut_short) {
  return ScanUtf8(bytes, cut_short).valid;
}

char32_t DecodeCharacter(std::string_view bytes, size_t* pos, TextEncoding encoding) {
  if (encoding == TextEncoding::kWindows1252) {
    return ByteToCodePoint(static_cast<unsigned char>(bytes[(*pos)++]));
  }
  int length = 0;
  std::optional<char32_t> c = DecodeUtf8At(bytes, *pos, &length);
  *pos += static_cast<size_t>(length);
  return c.value_or(kReplacement);
}

bool AppendCharacter(char32_t c, TextEncoding encoding, std::string* bytes) {
  if (encoding == TextEncoding::kWindows1252) {
    std::optional<unsigned char> b = CodePointToByte(c);
    bytes->push_back(b ? static_cast<char>(*b) : '?');
    return b.has_value();
  }
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
  auto put = [bytes](char32_t v) { bytes->push_back(static_cast<char>(v)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
  return true;
}

size_t IncompleteUtf8Tail(std::string_view bytes) {
  // A sequence is at most four bytes long, so its lead lies within the last three.
  for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    size_t pos = bytes.size() - back;
    unsigned char b = static_cast<unsigned char>(bytes[pos]);
    if (IsContinuation(b)) continue;
    Lead lead = LeadOf(b);
    if (lead.length > static_cast<int>(back) &&
        ValidPrefix(bytes, pos, lead) == static_cast<int>(back)) {
      return back;
    }
    return 0;
  }
  return 0;
}

}  // namespace marrowlock
