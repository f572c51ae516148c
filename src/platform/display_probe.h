// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace marrowlock {

// Whether a window could be drawn at all. The window system library ends the
// process when the display it was told to use does not answer, so the program
// asks first: it connects to each display server that the environment names and
// leaves again at once.

// The display servers that answered.
struct ReachableDisplays {
  bool x11 = false;      // the X server that DISPLAY names
  bool wayland = false;  // the Wayland compositor that WAYLAND_DISPLAY names
};

// Whether the X server of `display` ("[protocol/][host]:number[.screen]") accepts a
// connection: a local one on its socket (the abstract one, then the one in
// /tmp/.X11-unix), a remote one on TCP port 6000 + number. Waits at most
// `timeout_ms` for a remote host.
bool X11DisplayAnswers(const std::string& display, int timeout_ms = 2000);

// Whether the Wayland compositor `display` accepts a connection: an absolute path
// is its socket, any other name a socket in `runtime_dir` (XDG_RUNTIME_DIR).
bool WaylandDisplayAnswers(const std::string& display, const std::string& runtime_dir);

// Probes DISPLAY and WAYLAND_DISPLAY (with XDG_RUNTIME_DIR). A WAYLAND_SOCKET handed
// down by the compositor counts as reachable without a probe, as it can be used once only.
ReachableDisplays ProbeDisplays();

// What the window system should be told, given `requested` (the value of
// QT_QPA_PLATFORM, "" when unset: a list of platform names separated by ";", each
// perhaps followed by ":options") and the displays that answered:
//   - nothing: no window can be shown;
//   - "": leave the choice as it is (a platform that needs no display was asked
//     for, or the one asked for answers, or both kinds of display answer);
//   - "xcb" or "wayland": use that one, since it is the only kind that answers.
std::optional<std::string> WindowPlatformFor(const std::string& requested,
                                             ReachableDisplays reachable);

// WindowPlatformFor the process's own environment and displays; when it names a
// platform, QT_QPA_PLATFORM is set to it. Returns false when no window can be shown.
bool PrepareWindowPlatform();

}  // namespace marrowlock
