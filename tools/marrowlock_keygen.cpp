// marrowlock-keygen: makes a new key file. Pair is a random odd number of N bytes,
// Pal its inverse modulo 256^N, so that whatever Pair encrypts Pal decrypts.

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/key_inverse.h"

namespace {

constexpr const char* kUsage =
    "Usage: marrowlock-keygen [-n N] FILE\n"
    "Writes a new Marrowlock key file FILE of 2N bytes: a random odd multiplier\n"
    "that encrypts, then its inverse modulo 256^N that decrypts.\n"
    "  -n N         bytes per block: 1, 2, 4, 8, 16 or 256 (default 16)\n"
    "  -h, --help   show this text\n"
    "  --version    show the version\n"
    "An existing FILE is never overwritten. The file is readable by its owner only.\n";

constexpr int kExitError = 1;
constexpr int kExitUsage = 2;

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "marrowlock-keygen: %s\n", message.c_str());
  return status;
}

bool ParseBlockLength(std::string_view text, int* n) {
  for (int valid : {1, 2, 4, 8, 16, 256}) {
    if (text == std::to_string(valid)) {
      *n = valid;
      return true;
    }
  }
  return false;
}

// Fills `bytes` from the kernel's random source; false with errno set on failure.
bool FillRandom(std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t got = ::getrandom(bytes.data() + done, bytes.size() - done, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno != ENOSYS) return false;
      // Kernels without getrandom(2) still have the device.
      int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
      if (fd < 0) return false;
      while (done < bytes.size()) {
        ssize_t r = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
          int e = r < 0 ? errno : EIO;
          ::close(fd);
          errno = e;
          return false;
        }
        done += static_cast<size_t>(r);
      }
      ::close(fd);
      return true;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      if (w == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int n = 16;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::fputs("marrowlock-keygen " MARROWLOCK_VERSION "\n", stdout);
      return 0;
    }
    if (arg == "-n" || (arg.size() > 2 && arg.substr(0, 2) == "-n")) {
      std::string_view value = arg.size() > 2 ? arg.substr(2) : std::string_view();
      if (arg.size() == 2) {
        if (i + 1 >= argc)
          return Fail(kExitUsage, "-n needs a block length (1, 2, 4, 8, 16 or 256)");
        value = argv[++i];
      }
      if (!ParseBlockLength(value, &n)) {
        return Fail(kExitUsage, "invalid block length '" + std::string(value) +
                                    "': choose 1, 2, 4, 8, 16 or 256");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Fail(kExitUsage, "unknown option '" + std::string(arg) + "' (see --help)");
    } else if (path.empty()) {
      path = arg;
    } else {
      return Fail(kExitUsage, "only one FILE may be given (see --help)");
    }
  }
  if (path.empty()) return Fail(kExitUsage, "missing FILE (see --help)");

  std::vector<uint8_t> pair(static_cast<size_t>(n));
  if (!FillRandom(pair)) {
    return Fail(kExitError, std::string("cannot read random bytes: ") + std::strerror(errno));
  }
  pair.back() |= 1;  // only an odd multiplier can be undone
  std::vector<uint8_t> key = pair;
  std::vector<uint8_t> pal = marrowlock::InverseModBlock(pair);
  key.insert(key.end(), pal.begin(), pal.end());

  // O_EXCL: never replace a file, not even one that appears after we looked.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return Fail(kExitError, path + " already exists; not overwriting it");
    return Fail(kExitError, "cannot create " + path + ": " + std::strerror(errno));
  }
  if (!WriteAll(fd, key) || ::fsync(fd) != 0) {
    int e = errno;
    ::close(fd);
    ::unlink(path.c_str());  // a partial key would be worse than none
    return Fail(kExitError, "cannot write " + path + ": " + std::strerror(e));
  }
  if (::close(fd) != 0) {
    int e = errno;
    ::unlink(path.c_str());
    return Fail(kExitError, "cannot write " + path + ": " + std::strerror(e));
  }
  return 0;
}
