// SPDX-License-Identifier: MIT
#pragma once

#include "platform/platform.h"

namespace marrowlock {

// While it lives, an output that got its name in a folder that could not be synced
// afterwards is told to the user through `platform` as one message, e.g.
//   "Cannot open folder .: Permission denied. x.enc is complete, but may not survive
//    a power cut."
// and the command goes on: the output is whole, only a power cut could still lose it.
class UnsyncedFolderMessages {
 public:
  explicit UnsyncedFolderMessages(Platform& platform);
  ~UnsyncedFolderMessages();
  UnsyncedFolderMessages(const UnsyncedFolderMessages&) = delete;
  UnsyncedFolderMessages& operator=(const UnsyncedFolderMessages&) = delete;
};

}  // namespace marrowlock
