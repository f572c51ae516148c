#pragma once

#include <functional>
#include <string>

#include "platform/file_system.h"

namespace marrowlock {

// Replaces the file `path` with what `fill` writes, never leaving a partial file
// under that name: `fill` writes to a fresh temporary file beside `path` (created
// with `mode`, less the umask), which is synced and then renamed over `path`.
// On any failure the temporary file is removed, the old `path` stays as it was,
// and the FileError is passed on.
void ReplaceFile(const std::string& path, unsigned mode, const std::function<void(File&)>& fill);

}  // namespace marrowlock
