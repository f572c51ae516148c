// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace marrowlock {

// Outputs that are not files: an existing character device, FIFO or socket named as
// an output is written into directly, never created, truncated or renamed over, so
// that "/dev/null" stays the system's own node and a FIFO's reader gets the data.
//
// Returns the open target when `target` is such a thing, or leads to one through
// links that belong to the user or to root. Returns nothing when it is anything
// else: missing, a regular file, a folder, or a link of another user or to one of
// those; the caller then makes a new file that replaces the name (a link is
// replaced, never followed).
//
// A name that leads to an open descriptor of this process ("/dev/stdout",
// "/dev/fd/1", "/proc/self/fd/1") is written through a copy of that descriptor,
// whatever it is: "-o/dev/stdout" streams into a pipe, or appends to the file that
// standard output was sent to.
//
// Throws FileError, touching nothing, for a block device (a disk is never an
// output), and for a device, FIFO or socket of another user: in a folder others can
// write to, it could have been put there to catch the data.
std::optional<File> OpenNodeOutput(const std::string& target);

}  // namespace marrowlock
