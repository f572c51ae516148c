// SPDX-License-Identifier: MIT
#include <QStatusBar>
#include <QStyle>
#include <tuple>

#include "window_fixture.h"

namespace marrowlock {
namespace {

using WindowLookTest = WindowTest;

int OpaquePixels(const QImage& image) {
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
  }
  return opaque;
}

TEST_F(WindowLookTest, TheNineToolbarPicturesHaveOneSizeAndTheirLabelsOneLine) {
  QToolBar* bar = window().toolbar();
  const QSize size = bar->iconSize();
  const int height = bar->widgetForAction(bar->actions().first())->sizeHint().height();
  for (QAction* action : bar->actions()) {
    SCOPED_TRACE(action->objectName().toStdString());
    EXPECT_EQ(action->icon().actualSize(size), size);
    EXPECT_EQ(action->icon().pixmap(size).size(), size);
    EXPECT_FALSE(action->text().contains(QLatin1Char('\n')));
    EXPECT_EQ(bar->widgetForAction(action)->sizeHint().height(), height);
  }
  // New Key shows a key drawn large in its square, not a small picture of a drive.
  QImage key = Action("newkey")->icon().pixmap(size).toImage();
  QImage drive = window().style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(size).toImage();
  EXPECT_NE(key.convertToFormat(QImage::Format_ARGB32),
            drive.convertToFormat(QImage::Format_ARGB32));
  EXPECT_GT(OpaquePixels(key), size.width() * size.height() / 5);
}

TEST_F(WindowLookTest, PairAndPalEachStandOverTheirOwnBox) {
  OpenTestKey();
  Press(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  window().show();
  QApplication::processEvents();
  QLabel* pair = window().label(4);
  QLabel* pal = window().pal_heading();
  auto* text3 = window().findChild<QPlainTextEdit*>("Text3");
  auto* text4 = window().findChild<QPlainTextEdit*>("Text4");
  ASSERT_TRUE(pair->isVisible());
  ASSERT_TRUE(pal->isVisible());
  EXPECT_EQ(pair->text(), "Pair");
  EXPECT_EQ(pal->text(), "Pal");
  EXPECT_EQ(pair->x(), text3->x());
  EXPECT_EQ(pal->x(), text4->x());
  EXPECT_LT(pair->y() + pair->height(), text3->y() + 1);
  EXPECT_EQ(s.Form1.Label4.Caption, "Pair          and        Pal");

  Press(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_FALSE(pair->isVisible());
  EXPECT_FALSE(pal->isVisible());
}

TEST_F(WindowLookTest, TheHelpTextIsSetInAFixedWidthFont) {
  Press(Qt::Key_F1);
  QPlainTextEdit* help = platform.help_window()->text1();
  ASSERT_TRUE(help->isVisible());
  EXPECT_EQ(help->fontMetrics().horizontalAdvance(QLatin1Char('i')),
            help->fontMetrics().horizontalAdvance(QLatin1Char('M')));
}

TEST_F(WindowLookTest, NothingMovesWhenTheProgressRowAppearsOrTheStatusLineGrows) {
  window().show();
  auto places = [this] {
    QApplication::processEvents();
    return std::make_tuple(window().size(), text1()->geometry(), window().text2()->geometry(),
                           window().label(5)->geometry(), window().statusBar()->geometry());
  };
  const auto before = places();

  s.Form1.Label1 = Label{"Decrypting", true};
  s.Form1.ProgressBar1 = ProgressBar{40, true};
  platform.Redraw();
  EXPECT_EQ(places(), before);
  EXPECT_TRUE(window().progress_bar()->isVisible());
  s.Form1.Label1.Caption = "Decrypting\r\n 812.4MB/min";
  platform.Redraw();
  EXPECT_EQ(places(), before);

  // A long file name is cut at the window's edge; it does not widen the window.
  s.Form1.Label5.Caption = "Decrypted File:(" + std::string(400, 'n') + ".dec)";
  s.Form1.Label1 = Label{"", false};
  s.Form1.ProgressBar1 = ProgressBar{0, false};
  platform.Redraw();
  EXPECT_EQ(places(), before);
}

}  // namespace
}  // namespace marrowlock
