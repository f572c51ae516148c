// SPDX-License-Identifier: MIT
#include "frontends/qt/new_key_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "frontends/qt/text_conversion.h"

namespace marrowlock {

NewKeyDialog::NewKeyDialog(QWidget* parent, const NewKeyRequest& request)
    : QDialog(parent), name_(new QLineEdit), length_(new QComboBox) {
  setObjectName(QStringLiteral("NewKeyDialog"));
  setWindowTitle(QStringLiteral("Make a New Key"));
  auto* form = new QFormLayout(this);

  auto* folder = new QLabel(PathText(request.Folder));
  folder->setTextFormat(Qt::PlainText);
  folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  name_->setObjectName(QStringLiteral("KeyName"));
  name_->setAccessibleName(QStringLiteral("Name"));
  name_->setPlaceholderText(QStringLiteral("mine.mlk"));
  length_->setObjectName(QStringLiteral("BlockLength"));
  length_->setAccessibleName(QStringLiteral("Block length"));
  for (int n : request.BlockLengths) {
    length_->addItem(QStringLiteral("%1 bytes").arg(n), n);
    if (n == request.BlockLength) length_->setCurrentIndex(length_->count() - 1);
  }
  form->addRow(QStringLiteral("Folder:"), folder);
  form->addRow(QStringLiteral("&Name:"), name_);
  form->addRow(QStringLiteral("&Block length:"), length_);
  auto* note = new QLabel(
      QStringLiteral("The key file is readable by you only. Anyone who has it can decrypt what "
                     "it encrypts: keep it like a password."));
  note->setWordWrap(true);
  form->addRow(note);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QStringLiteral("&Make Key"));
  ok_->setEnabled(false);
  connect(name_, &QLineEdit::textChanged, ok_,
          [this](const QString& text) { ok_->setEnabled(!text.trimmed().isEmpty()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  resize(440, sizeHint().height());
}

NewKeyAnswer NewKeyDialog::Answer() const {
  NewKeyAnswer answer;
  answer.Name = PathBytes(name_->text());
  answer.BlockLength = length_->currentData().toInt();
  return answer;
}

}  // namespace marrowlock
