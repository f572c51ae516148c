// SPDX-License-Identifier: MIT
#include "platform/display_probe.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_paths.h"

namespace marrowlock {
namespace {

constexpr int kX11TcpPortBase = 6000;
constexpr const char* kX11SocketBase = "/tmp/.X11-unix/X";

using Clock = std::chrono::steady_clock;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Milliseconds left until `deadline`, for poll; 0 once it has passed.
int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until `fd` is ready for `events`; false when the deadline passes first.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd waiting{fd, events, 0};
    const int ready = ::poll(&waiting, 1, MillisecondsLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// A non-blocking socket, closed when it goes out of scope.
class Socket {
 public:
  Socket() = default;
  explicit Socket(int fd) : fd_(fd) {}
  Socket(Socket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Socket& operator=(Socket&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }
  bool open() const { return fd_ >= 0; }

  // Connects, waiting until the deadline for a connection in progress.
  bool Connect(const sockaddr* address, socklen_t length, Clock::time_point deadline) {
    if (fd_ < 0) return false;
    int result;
    do {
      result = ::connect(fd_, address, length);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return true;
    // A Unix listener whose queue is full says EAGAIN: it is not taking anyone.
    if (errno != EINPROGRESS || !WaitFor(fd_, POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t size = sizeof(error);
    return ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }

  // Sends all of `bytes`; a peer that has gone raises no SIGPIPE.
  bool SendAll(const void* bytes, size_t size, Clock::time_point deadline) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
      const ssize_t sent = ::send(fd_, next, size, MSG_NOSIGNAL);
      if (sent > 0) {
        next += sent;
        size -= static_cast<size_t>(sent);
      } else if (sent < 0 && errno == EINTR) {
        continue;
      } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!WaitFor(fd_, POLLOUT, deadline)) return false;
      } else {
        return false;
      }
    }
    return true;
  }

  // Receives exactly `size` bytes; false on a closed connection, an error or the deadline.
  bool ReceiveAll(void* bytes, size_t size, Clock::time_point deadline) {
    char* next = static_cast<char*>(bytes);
    while (size > 0) {
      const ssize_t got = ::recv(fd_, next, size, 0);
      if (got > 0) {
        next += got;
        size -= static_cast<size_t>(got);
      } else if (got < 0 && errno == EINTR) {
        continue;
      } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!WaitFor(fd_, POLLIN, deadline)) return false;
      } else {
        return false;
      }
    }
    return true;
  }

 private:
  int fd_ = -1;
};

// A connection to a Unix socket, an abstract one (no file, Linux only) when
// `abstract`; a closed Socket when nobody listens there.
Socket ConnectUnix(const std::string& path, bool abstract, Clock::time_point deadline) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t offset = abstract ? 1 : 0;
  // An abstract name needs no terminating zero, a file name does.
  if (path.empty() || path.size() + offset + (abstract ? 0 : 1) > sizeof(address.sun_path)) {
    return Socket();
  }
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  Socket s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!s.Connect(reinterpret_cast<const sockaddr*>(&address), length, deadline)) return Socket();
  return s;
}

