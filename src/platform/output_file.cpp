// SPDX-License-Identifier: MIT
// What output files do alike on every system; the rest is in output_file_posix.cpp and
// output_file_windows.cpp.
#include "platform/output_file.h"

namespace marrowlock {

void ReplaceFile(const std::string& path, Access access, const std::function<void(File&)>& fill) {
  OutputFile out(path, access);
  fill(out.file());
  out.Publish();
}

void WriteFileReplacing(const std::string& path, std::string_view data, Access access) {
  ReplaceFile(path, access, [&](File& out) { out.Write(data); });
}

}  // namespace marrowlock
