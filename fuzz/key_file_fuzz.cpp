// SPDX-License-Identifier: MIT
// A key file of any bytes: only the six lengths load, and a refused file leaves the
// key in force exactly as it was.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cipher/block_lengths.h"
#include "commands/key_file.h"
#include "fuzz_platform.h"
#include "platform/file_system.h"
#include "state/program_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marrowlock;
  FuzzFolder();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    File out = File::Create("fuzz.mlk");
    out.Write(bytes);
    out.Close();
  }
  FuzzPlatform platform;
  ProgramState s(platform);

  // A key already in force: N = 2, Pair 1 2, Pal 3 4.
  s.PendingKeyFile = "before";
  {
    File out = File::Create("before.mlk");
    out.Write(std::string("\x01\x02\x03\x04", 4));
    out.Close();
  }
  OpenKeyFile(s);
  Check(s.KeyLoaded && s.BlockLength == 2);
  const Cells pair_before = s.PairKey;
  const Cells pal_before = s.PalKey;

  // The name without its extension: the extension is forced.
  s.PendingKeyFile = size > 0 && (data[0] & 1) != 0 ? "fuzz" : "fuzz.key";
  OpenKeyFile(s);

  if (size % 2 == 0 && IsBlockLength(static_cast<int64_t>(size / 2))) {
    const size_t n = size / 2;
    Check(platform.messages.empty());
    Check(s.KeyLoaded && s.BlockLength == static_cast<int>(n));
    Check(s.PendingKeyFile.empty());
    Check(s.PairKey.size() == n + 1 && s.PalKey.size() == n + 1);
    Check(s.ProductCells.size() == 2 * n + 1);
    Check(std::equal(s.PairKey.begin(), s.PairKey.begin() + static_cast<long>(n), data));
    Check(std::equal(s.PalKey.begin(), s.PalKey.begin() + static_cast<long>(n), data + n));
  } else {
    Check(platform.messages.size() == 1);
    Check(platform.messages[0] == (size == 0 ? "No such key file, fuzz.mlk."
                                             : "Corrupt key file, cannot load file fuzz.mlk."));
    Check(s.BlockLength == 2 && s.PairKey == pair_before && s.PalKey == pal_before);
    // An empty key file is removed; any other refused file stays.
    Check(PathExists("fuzz.mlk") == (size != 0));
  }
  return 0;
}