// A connection to `host` (empty: this machine) on TCP `port`: the first of its
// addresses that takes it before the deadline.
Socket ConnectTcp(const std::string& host, int port, Clock::time_point deadline) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(host.empty() ? "localhost" : host.c_str(), service.c_str(), &hints, &found) !=
      0) {
    return Socket();
  }
  Socket connected;
  for (addrinfo* a = found; a != nullptr && MillisecondsLeft(deadline) > 0; a = a->ai_next) {
    Socket s(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
    if (s.Connect(a->ai_addr, a->ai_addrlen, deadline)) {
      connected = std::move(s);
      break;
    }
  }
  ::freeaddrinfo(found);
  return connected;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// --- X11 ---------------------------------------------------------------------

// The parts of an X display name.
struct X11Display {
  std::string protocol;  // "", "unix", "tcp", "inet" or "inet6"
  std::string host;      // "" for this machine; a socket path when it starts with "/"
  int number = 0;
  int screen = 0;
};

std::optional<X11Display> ParseX11Display(const std::string& display) {
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  X11Display parsed;
  std::string place = display.substr(0, colon);
  std::string number = display.substr(colon + 1);
  std::string screen = "0";
  const size_t dot = number.find('.');
  if (dot != std::string::npos) {
    // The window system refuses a screen that is not a number; so does the probe.
    screen = number.substr(dot + 1);
    number.resize(dot);
  }
  if (!AllDigits(number) || number.size() > 5 || !AllDigits(screen) || screen.size() > 3) {
    return std::nullopt;
  }
  parsed.number = std::atoi(number.c_str());
  parsed.screen = std::atoi(screen.c_str());
  if (parsed.number > 65535 - kX11TcpPortBase) return std::nullopt;

  // A full socket path before the number, as some systems hand out.
  if (place.starts_with("/")) {
    parsed.protocol = "unix";
    parsed.host = place;
    return parsed;
  }
  const size_t slash = place.find('/');
  if (slash != std::string::npos) {
    parsed.protocol = place.substr(0, slash);
    place = place.substr(slash + 1);
  }
  if (place.ends_with(":")) return std::nullopt;  // DECnet: not spoken here
  if (place == "unix") {
    parsed.protocol = "unix";
    place.clear();
  }
  const std::string& p = parsed.protocol;
  if (!p.empty() && p != "unix" && p != "tcp" && p != "inet" && p != "inet6") return std::nullopt;
  parsed.host = place;
  return parsed;
}

// Address families of the authority file.
constexpr uint16_t kFamilyInternet = 0;
constexpr uint16_t kFamilyInternet6 = 6;
constexpr uint16_t kFamilyLocal = 256;
constexpr uint16_t kFamilyWild = 65535;
constexpr const char* kCookieName = "MIT-MAGIC-COOKIE-1";
// A larger authority file is no authority file.
constexpr int64_t kMaxAuthorityFile = 1 << 20;

struct XAuthorization {
  std::string name;
  std::string data;
};

// How the authority file names the server at the other end of `s`: a local
// connection (a Unix socket or the loopback) by this machine's host name, any
// other by its network address.
std::pair<uint16_t, std::string> AuthorityAddress(const Socket& s) {
  sockaddr_storage peer{};
  socklen_t size = sizeof(peer);
  if (::getpeername(s.fd(), reinterpret_cast<sockaddr*>(&peer), &size) == 0) {
    if (peer.ss_family == AF_INET) {
      const auto* in = reinterpret_cast<const sockaddr_in*>(&peer);
      const auto* bytes = reinterpret_cast<const char*>(&in->sin_addr);
      if (static_cast<unsigned char>(bytes[0]) != 127) {
        return {kFamilyInternet, std::string(bytes, 4)};
      }
    } else if (peer.ss_family == AF_INET6) {
      const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&peer);
      const auto* bytes = reinterpret_cast<const char*>(&in6->sin6_addr);
      if (IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr)) {
        if (static_cast<unsigned char>(bytes[12]) != 127) {
          return {kFamilyInternet, std::string(bytes + 12, 4)};
        }
      } else if (!IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr)) {
        return {kFamilyInternet6, std::string(bytes, 16)};
      }
    }
  }
  char host[256] = {};
  if (::gethostname(host, sizeof(host) - 1) != 0) host[0] = '\0';
  return {kFamilyLocal, host};
}

