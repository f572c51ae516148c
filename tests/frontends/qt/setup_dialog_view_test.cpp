// SPDX-License-Identifier: MIT
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "frontends/qt/new_key_dialog.h"

#include "window_fixture.h"

namespace marrowlock {
namespace {

class SetupDialogViewTest : public WindowTest {
 protected:
  SetupDialogViewTest() {
    std::filesystem::create_directories(dir / "keys");
    WriteFile(dir / "keys/a.mlk", kKeyBytes);
    WriteFile(dir / "keys/b.mlk", kKeyBytes);
    WriteFile(dir / "keys/notes.txt", "not a key");
  }
  SetupView& dialog() { return *platform.setup_dialog(); }
  static QStringList Entries(QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
    return entries;
  }
  // Runs Key > Modify Defaults; `user` acts inside the open dialog.
  void ModifyDefaultsWith(std::function<void()> user) {
    QTimer::singleShot(0, [this, user] {
      EXPECT_TRUE(dialog().isVisible());
      user();
    });
    Trigger("menuKeyNewDefaultKey");
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(window().isVisible());
  }
};

TEST_F(SetupDialogViewTest, BrowsingToAFolderAndDoubleClickingAKeyChoosesIt) {
  ModifyDefaultsWith([this] {
    EXPECT_EQ(dialog().findChild<QLabel*>("Label1")->text(), "Choose a Default Key to Use");
    EXPECT_EQ(dialog().drive_list()->itemText(0), "/");
    EXPECT_EQ(Entries(dialog().file_list()), QStringList{"test.mlk"});
    QListWidget* dirs = dialog().directory_list();
    QList<QListWidgetItem*> keys = dirs->findItems("[keys]", Qt::MatchExactly);
    ASSERT_EQ(keys.size(), 1);
    dirs->setCurrentItem(keys.front());
    QTest::keyClick(dirs, Qt::Key_Return);
    EXPECT_EQ(s.Dialog.Directory, dir / "keys");
    EXPECT_EQ(Entries(dialog().file_list()), (QStringList{"a.mlk", "b.mlk"}));

    QListWidget* files = dialog().file_list();
    QRect b = files->visualItemRect(files->item(1));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, b.center());
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, b.center());
  });
  std::optional<Settings> settings = ReadSettingsFile();
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->KeyDirectory, dir / "keys");
  EXPECT_EQ(settings->DefaultKeyName, "b.mlk");
  EXPECT_EQ(LastMessage(), "Default key and key dir successfully changed.");
  EXPECT_EQ(window().label(6)->text(), "Current key()");
}

TEST_F(SetupDialogViewTest, ClosingThroughTheFrameOrEscapeIsCancel) {
  ModifyDefaultsWith([this] {
    dialog().file_list()->setCurrentRow(0);
    dialog().close();
  });
  ModifyDefaultsWith([this] {
    dialog().file_list()->setCurrentRow(0);
    QTest::keyClick(dialog().file_list(), Qt::Key_Escape);
  });
  std::optional<Settings> settings = ReadSettingsFile();
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->KeyDirectory, dir.path());
  EXPECT_EQ(settings->DefaultKeyName, "test.mlk");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_FALSE(platform.exit_status());
}

TEST_F(SetupDialogViewTest, OkWithASelectedKeyInTheSameFolderChangesNothing) {
  ModifyDefaultsWith([this] {
    dialog().file_list()->setCurrentRow(0);
    dialog().ok_button()->click();
  });
  EXPECT_TRUE(platform.messages.empty());
}

// A first start meets a folder without keys: the dialog says where keys come from,
// and makes one there.
TEST_F(SetupDialogViewTest, MakeANewKeyWritesAKeyIntoTheFolderShownAndSelectsIt) {
  ModifyDefaultsWith([this] {
    EXPECT_NE(dialog().findChild<QLabel*>("Label2")->text().indexOf("marrowlock-keygen"), -1);
    EXPECT_EQ(dialog().make_key_button()->text(), QString::fromUtf8("Make a &new key\u2026"));
    QListWidget* dirs = dialog().directory_list();
    dirs->setCurrentItem(dirs->findItems("[keys]", Qt::MatchExactly).front());
    QTest::keyClick(dirs, Qt::Key_Return);

    platform.SetNextInputAnswer("fresh");
    platform.SetNextInputAnswer("8");
    dialog().make_key_button()->click();
    ASSERT_NE(dialog().file_list()->currentItem(), nullptr);
    EXPECT_EQ(dialog().file_list()->currentItem()->text(), "fresh.mlk");
    EXPECT_TRUE(dialog().isVisible());
    dialog().ok_button()->click();
  });
  EXPECT_EQ(ReadFile(dir / "keys/fresh.mlk").size(), 16u);
  std::optional<Settings> settings = ReadSettingsFile();
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->KeyDirectory, dir / "keys");
  EXPECT_EQ(settings->DefaultKeyName, "fresh.mlk");
}

TEST(NewKeyDialogTest, AsksForANameAndOffersTheBlockLengthsWithSixteenChosen) {
  NewKeyDialog dialog(nullptr, NewKeyRequest{"/keys", {1, 2, 4, 8, 16, 256}, 16});
  EXPECT_EQ(dialog.length_list()->count(), 6);
  EXPECT_EQ(dialog.length_list()->currentText(), "16 bytes");
  EXPECT_FALSE(dialog.ok_button()->isEnabled()) << "no key without a name";
  QTest::keyClicks(dialog.name_field(), "travel");
  EXPECT_TRUE(dialog.ok_button()->isEnabled());
  dialog.length_list()->setCurrentIndex(5);
  EXPECT_EQ(dialog.Answer().Name, "travel");
  EXPECT_EQ(dialog.Answer().BlockLength, 256);
}

}  // namespace
}  // namespace marrowlock
