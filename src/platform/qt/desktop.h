#pragma once

namespace marrowlock {

// Runs the program with its Qt window: start-up, then the window's event loop.
// Returns the process's exit status. When there is no display it says
// "No display available." on standard error and returns a failure status.
int RunDesktop(int argc, char** argv);

}  // namespace marrowlock
