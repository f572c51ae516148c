// SPDX-License-Identifier: MIT
#include "platform/file_system.h"
#include "platform/loadable_module.h"
#include "platform/paths.h"
#include "platform/system_paths.h"
#include "platform/windows_support.h"

namespace marrowlock {

int RunModule(const std::string& base_name, const std::string& installed, const char* entry,
              int argc, char** argv) {
  const std::string file_name = base_name + ".dll";
  const std::string folder = ProgramFolder();
  std::string path = file_name;
  if (!folder.empty()) {
    path = JoinPath(folder, file_name);
    if (!PathExists(path)) path = JoinPath(folder, installed);
  }
  // Only the module's own folder and the system's are searched for what it needs.
  HMODULE module =
      ::LoadLibraryExW(SystemName(path).c_str(), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module == nullptr) {
    const FileError error = SystemError("load the window module", path, ::GetLastError());
    throw error;
  }
  using Entry = int (*)(int, char**);
  // Through void*: GetProcAddress returns a function type of its own.
  auto run = reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(module, entry)));
  if (run == nullptr) throw SystemError("load the window module", path, ::GetLastError());
  return run(argc, argv);
}

}  // namespace marrowlock
