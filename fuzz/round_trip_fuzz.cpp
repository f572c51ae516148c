// SPDX-License-Identifier: MIT
// Whatever the data, encrypting it and decrypting the result with a key and its
// inverse gives the data back, followed by exactly the padding of its last block.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cipher/block_lengths.h"
#include "cipher/key_inverse.h"
#include "commands/decrypt_command.h"
#include "commands/encrypt_command.h"
#include "commands/key_file.h"
#include "fuzz_platform.h"
#include "platform/file_system.h"
#include "state/program_state.h"
#include "support/test_key.h"

namespace {

std::string ReadAll(const std::string& path) { return marrowlock::ReadWholeFile(path); }

}  // namespace

// Input: one byte choosing N and the mode, four bytes seeding the key, then the data.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marrowlock;
  if (size < 5) return 0;
  FuzzFolder();
  const int n = kBlockLengths[data[0] % kBlockLengths.size()];
  const bool binary = (data[0] & 0x80) != 0;
  std::mt19937 random(static_cast<unsigned>(data[1]) | data[2] << 8 | data[3] << 16 |
                      static_cast<unsigned>(data[4]) << 24);
  const std::string plain(reinterpret_cast<const char*>(data + 5), size - 5);
  if (!binary && plain.empty()) return 0;  // an empty text box is never encrypted

  TestKey key;
  for (int i = 0; i < n; ++i) key.pair.push_back(static_cast<uint8_t>(random()));
  key.pair.back() |= 1;
  key.pal = InverseModBlock(key.pair);

  FuzzPlatform platform;
  ProgramState s(platform);
  // The log takes regular files only; a fresh one each time keeps it small.
  s.LogPath = FuzzFolder() + "/home/mllog.txt";
  RemoveFile(s.LogPath);
  SetKeyTables(s, key.pair.data(), key.pal.data(), n);
  const std::string framed = ReferenceFraming(plain, n, binary);

  if (binary) {
    s.BinaryMode = true;
    File out = File::Create("src.bin");
    out.Write(plain);
    out.Close();
    s.EncryptSourceName = "src.bin";
  } else {
    s.Form1.Text1.Text = plain;
    platform.answer = "src";
  }
  EncryptCommand(s);
  Check(platform.messages.empty());
  // The transform itself is checked against the reference by the transform target.
  Check(ReadAll("src.enc").size() == framed.size());

  s.DecryptSourceName = "src";
  DecryptCommand(s);
  Check(platform.messages.empty());
  Check(ReadAll("src.dec") == framed);
  if (!binary) Check(s.Form1.Text1.Text == framed);
  return 0;
}
