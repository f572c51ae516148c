// SPDX-License-Identifier: MIT
#include "platform/display_probe.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace marrowlock {
namespace {

constexpr int kX11TcpPortBase = 6000;
constexpr const char* kX11SocketBase = "/tmp/.X11-unix/X";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Closes a descriptor when it goes out of scope.
class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Connects to a Unix socket, an abstract one (no file, Linux only) when `abstract`.
bool UnixSocketAnswers(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t offset = abstract ? 1 : 0;
  // An abstract name needs no terminating zero, a file name does.
  if (path.empty() || path.size() + offset + (abstract ? 0 : 1) > sizeof(address.sun_path)) {
    return false;
  }
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  Socket s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (s.fd() < 0) return false;
  int result;
  do {
    result = ::connect(s.fd(), reinterpret_cast<const sockaddr*>(&address), length);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

// Connects to `host` (empty: this machine) on TCP `port`, trying each of its
// addresses for at most `timeout_ms`.
bool TcpPortAnswers(const std::string& host, int port, int timeout_ms) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(host.empty() ? "localhost" : host.c_str(), service.c_str(), &hints, &found) !=
      0) {
    return false;
  }
  bool answered = false;
  for (addrinfo* a = found; a != nullptr && !answered; a = a->ai_next) {
    Socket s(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
    if (s.fd() < 0) continue;
    if (::connect(s.fd(), a->ai_addr, a->ai_addrlen) == 0) {
      answered = true;
      break;
    }
    if (errno != EINPROGRESS) continue;
    pollfd waiting{s.fd(), POLLOUT, 0};
    if (::poll(&waiting, 1, timeout_ms) != 1) continue;
    int error = 0;
    socklen_t size = sizeof(error);
    answered = ::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }
  ::freeaddrinfo(found);
  return answered;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A platform that draws on a display server this file can probe.
bool IsDisplayPlatform(const std::string& name) {
  return name == "xcb" || name.starts_with("wayland");
}

// The platform names of a QT_QPA_PLATFORM value, without their options.
std::vector<std::string> PlatformNames(const std::string& requested) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= requested.size()) {
    size_t end = requested.find(';', start);
    if (end == std::string::npos) end = requested.size();
    std::string entry = requested.substr(start, end - start);
    entry = entry.substr(0, entry.find(':'));
    if (!entry.empty()) names.push_back(entry);
    start = end + 1;
  }
  return names;
}

// True when the request leaves the choice to this file: nothing asked for, or only
// platforms that need a display server.
bool WantsDisplayServer(const std::string& requested) {
  for (const std::string& name : PlatformNames(requested)) {
    if (!IsDisplayPlatform(name)) return false;
  }
  return true;
}

}  // namespace

bool X11DisplayAnswers(const std::string& display, int timeout_ms) {
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string place = display.substr(0, colon);
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));  // the screen does not matter
  if (!AllDigits(number) || number.size() > 5) return false;
  const int n = std::atoi(number.c_str());
  if (n > 65535 - kX11TcpPortBase) return false;

  // A full socket path before the number, as some systems hand out.
  if (place.starts_with("/")) return UnixSocketAnswers(place, false);
  std::string protocol;
  const size_t slash = place.find('/');
  if (slash != std::string::npos) {
    protocol = place.substr(0, slash);
    place = place.substr(slash + 1);
  }
  if (place.ends_with(":")) return false;  // DECnet: not spoken here
  if (place == "unix") {
    protocol = "unix";
    place.clear();
  }
  const bool tcp = protocol == "tcp" || protocol == "inet" || protocol == "inet6";
  if (!protocol.empty() && !tcp && protocol != "unix") return false;
  if (tcp || (protocol.empty() && !place.empty())) {
    return TcpPortAnswers(place, kX11TcpPortBase + n, timeout_ms);
  }

  const std::string socket = kX11SocketBase + std::to_string(n);
  if (UnixSocketAnswers(socket, true) || UnixSocketAnswers(socket, false)) return true;
  // A display without host or protocol may also be served on this machine's TCP port.
  return protocol.empty() && TcpPortAnswers("", kX11TcpPortBase + n, timeout_ms);
}

bool WaylandDisplayAnswers(const std::string& display, const std::string& runtime_dir) {
  if (display.empty()) return false;
  if (display.starts_with("/")) return UnixSocketAnswers(display, false);
  if (runtime_dir.empty()) return false;
  return UnixSocketAnswers(runtime_dir + "/" + display, false);
}

ReachableDisplays ProbeDisplays() {
  ReachableDisplays reachable;
  const std::string x11 = Environment("DISPLAY");
  if (!x11.empty()) reachable.x11 = X11DisplayAnswers(x11);
  if (!Environment("WAYLAND_SOCKET").empty()) {
    reachable.wayland = true;
  } else {
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    if (!wayland.empty()) {
      reachable.wayland = WaylandDisplayAnswers(wayland, Environment("XDG_RUNTIME_DIR"));
    }
  }
  return reachable;
}

std::optional<std::string> WindowPlatformFor(const std::string& requested,
                                             ReachableDisplays reachable) {
  if (!WantsDisplayServer(requested)) return "";
  const std::vector<std::string> names = PlatformNames(requested);
  if (!names.empty()) {
    for (const std::string& name : names) {
      if (name == "xcb" ? reachable.x11 : reachable.wayland) return "";
    }
    return std::nullopt;
  }
  if (reachable.x11 && reachable.wayland) return "";
  if (reachable.x11) return "xcb";
  if (reachable.wayland) return "wayland";
  return std::nullopt;
}

bool PrepareWindowPlatform() {
  const std::string requested = Environment("QT_QPA_PLATFORM");
  // Platforms such as "offscreen" draw without a display server: nothing to probe.
  if (!WantsDisplayServer(requested)) return true;
  std::optional<std::string> platform = WindowPlatformFor(requested, ProbeDisplays());
  if (!platform) return false;
  if (!platform->empty()) ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
  return true;
}

}  // namespace marrowlock
