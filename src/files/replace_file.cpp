#include "files/replace_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace marrowlock {

void ReplaceFile(const std::string& path, unsigned mode, const std::function<void(File&)>& fill) {
  std::string temp;
  File out = CreateTemporaryBeside(path, mode, &temp);
  try {
    fill(out);
    out.Sync();
    out.Close();
    // The temporary file lies in the target's folder, so this rename is one step:
    // readers see the old file or the new one, never a mixture.
    if (std::rename(temp.c_str(), path.c_str()) != 0) throw FileError("write", path, errno);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace marrowlock
