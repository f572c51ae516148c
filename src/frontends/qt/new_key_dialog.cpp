// SPDX-License-Identifier: MIT
#include "frontends/qt/new_key_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "frontends/qt/text_conversion.h"

namespace marrowlock {

std::optional<NewKeyAnswer> AskNewKeyInDialog(QWidget* parent, const NewKeyRequest& request) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("NewKeyDialog"));
  dialog.setWindowTitle(QStringLiteral("Make a New Key"));
  auto* form = new QFormLayout(&dialog);

  auto* folder = new QLabel(PathText(request.Folder));
  folder->setTextFormat(Qt::PlainText);
  folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* name = new QLineEdit;
  name->setObjectName(QStringLiteral("KeyName"));
  name->setPlaceholderText(QStringLiteral("mine.mlk"));
  auto* length = new QComboBox;
  length->setObjectName(QStringLiteral("BlockLength"));
  for (int n : request.BlockLengths) {
    length->addItem(QStringLiteral("%1 bytes").arg(n), n);
    if (n == request.BlockLength) length->setCurrentIndex(length->count() - 1);
  }
  form->addRow(QStringLiteral("Folder:"), folder);
  form->addRow(QStringLiteral("&Name:"), name);
  form->addRow(QStringLiteral("&Block length:"), length);
  auto* note = new QLabel(
      QStringLiteral("The key file is readable by you only. Anyone who has it can decrypt what "
                     "it encrypts: keep it like a password."));
  note->setWordWrap(true);
  form->addRow(note);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setText(QStringLiteral("&Make Key"));
  ok->setEnabled(false);
  QObject::connect(name, &QLineEdit::textChanged, ok,
                   [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  dialog.resize(440, dialog.sizeHint().height());

  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  NewKeyAnswer answer;
  answer.Name = PathBytes(name->text());
  answer.BlockLength = length->currentData().toInt();
  return answer;
}

}  // namespace marrowlock
