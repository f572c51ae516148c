// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "platform/platform.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace marrowlock {

// The question of "Make a new key…" as one dialog: the folder the key goes into, a
// name field and a list of the block lengths with the one offered first chosen. OK
// ("Make Key") acts only once a name is given.
class NewKeyDialog : public QDialog {
 public:
  NewKeyDialog(QWidget* parent, const NewKeyRequest& request);

  // The name and block length as the dialog holds them now.
  NewKeyAnswer Answer() const;

  QLineEdit* name_field() { return name_; }
  QComboBox* length_list() { return length_; }
  QPushButton* ok_button() { return ok_; }

 private:
  QLineEdit* name_;
  QComboBox* length_;
  QPushButton* ok_;
};

}  // namespace marrowlock
