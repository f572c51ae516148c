// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <string>

class QStyle;

namespace marrowlock {

// The picture of the toolbar button with key `key` ("load", "newkey", ...), drawn at
// exactly `size` pixels square (and twice that for dense screens), so that all nine
// buttons line up whatever sizes the desktop theme or the style offer. The pictures
// come from the desktop theme where it has them, else from the Qt style; New Key is
// a key drawn here, since neither has one to rely on.
QIcon ToolbarIcon(const QStyle& style, const std::string& key, int size);

}  // namespace marrowlock
