// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace marrowlock {

// The program's icon, a padlock, drawn at the sizes a window manager asks for.
QIcon AppIcon();

}  // namespace marrowlock
