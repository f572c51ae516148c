// SPDX-License-Identifier: MIT
// What output files do alike on every system; the rest is in output_file_posix.cpp and
// output_file_windows.cpp.
#include "platform/output_file.h"

#include <algorithm>
#include <vector>

namespace marrowlock {

void ReplaceFile(const std::string& path, Access access, const std::function<void(File&)>& fill) {
  OutputFile out(path, access);
  fill(out.file());
  out.Publish();
}

void WriteFileReplacing(const std::string& path, std::string_view data, Access access) {
  ReplaceFile(path, access, [&](File& out) { out.Write(data); });
}

void CopyAll(const File& from, File& to,
             const std::function<void(int64_t copied, int64_t total)>& copying) {
  std::vector<char> buffer(1 << 20);
  const int64_t size = from.Size();
  for (int64_t done = 0; done < size;) {
    const int64_t piece = std::min<int64_t>(size - done, static_cast<int64_t>(buffer.size()));
    from.ReadIntoAt(buffer.data(), piece, done);
    to.Write(std::string_view(buffer.data(), static_cast<size_t>(piece)));
    done += piece;
    if (copying) copying(done, size);
  }
}

}  // namespace marrowlock