// The cookie for display `number` of the server at `address` in the authority file:
// the first entry for that address (or any address) and that display (or any).
std::optional<XAuthorization> FindAuthorization(const std::pair<uint16_t, std::string>& address,
                                                int number) {
  std::string path = Environment("XAUTHORITY");
  if (std::getenv("XAUTHORITY") == nullptr) {
    const std::string home = Environment("HOME");
    if (home.empty()) return std::nullopt;
    path = home + "/.Xauthority";
  }
  const std::optional<int64_t> size = RegularFileSize(path);
  if (!size || *size > kMaxAuthorityFile) return std::nullopt;
  std::string file;
  try {
    file = ReadWholeFile(path);
  } catch (const FileError&) {
    return std::nullopt;
  }
  // Each entry: a family, then address, display number, name and data, each a
  // two-byte big-endian length and that many bytes.
  size_t at = 0;
  auto card16 = [&](uint16_t& value) {
    if (file.size() - at < 2) return false;
    value = static_cast<uint16_t>(static_cast<unsigned char>(file[at]) << 8 |
                                  static_cast<unsigned char>(file[at + 1]));
    at += 2;
    return true;
  };
  auto counted = [&](std::string& value) {
    uint16_t length;
    if (!card16(length) || file.size() - at < length) return false;
    value = file.substr(at, length);
    at += length;
    return true;
  };
  const std::string wanted_number = std::to_string(number);
  for (;;) {
    uint16_t family;
    std::string entry_address, entry_number;
    XAuthorization found;
    if (!card16(family) || !counted(entry_address) || !counted(entry_number) ||
        !counted(found.name) || !counted(found.data)) {
      return std::nullopt;
    }
    const bool same_address =
        family == kFamilyWild || (family == address.first && entry_address == address.second);
    const bool same_display = entry_number.empty() || entry_number == wanted_number;
    if (same_address && same_display && found.name == kCookieName) return found;
  }
}

void PutCard16(std::string& out, size_t value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void PadToFour(std::string& out) { out.append((4 - out.size() % 4) % 4, '\0'); }

// Sends the connection setup of X protocol 11.0 (most significant byte first) and
// reads the server's verdict: true only for "success" with `screen` among its screens.
bool X11Greeting(Socket& s, const std::optional<XAuthorization>& authorization, int screen,
                 Clock::time_point deadline) {
  const std::string name = authorization ? authorization->name : "";
  const std::string data = authorization ? authorization->data : "";
  std::string request = {'B', '\0'};
  PutCard16(request, 11);
  PutCard16(request, 0);
  PutCard16(request, name.size());
  PutCard16(request, data.size());
  PutCard16(request, 0);
  request += name;
  PadToFour(request);
  request += data;
  PadToFour(request);
  if (!s.SendAll(request.data(), request.size(), deadline)) return false;

  // Every reply starts with 8 bytes: 0 failed, 1 success, 2 authenticate (a further
  // exchange that the window system does not offer either), and at bytes 6-7 the
  // length of what follows, in units of four bytes.
  unsigned char head[8];
  if (!s.ReceiveAll(head, sizeof(head), deadline) || head[0] != 1) return false;
  const size_t following = (static_cast<size_t>(head[6]) << 8 | head[7]) * 4;
  // After success: four 4-byte numbers, the vendor's length and the largest request
  // (2 bytes each), then the number of screens.
  unsigned char fixed[22];
  if (following < sizeof(fixed) || !s.ReceiveAll(fixed, sizeof(fixed), deadline)) return false;
  return screen < fixed[20];
}

// --- Wayland -----------------------------------------------------------------

// One round trip: wl_display (object 1) is asked to sync (request 0) with a new
// callback, object 2, and must say that callback is done (event 0). Messages are
// 32-bit words in this machine's byte order: object, then size << 16 | opcode.
bool WaylandRoundTrip(Socket& s, Clock::time_point deadline) {
  const uint32_t sync[3] = {1, (12u << 16) | 0, 2};
  if (!s.SendAll(sync, sizeof(sync), deadline)) return false;
  for (;;) {
    uint32_t head[2];
    if (!s.ReceiveAll(head, sizeof(head), deadline)) return false;
    const uint32_t size = head[1] >> 16, opcode = head[1] & 0xFFFF;
    if (head[0] == 2 && opcode == 0) return true;
    if (head[0] == 1 && opcode == 0) return false;  // wl_display.error
    if (size < sizeof(head) || size % 4 != 0) return false;
    std::vector<char> rest(size - sizeof(head));
    if (!s.ReceiveAll(rest.data(), rest.size(), deadline)) return false;
  }
}

// --- Platforms -----------------------------------------------------------------

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

#ifdef MARROWLOCK_QT_PLUGIN_DIR
// The entries of a ':'-separated list of folders.
std::vector<std::string> FolderList(const std::string& list) {
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) folders.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}
#endif

}  // namespace

