// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "cipher/key_pair.h"
#include "frontends/cli/cli_options.h"
#include "frontends/cli/file_plan.h"
#include "frontends/cli/progress_line.h"

namespace marrowlock {

// Works on every job, `at_a_time` files at once (the processors shared among them),
// with `key`'s Pair to encrypt or its Pal to decrypt. Each output is written as a
// new file beside its name that takes the name only once complete (readable by its
// owner only when it holds decrypted data), never over an existing file unless
// `force`. A job that fails is reported through `progress` as "FILE: reason" and the
// others go on. Returns how many jobs failed.
int RunFileJobs(const std::vector<FileJob>& jobs, const KeyPair& key, Direction direction,
                bool force, int at_a_time, ProgressLine& progress);

}  // namespace marrowlock
