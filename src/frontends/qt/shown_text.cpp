// SPDX-License-Identifier: MIT
#include "frontends/qt/shown_text.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "frontends/qt/text_conversion.h"

namespace marrowlock {

bool ShownText::Draw(const std::string& bytes, TextEncoding encoding) {
  if (bytes == shown_ && encoding == encoding_) return false;
  if (!typed_ && encoding == encoding_ && !shown_.empty() && bytes.size() > shown_.size() &&
      bytes.compare(0, shown_.size(), shown_) == 0) {
    // A decryption extends the text at every flush; setting the whole text again
    // would cost time in proportion to all that is shown so far. A character that
    // the last piece cut in two is drawn again from its first byte.
    QTextCursor cursor(edit_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.setPosition(cursor.position() - static_cast<int>(incomplete_), QTextCursor::KeepAnchor);
    cursor.insertText(TextAreaText(bytes, shown_.size() - incomplete_, encoding));
  } else {
    edit_->setPlainText(TextAreaText(bytes, 0, encoding));
  }
  shown_ = bytes;
  encoding_ = encoding;
  incomplete_ = encoding == TextEncoding::kUtf8 ? IncompleteUtf8Tail(bytes) : 0;
  typed_ = false;
  return true;
}

void ShownText::Edited(const std::string& bytes, TextEncoding encoding) {
  shown_ = bytes;
  encoding_ = encoding;
  incomplete_ = 0;
  typed_ = true;
}

}  // namespace marrowlock
