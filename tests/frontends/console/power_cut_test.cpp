// SPDX-License-Identifier: MIT
// A power cut a few seconds after a run: the program's outputs are on an ext4 file
// system in a loop-device image, mounted so that the kernel itself would not save
// them (data written back late, nothing flushed on rename); once the journal has
// committed, the image is copied as a power cut would leave the disk, and mounted
// again. Every output that the program reported as written must be there, whole
// (without syncing, a replaced file is left empty here).

#include <gtest/gtest.h>

#include <filesystem>

#include "files/settings_file.h"
#include "platform/system_paths.h"
#include "support/environment.h"
#include "support/posix_only.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "support/test_key.h"

namespace marrowlock {
namespace {

namespace fs = std::filesystem;

// Run under "unshare -m", so the mounts vanish with it: $1 the program, $2 the key
// generator, $3 the test folder. Exits 99 when no loop device can be mounted here.
// "entered" tells a refusal of unshare itself (inside a chroot, for one) from the
// script's own failures.
constexpr const char* kScript = R"(
bin=$1; keygen=$2; top=$3
cd "$top" || exit 98
: >entered || exit 98
truncate -s 64M disk.img && mkfs.ext4 -q -F disk.img || exit 99
mkdir -p mnt after
# noauto_da_alloc: no flush when a file replaces another. The journal commits every
# five seconds, the new names with it, whether their data has been written or not.
mount -o loop,noauto_da_alloc disk.img mnt 2>/dev/null || exit 99
cp stage/* mnt/ && sync -f mnt/ || exit 98
cd mnt
"$bin" report.txt -i -kk.mlk || exit 97
"$bin" data.enc -i -kk.mlk -oout.dec || exit 97
"$keygen" new.mlk >/dev/null || exit 97
cd "$top"
sleep 7
cp disk.img cut.img
umount mnt
mount -o loop cut.img mnt || exit 98
cp -a mnt/. after/
umount mnt
)";

TEST(PowerCutTest, OutputsSurviveAPowerCutOnceTheRunHasEnded) {
  MARROWLOCK_POSIX_ONLY(kLoopMount);
  TempDir dir;
  if (!RunningAsRoot()) GTEST_SKIP() << "mounting a loop device needs root";
  for (const char* tool : {"/usr/bin/unshare", "/usr/sbin/mkfs.ext4", "/usr/bin/truncate"}) {
    if (!fs::exists(tool)) GTEST_SKIP() << tool << " is missing";
  }
  const TestKey key = MakeTestKey(16, 21);
  std::string key_bytes(key.pair.begin(), key.pair.end());
  key_bytes.append(key.pal.begin(), key.pal.end());
  EnsureSystemFolder();
  WriteSettingsFile(dir / "mnt", "k.mlk");
  const std::string report = PatternBytes(3 << 20, 22);
  const std::string data = PatternBytes(2 << 20, 23);
  fs::create_directory(dir / "stage");
  WriteFile(dir / "stage/k.mlk", key_bytes);
  WriteFile(dir / "stage/report.txt", report);
  WriteFile(dir / "stage/report.enc", "the old encrypted report");
  WriteFile(dir / "stage/data.enc", ReferenceTransform(data, key.pair));
  WriteFile(dir / "stage/out.dec", "the old decrypted data");

  ProgramRun run;
  run.program = "/usr/bin/unshare";
  run.args = {
      "-m",      "/bin/sh", "-c", kScript, "sh", MARROWLOCK_BINARY, MARROWLOCK_KEYGEN_BINARY,
      dir.path()};
  run.folder = dir.path();
  run.timeout_seconds = 120;
  ProgramResult result = RunToEnd(run);
  if (result.status == 99) GTEST_SKIP() << "no loop device can be mounted here";
  if (!FileExists(dir / "entered")) {
    GTEST_SKIP() << "unshare -m cannot make a mount namespace here: " << result.err;
  }
  ASSERT_EQ(result.status, 0) << result.err;

  EXPECT_TRUE(ReadFile(dir / "after/report.enc") ==
              ReferenceTransform(ReferenceFraming(report, 16, true), key.pair))
      << "report.enc has " << fs::file_size(dir / "after/report.enc") << " bytes";
  EXPECT_TRUE(ReadFile(dir / "after/out.dec") == data)
      << "out.dec has " << fs::file_size(dir / "after/out.dec") << " bytes";
  EXPECT_EQ(fs::file_size(dir / "after/new.mlk"), 32u);
}

}  // namespace
}  // namespace marrowlock
