// SPDX-License-Identifier: MIT
#include "app/unsynced_folders.h"

#include "platform/output_file.h"

namespace marrowlock {

UnsyncedFolderMessages::UnsyncedFolderMessages(Platform& platform) {
  ReportUnsyncedFolders([&platform](const std::string& target, const FileError& error) {
    platform.MessageBox(std::string(error.what()) + " " + target +
                        " is complete, but may not survive a power cut.");
  });
}

UnsyncedFolderMessages::~UnsyncedFolderMessages() { ReportUnsyncedFolders(nullptr); }

}  // namespace marrowlock
