// SPDX-License-Identifier: MIT
#include "frontends/qt/setup_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "app/make_key.h"
#include "files/setup_dialog.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/text_conversion.h"

namespace marrowlock {

namespace {

// The directory above `path` ("/" stays "/").
std::string ParentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ChildOf(const std::string& path, const std::string& name) {
  return path.ends_with('/') ? path + name : path + "/" + name;
}

}  // namespace

SetupView::SetupView(HandlerGate& gate, ProgramState& s)
    : gate_(gate),
      s_(s),
      label1_(new QLabel),
      label2_(new QLabel),
      path_(new QLabel),
      drive1_(new QComboBox),
      dir1_(new QListWidget),
      file1_(new QListWidget),
      ok_(new QPushButton(QStringLiteral("OK"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))),
      make_key_(new QPushButton(QString::fromUtf8("Make a &new key\u2026"))) {
  setObjectName(QStringLiteral("Dialog"));
  setWindowIcon(AppIcon());
  setModal(false);
  label1_->setObjectName(QStringLiteral("Label1"));
  drive1_->setObjectName(QStringLiteral("Drive1"));
  dir1_->setObjectName(QStringLiteral("Dir1"));
  file1_->setObjectName(QStringLiteral("File1"));
  ok_->setObjectName(QStringLiteral("OKButton"));
  cancel_->setObjectName(QStringLiteral("CancelButton"));
  make_key_->setObjectName(QStringLiteral("MakeKeyButton"));
  make_key_->setAutoDefault(false);
  label2_->setObjectName(QStringLiteral("Label2"));
  // What screen readers call the lists, which have no caption of their own.
  drive1_->setAccessibleName(QStringLiteral("Drive"));
  dir1_->setAccessibleName(QStringLiteral("Folders"));
  file1_->setAccessibleName(QStringLiteral("Key files"));
  path_->setObjectName(QStringLiteral("Path"));
  label2_->setTextFormat(Qt::PlainText);
  label2_->setWordWrap(true);
  ok_->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label1_, 0, 0, 1, 2);
  grid->addWidget(drive1_, 1, 0);
  grid->addWidget(dir1_, 2, 0);
  grid->addWidget(file1_, 1, 1, 2, 1);
  grid->addWidget(path_, 3, 0, 1, 2);
  grid->addWidget(label2_, 4, 0, 1, 2);
  path_->setTextFormat(Qt::PlainText);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(make_key_);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 5, 0, 1, 2);
  resize(560, 380);

  connect(drive1_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || static_cast<size_t>(index) >= shown_drives_.size()) return;
    std::string drive = shown_drives_[static_cast<size_t>(index)];
    gate_.RunHandler([this, drive] { SetupDriveChanged(s_, drive); });
  });
  connect(dir1_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { DirectoryActivated(dir1_->row(item)); });
  connect(file1_, &QListWidget::currentRowChanged, this,
          [this](int row) { gate_.RunHandler([this, row] { SetupFileSelected(s_, row); }); });
  connect(file1_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    int row = file1_->row(item);
    gate_.RunHandler([this, row] {
      SetupFileSelected(s_, row);
      SetupFileDoubleClicked(s_);
    });
  });
  connect(ok_, &QPushButton::clicked, this, [this] { gate_.RunHandler([this] { SetupOk(s_); }); });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
  connect(make_key_, &QPushButton::clicked, this,
          [this] { gate_.RunHandler([this] { MakeKeyInSetupDialog(s_); }); });
}

void SetupView::DirectoryActivated(int row) {
  std::string target;
  if (row == 0) {
    target = ParentOf(shown_directory_);
  } else if (row > 0 && static_cast<size_t>(row) <= shown_subfolders_.size()) {
    target = ChildOf(shown_directory_, shown_subfolders_[static_cast<size_t>(row - 1)]);
  } else {
    return;
  }
  gate_.RunHandler([this, target] { SetupDirectoryChanged(s_, target); });
}

void SetupView::Draw() {
  const SetupDialog& d = s_.Dialog;
  setWindowTitle(CaptionText(d.Caption));
  label1_->setText(CaptionText(d.Label1.Caption));
  file1_->setAccessibleDescription(label1_->text());
  label1_->setVisible(d.Label1.Visible);
  label2_->setText(CaptionText(d.Label2.Caption));
  label2_->setVisible(d.Label2.Visible);

  if (d.Drives != shown_drives_) {
    QSignalBlocker block(drive1_);
    drive1_->clear();
    for (const std::string& drive : d.Drives) drive1_->addItem(PathText(drive));
    shown_drives_ = d.Drives;
  }
  {
    QSignalBlocker block(drive1_);
    auto it = std::find(shown_drives_.begin(), shown_drives_.end(), d.Drive);
    drive1_->setCurrentIndex(
        it == shown_drives_.end() ? -1 : static_cast<int>(it - shown_drives_.begin()));
  }

  if (d.Directory != shown_directory_ || dir1_->count() == 0) {
    QSignalBlocker block(dir1_);
    dir1_->clear();
    shown_subfolders_.clear();
    shown_directory_ = d.Directory;
    dir1_->addItem(QStringLiteral(".."));
    if (!d.Directory.empty()) {
      QDir dir(PathText(d.Directory));
      for (const QString& name :
           dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        shown_subfolders_.push_back(PathBytes(name));
        dir1_->addItem(QStringLiteral("[") + name + QStringLiteral("]"));
      }
    }
    path_->setText(PathText(d.Directory));
  }

  {
    QSignalBlocker block(file1_);
    if (d.Files != shown_files_) {
      file1_->clear();
      for (const std::string& name : d.Files) file1_->addItem(PathText(name));
      shown_files_ = d.Files;
    }
    if (file1_->currentRow() != d.SelectedFile) file1_->setCurrentRow(d.SelectedFile);
  }

  bool visible = d.Exists && d.Visible;
  if (visible && !isVisible()) {
    show();
    raise();
    activateWindow();
  } else if (!visible && isVisible()) {
    QDialog::hide();
  }
}

void SetupView::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  gate_.RunHandler([this] { SetupCancel(s_); });
}

void SetupView::closeEvent(QCloseEvent* event) {
  if (closing_ || !s_.Dialog.Visible) {
    event->accept();
    return;
  }
  event->ignore();
  gate_.RunHandler([this] { SetupCancel(s_); });
}

}  // namespace marrowlock
