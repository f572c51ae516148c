// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace marrowlock {

// The one way from a view's Qt event handler into the program. The views call it;
// QtPlatform keeps it, so that the platform knows the views and no view needs to
// know the platform.
class HandlerGate {
 public:
  // Runs `handler` at a Qt handler boundary, then redraws. A ProgramExit closes the
  // windows and ends the event loop; any other exception is shown as a message.
  virtual void RunHandler(const std::function<void()>& handler) = 0;
  // Raises the help window when it is shown.
  virtual void BringUpHelp() = 0;
  // A handler has ended the program: nothing more is started.
  virtual bool Ending() const = 0;

 protected:
  ~HandlerGate() = default;
};

}  // namespace marrowlock
