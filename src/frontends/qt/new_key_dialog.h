// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "platform/platform.h"

class QWidget;

namespace marrowlock {

// The question of "Make a new key…" as one dialog: the folder the key goes into, a
// name field ("KeyName") and a list of the block lengths ("BlockLength"), the one
// offered first chosen. Nothing when the user cancels.
std::optional<NewKeyAnswer> AskNewKeyInDialog(QWidget* parent, const NewKeyRequest& request);

}  // namespace marrowlock
