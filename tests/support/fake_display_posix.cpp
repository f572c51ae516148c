// SPDX-License-Identifier: MIT
#include "support/fake_display.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace marrowlock {
namespace {

bool ReadAll(int fd, void* bytes, size_t size) {
  char* next = static_cast<char*>(bytes);
  while (size > 0) {
    const ssize_t got = ::recv(fd, next, size, 0);
    if (got <= 0) return false;
    next += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

void WriteAll(int fd, const std::string& bytes) {
  (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string Card16(size_t value) {
  return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

size_t Padded(size_t n) { return (n + 3) / 4 * 4; }

// A reply to an X11 connection setup (most significant byte first): the status,
// protocol 11.0 and `body`, which must be a multiple of four bytes long.
std::string X11Reply(char status, char reason_length, const std::string& body) {
  return std::string{status, reason_length} + Card16(11) + Card16(0) + Card16(body.size() / 4) +
         body;
}

}  // namespace

std::unique_ptr<FakeDisplay> FakeDisplay::Unix(const std::string& path, bool abstract,
                                               Greeting greeting) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t offset = abstract ? 1 : 0;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  if (fd >= 0 &&
      (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0)) {
    ::close(fd);
    fd = -1;
  }
  return std::make_unique<FakeDisplay>(fd, greeting);
}

std::unique_ptr<FakeDisplay> FakeDisplay::Tcp(int port, Greeting greeting) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
                  ::listen(fd, 16) != 0)) {
    ::close(fd);
    fd = -1;
  }
  return std::make_unique<FakeDisplay>(fd, greeting);
}

FakeDisplay::FakeDisplay(int fd, Greeting greeting) : fd_(fd), greeting_(greeting) {
  // A silent server leaves its clients in the queue: no thread takes them.
  if (fd_ >= 0 && greeting_ != Greeting::kSilent) thread_ = std::thread([this] { Serve(); });
}

FakeDisplay::~FakeDisplay() { Close(); }

void FakeDisplay::Close() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void FakeDisplay::RequireCookie(const std::string& cookie) {
  std::lock_guard lock(mutex_);
  required_cookie_ = cookie;
}

void FakeDisplay::SetScreens(int screens) {
  std::lock_guard lock(mutex_);
  screens_ = screens;
}

std::string FakeDisplay::LastCookie() const {
  std::lock_guard lock(mutex_);
  return last_cookie_;
}

void FakeDisplay::Serve() {
  while (!stop_) {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, 20) != 1) continue;
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Answer(client);
    ::close(client);
  }
}

void FakeDisplay::Answer(int client) {
  if (greeting_ == Greeting::kHangUp) return;
  if (greeting_ == Greeting::kWayland) {
    // The sync request; then the callback's id is given back and the callback is done.
    uint32_t sync[3];
    if (!ReadAll(client, sync, sizeof(sync)) || sync[0] != 1 || sync[1] != (12u << 16)) return;
    const uint32_t events[6] = {1, (12u << 16) | 1, sync[2], sync[2], (12u << 16) | 0, 7};
    WriteAll(client, std::string(reinterpret_cast<const char*>(events), sizeof(events)));
    return;
  }
  // The X11 setup: byte order 'B', protocol, then the authorization's name and data.
  unsigned char head[12];
  if (!ReadAll(client, head, sizeof(head)) || head[0] != 'B') return;
  const size_t name_length = head[6] << 8 | head[7], data_length = head[8] << 8 | head[9];
  std::vector<char> rest(Padded(name_length) + Padded(data_length));
  if (!ReadAll(client, rest.data(), rest.size())) return;
  const std::string name(rest.data(), name_length);
  const std::string data(rest.data() + Padded(name_length), data_length);
  bool cookie_fits;
  int screens;
  {
    std::lock_guard lock(mutex_);
    last_cookie_ = data;
    cookie_fits = !required_cookie_ || (name == "MIT-MAGIC-COOKIE-1" && data == *required_cookie_);
    screens = screens_;
  }
  const std::string reason = "No protocol specified\n";
  const std::string padded_reason = reason + std::string(Padded(reason.size()) - reason.size(), 0);
  if (greeting_ == Greeting::kRefuse || (greeting_ == Greeting::kAccept && !cookie_fits)) {
    WriteAll(client, X11Reply(0, static_cast<char>(reason.size()), padded_reason));
  } else if (greeting_ == Greeting::kAuthenticate) {
    WriteAll(client, X11Reply(2, 0, padded_reason));
  } else if (greeting_ == Greeting::kAccept) {
    // Release, resource ids, motion buffer; no vendor, no formats; the screens
    // themselves are left out, as no client here reads them.
    std::string body(32, '\0');
    body[20] = static_cast<char>(screens);
    WriteAll(client, X11Reply(1, 0, body));
  }
}

std::string XAuthorityEntry(int family, const std::string& address, const std::string& number,
                            const std::string& name, const std::string& data) {
  return Card16(static_cast<size_t>(family)) + Card16(address.size()) + address +
         Card16(number.size()) + number + Card16(name.size()) + name + Card16(data.size()) + data;
}

}  // namespace marrowlock
