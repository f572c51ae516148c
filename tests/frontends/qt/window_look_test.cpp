// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeView>
#include <tuple>

#include "frontends/qt/elided_label.h"

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

  // Every button has a picture of its own, and Rename's is no pale page.
  QList<QAction*> actions = bar->actions();
  for (qsizetype i = 0; i < actions.size(); ++i) {
    for (qsizetype j = i + 1; j < actions.size(); ++j) {
      EXPECT_NE(actions[i]->icon().pixmap(size).toImage(),
                actions[j]->icon().pixmap(size).toImage())
          << actions[i]->objectName().toStdString() << " "
          << actions[j]->objectName().toStdString();
    }
  }
  QImage rename = Action("rename")->icon().pixmap(size).toImage();
  int dark = 0;
  for (int y = 0; y < rename.height(); ++y) {
    for (int x = 0; x < rename.width(); ++x) {
      QRgb p = rename.pixel(x, y);
      dark += qAlpha(p) > 128 && qGray(p) < 140;
    }
  }
  EXPECT_GT(dark, size.width() * size.height() / 10);
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

TEST_F(WindowLookTest, TheStatusLineLinesUpWithTheHeadingsAndLongCaptionsAreCutVisibly) {
  s.Form1.Label1 = Label{"Decrypting\r\n 812.4MB/min", true};
  platform.Redraw();
  window().show();
  QApplication::processEvents();
  auto text_start = [this](QLabel* label) {
    return label->mapTo(&window(), label->contentsRect().topLeft()).x();
  };
  EXPECT_EQ(text_start(window().label(1)), text_start(window().label(2)));
  EXPECT_EQ(text_start(window().label(5)), text_start(window().label(2)));

  // At the narrowest the window goes, a long name loses its middle, not its end.
  const std::string name = "/home/someone/" + std::string(200, 'n') + "/report.dec";
  s.Form1.Label5.Caption = "Decrypted File:(" + name + ")";
  s.Form1.Label1.Caption = "Saving " + name + "\r\n 40%";
  platform.Redraw();
  window().resize(window().minimumSizeHint().width(), window().height());
  QApplication::processEvents();
  // Everything in the status bar stays inside the window.
  EXPECT_LE(window()
                .encoding_status()
                ->mapTo(&window(), QPoint(window().encoding_status()->width(), 0))
                .x(),
            window().width());
  for (int number : {1, 5}) {
    auto* label = dynamic_cast<ElidedLabel*>(window().label(number));
    ASSERT_NE(label, nullptr) << number;
    const QString first = label->ShownLines().front();
    EXPECT_TRUE(first.contains(QChar(0x2026))) << first.toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(first), label->contentsRect().width());
    EXPECT_TRUE(first.endsWith(number == 5 ? ".dec)" : ".dec")) << first.toStdString();
  }
  EXPECT_EQ(window().label(5)->text().toStdString(), s.Form1.Label5.Caption);
}

TEST_F(WindowLookTest, TheEncodingIsNamedInTextModeOnly) {
  window().show();
  EXPECT_TRUE(window().encoding_status()->isVisible());
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_FALSE(window().encoding_status()->isVisible());
  Press(Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(window().encoding_status()->isVisible());
}

TEST_F(WindowLookTest, TheHelpWindowHoldsALineOfEightyColumnsUnbroken) {
  std::string help;
  for (int i = 0; i < 60; ++i) help += std::string(79, 'M') + "|\r\n";
  WriteFile(dir.home() + "/mlhelp.txt", help);
  Press(Qt::Key_F1);
  QPlainTextEdit* text = platform.help_window()->text1();
  ASSERT_TRUE(text->isVisible());
  QApplication::processEvents();
  const QTextBlock first = text->document()->firstBlock();
  ASSERT_EQ(first.text().size(), 80);
  EXPECT_EQ(first.layout()->lineCount(), 1);
}

TEST_F(WindowLookTest, FileDialogsOpenWideEnoughForAllTheirColumns) {
  QFileDialog dialog(nullptr, QStringLiteral("Load"), QDir::tempPath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setViewMode(QFileDialog::Detail);
  FitFileDialog(dialog);
  dialog.show();
  QApplication::processEvents();
  auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  ASSERT_NE(tree, nullptr);
  QHeaderView* header = tree->header();
  // Each column as wide as its heading at least ("Date Modified" the widest), and
  // all of them inside the view.
  for (int i = 0; i < header->count(); ++i) {
    EXPECT_GE(header->sectionSize(i), header->sectionSizeHint(i)) << i;
  }
  const int last = header->logicalIndex(header->count() - 1);
  EXPECT_LE(header->sectionViewportPosition(last) + header->sectionSize(last),
            tree->viewport()->width());
  dialog.hide();
}

TEST(DrivesTest, TheSetupDialogOffersTheRootTheHomeFolderAndRemovableMedia) {
  EXPECT_EQ(
      UserPlaces("/home/ann",
                 {"/", "/home", "/work", "/srv/root/proc", "/boot/efi", "/run/media/ann/CARD",
                  "/media/ann/STICK", "/mnt/backup", "/media/ann/STICK"}),
      (std::vector<std::string>{"/", "/home/ann", "/media/ann/STICK", "/run/media/ann/CARD"}));
  EXPECT_EQ(UserPlaces("/", {"/"}), std::vector<std::string>{"/"});

  QtPlatform platform;
  std::vector<std::string> drives = platform.ListDrives();
  ASSERT_GE(drives.size(), 2u);
  EXPECT_EQ(drives[0], "/");
  EXPECT_EQ(drives[1], PathBytes(QDir::homePath()));
  for (size_t i = 2; i < drives.size(); ++i) {
    EXPECT_TRUE(drives[i].starts_with("/media/") || drives[i].starts_with("/run/media/"))
        << drives[i];
  }
}

}  // namespace
}  // namespace marrowlock
