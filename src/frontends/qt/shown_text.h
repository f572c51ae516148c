// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/text_encoding.h"

class QPlainTextEdit;

namespace marrowlock {

// A text area drawn from a byte string. It remembers the bytes it shows and the
// encoding it reads them in, so that an unchanged text is not set again, and a
// text that grew only gets its tail.
class ShownText {
 public:
  explicit ShownText(QPlainTextEdit* edit) : edit_(edit) {}
  // Shows `bytes` read in `encoding`. Returns whether the widget's text changed.
  bool Draw(const std::string& bytes, TextEncoding encoding = TextEncoding::kWindows1252);
  // The user changed the widget's text: `bytes` are its characters in `encoding`.
  void Edited(const std::string& bytes, TextEncoding encoding);
  const std::string& shown() const { return shown_; }
  TextEncoding encoding() const { return encoding_; }

 private:
  QPlainTextEdit* edit_;
  std::string shown_;
  TextEncoding encoding_ = TextEncoding::kWindows1252;
  // Bytes at the end of shown_ that begin a UTF-8 character still incomplete; each
  // is shown as one U+FFFD until the text grows and completes it.
  size_t incomplete_ = 0;
  // The widget holds what the user typed: its characters are not the ones drawn from
  // shown_ when windows-1252 had no byte for some, so it is never extended.
  bool typed_ = false;
};

}  // namespace marrowlock
