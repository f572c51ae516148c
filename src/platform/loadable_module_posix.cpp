// SPDX-License-Identifier: MIT
#include <dlfcn.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/loadable_module.h"
#include "platform/paths.h"
#include "platform/system_paths.h"

namespace marrowlock {

int RunModule(const std::string& base_name, const std::string& installed, const char* entry,
              int argc, char** argv) {
  const std::string file_name = base_name + ".so";
  const std::string folder = ProgramFolder();
  std::string path = file_name;
  if (!folder.empty()) {
    path = JoinPath(folder, file_name);
    if (::access(path.c_str(), R_OK) != 0) path = JoinPath(folder, installed);
  }
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) throw FileError("load the window module", path, ::dlerror());
  using Entry = int (*)(int, char**);
  auto run = reinterpret_cast<Entry>(::dlsym(module, entry));
  if (run == nullptr) throw FileError("load the window module", path, ::dlerror());
  return run(argc, argv);
}

}  // namespace marrowlock