bool X11DisplayAnswers(const std::string& display, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  const std::optional<X11Display> parsed = ParseX11Display(display);
  if (!parsed) return false;
  const bool tcp = parsed->protocol == "tcp" || parsed->protocol.starts_with("inet");
  Socket s;
  if (parsed->host.starts_with("/")) {
    s = ConnectUnix(parsed->host, false, deadline);
  } else if (tcp || !parsed->host.empty()) {
    s = ConnectTcp(parsed->host, kX11TcpPortBase + parsed->number, deadline);
  } else {
    const std::string socket = kX11SocketBase + std::to_string(parsed->number);
    s = ConnectUnix(socket, true, deadline);
    if (!s.open()) s = ConnectUnix(socket, false, deadline);
    // A display without host or protocol may also be served on this machine's TCP port.
    if (!s.open() && parsed->protocol.empty()) {
      s = ConnectTcp("", kX11TcpPortBase + parsed->number, deadline);
    }
  }
  if (!s.open()) return false;
  return X11Greeting(s, FindAuthorization(AuthorityAddress(s), parsed->number), parsed->screen,
                     deadline);
}

bool WaylandDisplayAnswers(const std::string& display, const std::string& runtime_dir,
                           int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  if (display.empty()) return false;
  std::string path = display;
  if (!display.starts_with("/")) {
    if (runtime_dir.empty()) return false;
    path = runtime_dir + "/" + display;
  }
  Socket s = ConnectUnix(path, false, deadline);
  return s.open() && WaylandRoundTrip(s, deadline);
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

bool PlatformPluginInstalled(const std::string& name) {
#ifdef MARROWLOCK_QT_PLUGIN_DIR
  // Plugin files are named after their platform, but for plain Wayland.
  const std::string file = name == "wayland" ? "libqwayland-generic.so" : "libq" + name + ".so";
  std::vector<std::string> folders;
  if (const std::string direct = Environment("QT_QPA_PLATFORM_PLUGIN_PATH"); !direct.empty()) {
    folders.push_back(direct);
  }
  std::vector<std::string> roots = FolderList(Environment("QT_PLUGIN_PATH"));
  roots.push_back(MARROWLOCK_QT_PLUGIN_DIR);
  if (const std::string program = ProgramFolder(); !program.empty()) roots.push_back(program);
  for (const std::string& root : roots) folders.push_back(root + "/platforms");
  for (const std::string& folder : folders) {
    if (RegularFileSize(folder + "/" + file)) return true;
  }
  return false;
#else
  (void)name;
  return true;
#endif
}

std::optional<std::string> WindowPlatformFor(
    const std::string& requested, ReachableDisplays reachable,
    const std::function<bool(const std::string&)>& installed) {
  if (!WantsDisplayServer(requested)) return "";
  auto usable = [&](const std::string& name) {
    return (name == "xcb" ? reachable.x11 : reachable.wayland) && installed(name);
  };
  const std::vector<std::string> names = PlatformNames(requested);
  if (!names.empty()) {
    // The window system tries the names in turn and takes the first that works.
    for (const std::string& name : names) {
      if (usable(name)) return "";
    }
    return std::nullopt;
  }
  const bool x11 = usable("xcb"), wayland = usable("wayland");
  if (x11 && wayland) return "";
  if (x11) return "xcb";
  if (wayland) return "wayland";
  return std::nullopt;
}

bool PrepareWindowPlatform() {
  const std::string requested = Environment("QT_QPA_PLATFORM");
  // Platforms such as "offscreen" draw without a display server: nothing to probe.
  if (!WantsDisplayServer(requested)) return true;
  std::optional<std::string> platform =
      WindowPlatformFor(requested, ProbeDisplays(), PlatformPluginInstalled);
  if (!platform) return false;
  if (!platform->empty()) ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
  return true;
}

}  // namespace marrowlock
