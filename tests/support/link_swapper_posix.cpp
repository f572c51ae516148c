// SPDX-License-Identifier: MIT
#include "support/link_swapper.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/program_run.h"

namespace marrowlock {

LinkSwapper::LinkSwapper(const std::string& folder, const std::vector<std::string>& names,
                         const std::string& target) {
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ != 0) return;
  if (::setgroups(0, nullptr) != 0 || ::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0 ||
      ::chdir(folder.c_str()) != 0) {
    ::_exit(2);
  }
  // Set after the change of user, which clears it.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(0);
  for (unsigned i = 0;; ++i) {
    const char* name = names[i % names.size()].c_str();
    ::unlink(name);
    if (i % 3 == 0) {
      int fd = ::open(name, O_WRONLY | O_CREAT | O_EXCL, 0666);
      if (fd >= 0) ::close(fd);
    } else {
      ::symlink(target.c_str(), name);
    }
  }
}

LinkSwapper::~LinkSwapper() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

}  // namespace marrowlock
