// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QStringList>

namespace marrowlock {

// A label for captions that may not fit (a file's path, the status line): each line
// too wide for the label is cut in the middle with "…" rather than at the edge, so
// both ends of a path stay readable. text() stays the whole caption, which is also
// what screen readers get.
class ElidedLabel : public QLabel {
 public:
  ElidedLabel();
  // The lines as drawn at the label's present width.
  QStringList ShownLines() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace marrowlock
