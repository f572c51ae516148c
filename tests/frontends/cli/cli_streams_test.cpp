// SPDX-License-Identifier: MIT
// marrowlock-cli reading standard input and writing standard output: the same bytes
// as batch mode writes for a file, although a stream does not announce its length.

#include <set>

#include "frontends/cli/cli_fixture.h"
#include "support/posix_only.h"

namespace marrowlock {
namespace {

constexpr int64_t kChunk = 4001;

// Lengths around every case of the last block: none (whole blocks), padded with a
// space and zeros, or with spaces only (a final chunk that, joined to the bytes
// carried over, makes less than a block); an empty source; chunk and buffer edges;
// and a source of many chunks, which batch mode reads several at a time.
std::set<int64_t> LengthsToTry(int n) {
  std::set<int64_t> lengths = {0,
                               1,
                               2,
                               n - 1,
                               n,
                               n + 1,
                               2 * n - 1,
                               kChunk - 1,
                               kChunk,
                               kChunk + 1,
                               2 * kChunk,
                               2 * kChunk + 1,
                               3 * kChunk + 2};
  for (int64_t chunks : {1, 2, 300}) {
    const int64_t carried = chunks * kChunk % n;
    for (int64_t more : {-1, 0, 1}) {
      const int64_t final_chunk = n - carried + more;
      if (final_chunk >= 1 && final_chunk <= kChunk) lengths.insert(chunks * kChunk + final_chunk);
    }
  }
  for (int64_t near_buffer : {-1, 0, 1}) lengths.insert((int64_t{1} << 20) + near_buffer);
  lengths.erase(-1);
  return lengths;
}

TEST_F(CliTest, StandardInputToStandardOutputGivesBatchModesBytesForEveryN) {
  SetDefaultKey("unused.mlk");
  // Under Wine each of these runs costs half a second, and the known-answer files
  // already check every N there: the smallest, a middle and the largest N suffice.
  const std::vector<int> every_n = {1, 2, 4, 8, 16, 256};
  const std::vector<int> some_n = {1, 16, 256};
  for (int n : UnderWine() ? some_n : every_n) {
    const std::string key = "k" + std::to_string(n) + ".mlk";
    MakeKey(key, n);
    for (int64_t length : LengthsToTry(n)) {
      SCOPED_TRACE("N = " + std::to_string(n) + ", " + std::to_string(length) + " bytes");
      const std::string plain =
          SomeBytes(static_cast<size_t>(length), static_cast<unsigned>(length));
      WriteFile(dir / "data.bin", plain);

      ProgramResult batch_enc = Batch("data.bin", key);
      ASSERT_EQ(batch_enc.status, 0) << batch_enc.err;
      const std::string batch_cipher = ReadFile(dir / "data.enc");
      ProgramResult enc = Cli({"encrypt", "-k", key}, plain);
      ASSERT_EQ(enc.status, 0) << enc.err;
      EXPECT_EQ(enc.err, "");
      ASSERT_EQ(enc.out.size(), batch_cipher.size());
      EXPECT_TRUE(enc.out == batch_cipher) << "encrypted bytes differ from batch mode's";

      ProgramResult batch_dec = Batch("data.enc", key);
      ASSERT_EQ(batch_dec.status, 0) << batch_dec.err;
      ProgramResult dec = Cli({"decrypt", "-k", key}, batch_cipher);
      ASSERT_EQ(dec.status, 0) << dec.err;
      EXPECT_EQ(dec.err, "");
      EXPECT_TRUE(dec.out == ReadFile(dir / "data.dec")) << "decrypted bytes differ";
      EXPECT_TRUE(dec.out.starts_with(plain));
    }
  }
}

TEST_F(CliTest, FilesAndStreamsGiveTheSameBytes) {
  MakeKey("k.mlk", 16);
  const std::string plain = SomeBytes(3 * kChunk + 5, 3);
  WriteFile(dir / "a.txt", plain);
  ASSERT_EQ(Cli({"encrypt", "-k", "k.mlk", "a.txt"}).status, 0);
  const std::string from_file = ReadFile(dir / "a.enc");
  EXPECT_EQ(Cli({"encrypt", "-k", "k.mlk", "-"}, plain).out, from_file);
  EXPECT_EQ(Cli({"encrypt", "-k", "k.mlk", "-o", "-", "a.txt"}).out, from_file);

  ASSERT_EQ(Cli({"decrypt", "-k", "k.mlk", "a.enc"}).status, 0);
  EXPECT_EQ(Cli({"decrypt", "-k", "k.mlk"}, from_file).out, ReadFile(dir / "a.dec"));
  EXPECT_EQ(Cli({"decrypt", "-k", "k.mlk", "-o", "-", "a.enc"}).out, ReadFile(dir / "a.dec"));
}

TEST_F(CliTest, ADamagedOrEmptyEncryptedStreamFails) {
  MakeKey("k.mlk", 16);
  const std::string cipher = Cli({"encrypt", "-k", "k.mlk"}, std::string(40, 'a')).out;
  ASSERT_EQ(cipher.size(), 48u);

  // As batch mode does, the whole blocks are decrypted and the rest left out; but
  // the call fails, with either one stray byte or more.
  for (size_t extra : {1u, 5u}) {
    ProgramResult damaged = Cli({"decrypt", "-k", "k.mlk"}, cipher + std::string(extra, 'x'));
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.out, Cli({"decrypt", "-k", "k.mlk"}, cipher).out);
    EXPECT_EQ(damaged.err, "marrowlock-cli: standard input: damaged: the " + std::to_string(extra) +
                               " bytes after the last whole block of 16 bytes were left out (the "
                               "blocks before them were decrypted)\n");
  }

  ProgramResult empty = Cli({"decrypt", "-k", "k.mlk"}, "");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "marrowlock-cli: standard input: empty: there is nothing to decrypt\n");
}

}  // namespace
}  // namespace marrowlock
