// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace marrowlock {

// A second user (kOtherUser) at work in a folder they may write to: for as long as
// the object lives, they keep replacing each of `names` in `folder` by a link to
// `target` (a private file of the user under test) or by an empty file of their own
// that anyone may write. Requires root; the process ends with the object, or with
// the test program should that die first.
class LinkSwapper {
 public:
  LinkSwapper(const std::string& folder, const std::vector<std::string>& names,
              const std::string& target);
  ~LinkSwapper();
  LinkSwapper(const LinkSwapper&) = delete;
  LinkSwapper& operator=(const LinkSwapper&) = delete;

 private:
  pid_t pid_ = -1;
};

}  // namespace marrowlock
