// SPDX-License-Identifier: MIT
#include "frontends/qt/shown_text.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

namespace marrowlock {
namespace {

constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;

// A decryption shows its text as it grows: each piece is added to what is shown.
TEST(ShownText, ATextThatGrowsInPiecesShowsWhatTheWholeTextWould) {
  QPlainTextEdit edit;
  ShownText shown(&edit);
  EXPECT_TRUE(shown.Draw("caf\xC3", kUtf8));
  EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("caf\uFFFD"));
  // The piece that completes the character redraws it from its first byte.
  EXPECT_TRUE(shown.Draw("caf\xC3\xA9 \xE2", kUtf8));
  EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("café \uFFFD"));
  EXPECT_TRUE(shown.Draw("caf\xC3\xA9 \xE2\x80\x93\r", kUtf8));
  // A CR LF cut in two is one line break.
  EXPECT_TRUE(shown.Draw("caf\xC3\xA9 \xE2\x80\x93\r\nx", kUtf8));
  EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("café –\nx"));
  EXPECT_FALSE(shown.Draw("caf\xC3\xA9 \xE2\x80\x93\r\nx", kUtf8));

  // Another encoding, or a text that is no continuation, is drawn whole.
  EXPECT_TRUE(shown.Draw("caf\xC3\xA9 \xE2\x80\x93\r\nx"));
  EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("cafÃ© â€“\nx"));
  EXPECT_TRUE(shown.Draw("other"));
  EXPECT_EQ(edit.toPlainText(), "other");
}

TEST(ShownText, WhatTheUserTypedIsNeverExtended) {
  QPlainTextEdit edit;
  ShownText shown(&edit);
  shown.Draw("ab");
  edit.setPlainText(QString::fromUtf8("abā"));
  shown.Edited("ab?", TextEncoding::kWindows1252);
  EXPECT_TRUE(shown.Draw("ab?c"));
  EXPECT_EQ(edit.toPlainText(), "ab?c");
}

}  // namespace
}  // namespace marrowlock
