// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "support/environment.h"

namespace marrowlock {

// How a fake display server treats a client.
enum class Greeting {
  kSilent,        // never takes the connection off its queue: the client waits
  kHangUp,        // takes it and closes it at once
  kRefuse,        // X11: reads the setup and answers "failed"
  kAuthenticate,  // X11: reads the setup and answers "authenticate"
  kAccept,        // X11: answers "success" (with `screens` screens) when the cookie fits
  kWayland,       // Wayland: answers a sync with its callback's "done"
};

// A display server on a Unix socket (abstract or a file) or a loopback TCP port,
// served by a thread of its own until the object goes.
class FakeDisplay {
 public:
  static std::unique_ptr<FakeDisplay> Unix(const std::string& path, bool abstract,
                                           Greeting greeting);
  static std::unique_ptr<FakeDisplay> Tcp(int port, Greeting greeting);  // 127.0.0.1:`port`
  FakeDisplay(int fd, Greeting greeting);
  ~FakeDisplay();
  FakeDisplay(const FakeDisplay&) = delete;
  FakeDisplay& operator=(const FakeDisplay&) = delete;

  bool listening() const { return fd_ >= 0; }
  // X11 kAccept: the MIT-MAGIC-COOKIE-1 a client must send (none: any or none will do),
  // and the number of screens announced.
  void RequireCookie(const std::string& cookie);
  void SetScreens(int screens);
  // The authorization data that the last X11 client sent.
  std::string LastCookie() const;
  // Stops listening: later clients find nobody there.
  void Close();

 private:
  void Serve();
  void Answer(int client);

  int fd_;
  const Greeting greeting_;
  mutable std::mutex mutex_;
  std::optional<std::string> required_cookie_;
  std::string last_cookie_;
  int screens_ = 1;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

// One authority file entry, as an X server's cookie is recorded.
std::string XAuthorityEntry(int family, const std::string& address, const std::string& number,
                            const std::string& name, const std::string& data);
constexpr int kFamilyLocal = 256;
constexpr int kFamilyWild = 65535;

}  // namespace marrowlock
