// SPDX-License-Identifier: MIT
#include "platform/display_probe.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "support/temp_dir.h"

namespace marrowlock {
namespace {

// A listening socket that stands in for a display server; closed with the object.
class FakeServer {
 public:
  // A Unix socket at `path`, or an abstract one named `path` when `abstract`.
  static FakeServer Unix(const std::string& path, bool abstract) {
    FakeServer server(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const socklen_t length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    server.Listen(reinterpret_cast<sockaddr*>(&address), length);
    return server;
  }
  // TCP on 127.0.0.1:`port`.
  static FakeServer Tcp(int port) {
    FakeServer server(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    server.Listen(reinterpret_cast<sockaddr*>(&address), sizeof(address));
    return server;
  }

  FakeServer(FakeServer&& other) noexcept : fd_(other.fd_), listening_(other.listening_) {
    other.fd_ = -1;
  }
  ~FakeServer() { Close(); }
  bool listening() const { return listening_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  explicit FakeServer(int fd) : fd_(fd) {}
  void Listen(const sockaddr* address, socklen_t length) {
    listening_ = fd_ >= 0 && ::bind(fd_, address, length) == 0 && ::listen(fd_, 4) == 0;
  }
  int fd_;
  bool listening_ = false;
};

// A display number whose abstract X socket this test can take: numbers this high are
// used by no desktop.
int FreeDisplayNumber() {
  for (int n = 40000 + static_cast<int>(::getpid() % 10000); n < 59000; n += 97) {
    if (!X11DisplayAnswers(":" + std::to_string(n))) return n;
  }
  return -1;
}

TEST(DisplayProbeTest, AnX11DisplayAnswersOnlyWhileItsServerListens) {
  const int n = FreeDisplayNumber();
  ASSERT_GT(n, 0);
  const std::string display = ":" + std::to_string(n);
  EXPECT_FALSE(X11DisplayAnswers(display));
  {
    FakeServer server = FakeServer::Unix("/tmp/.X11-unix/X" + std::to_string(n), true);
    ASSERT_TRUE(server.listening());
    EXPECT_TRUE(X11DisplayAnswers(display));
    EXPECT_TRUE(X11DisplayAnswers(display + ".0"));
    EXPECT_TRUE(X11DisplayAnswers("unix" + display));
    EXPECT_TRUE(X11DisplayAnswers("unix/" + display + ".1"));
  }
  EXPECT_FALSE(X11DisplayAnswers(display));
}

TEST(DisplayProbeTest, ARemoteX11DisplayIsReachedOverTcp) {
  // A display whose port this test can listen on.
  for (int n = 400 + static_cast<int>(::getpid() % 200); n < 2000; n += 31) {
    FakeServer server = FakeServer::Tcp(6000 + n);
    if (!server.listening()) continue;
    const std::string display = "127.0.0.1:" + std::to_string(n);
    EXPECT_TRUE(X11DisplayAnswers(display + ".0"));
    EXPECT_TRUE(X11DisplayAnswers("tcp/" + display));
    server.Close();
    EXPECT_FALSE(X11DisplayAnswers(display, 500));
    return;
  }
  GTEST_SKIP() << "no free TCP port for a fake display";
}

TEST(DisplayProbeTest, DisplayNamesThatNameNoServerNeverAnswer) {
  for (const char* display : {"", "nothing", ":", ":x", ":1x", "host::0", "decnet/:0",
                              "/no/such/socket:0", ":99999999"}) {
    EXPECT_FALSE(X11DisplayAnswers(display, 200)) << display;
  }
}

TEST(DisplayProbeTest, AWaylandDisplayIsASocketInTheRuntimeFolder) {
  TempDir dir;
  EXPECT_FALSE(WaylandDisplayAnswers("wayland-77", dir.path()));
  FakeServer server = FakeServer::Unix(dir / "wayland-test", false);
  ASSERT_TRUE(server.listening());
  EXPECT_TRUE(WaylandDisplayAnswers("wayland-test", dir.path()));
  EXPECT_TRUE(WaylandDisplayAnswers(dir / "wayland-test", ""));
  EXPECT_FALSE(WaylandDisplayAnswers("wayland-test", "")) << "no runtime folder, no socket";
  EXPECT_FALSE(WaylandDisplayAnswers("", dir.path()));
  server.Close();
  EXPECT_FALSE(WaylandDisplayAnswers("wayland-test", dir.path())) << "a socket left behind";
}

TEST(DisplayProbeTest, TheWindowPlatformIsOneThatAnswers) {
  const ReachableDisplays none{false, false}, x11{true, false}, wayland{false, true},
      both{true, true};
  struct Row {
    const char* requested;
    ReachableDisplays reachable;
    std::optional<std::string> platform;
  };
  const Row rows[] = {
      // Nothing asked for: the kind that answers, or Qt's own choice when both do.
      {"", none, std::nullopt},
      {"", x11, "xcb"},
      {"", wayland, "wayland"},
      {"", both, ""},
      // Asked for: kept when one of the named displays answers.
      {"xcb", x11, ""},
      {"xcb", wayland, std::nullopt},
      {"wayland", none, std::nullopt},
      {"wayland-egl", wayland, ""},
      {"wayland;xcb", x11, ""},
      {"xcb:nograb", none, std::nullopt},
      // Platforms that draw without a display server need none.
      {"offscreen", none, ""},
      {"vnc:size=800x600", none, ""},
      {"xcb;offscreen", none, ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WindowPlatformFor(row.requested, row.reachable), row.platform)
        << "'" << row.requested << "' x11=" << row.reachable.x11
        << " wayland=" << row.reachable.wayland;
  }
}

}  // namespace
}  // namespace marrowlock
