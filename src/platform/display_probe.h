// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace marrowlock {

// Whether a window could be drawn at all. The window system library ends the
// process when the display it was told to use refuses it, and waits for ever on
// one that never answers, so the program asks first, within a short time: it opens
// a connection to each display server that the environment names, goes through the
// server's greeting as the window system would, and leaves again at once.

// The display servers that answered.
struct ReachableDisplays {
  bool x11 = false;      // the X server that DISPLAY names
  bool wayland = false;  // the Wayland compositor that WAYLAND_DISPLAY names
};

// Whether the X server of `display` ("[protocol/][host]:number[.screen]") accepts
// this program: a local one on its socket (the abstract one, then the one in
// /tmp/.X11-unix, then TCP on this machine), a remote one on TCP port 6000 + number.
// The connection setup is sent with the MIT-MAGIC-COOKIE-1 of the display found in
// $XAUTHORITY (else ~/.Xauthority), if any; only a server that replies "success"
// and has the screen asked for answers. A server that refuses, closes the
// connection or says nothing within `timeout_ms` does not.
bool X11DisplayAnswers(const std::string& display, int timeout_ms = 1500);

// Whether the Wayland compositor `display` answers: an absolute path is its socket,
// any other name a socket in `runtime_dir` (XDG_RUNTIME_DIR). The compositor must
// answer one round trip (a sync) within `timeout_ms`.
bool WaylandDisplayAnswers(const std::string& display, const std::string& runtime_dir,
                           int timeout_ms = 800);

// Probes DISPLAY and WAYLAND_DISPLAY (with XDG_RUNTIME_DIR). A WAYLAND_SOCKET handed
// down by the compositor counts as reachable without a probe, as it can be used once only.
ReachableDisplays ProbeDisplays();

// Whether the window system has the plugin of platform `name` ("xcb", "wayland",
// "wayland-egl", ...): its file in $QT_QPA_PLATFORM_PLUGIN_PATH, in the "platforms"
// folder of a $QT_PLUGIN_PATH entry, of Qt's own plugin folder or of the program's
// folder. Looks at files only; nothing is loaded. True in a build without a window.
bool PlatformPluginInstalled(const std::string& name);

// What the window system should be told, given `requested` (the value of
// QT_QPA_PLATFORM, "" when unset: a list of platform names separated by ";", each
// perhaps followed by ":options"), the displays that answered and which platform
// plugins are `installed`. A display platform is usable when its display answers
// and its plugin is installed. The answer is
//   - nothing: no window can be shown;
//   - "": leave the choice as it is (a platform that needs no display was asked
//     for, or one asked for is usable, or both kinds of display are);
//   - "xcb" or "wayland": use that one, since it is the only usable kind.
std::optional<std::string> WindowPlatformFor(
    const std::string& requested, ReachableDisplays reachable,
    const std::function<bool(const std::string&)>& installed);

// WindowPlatformFor the process's own environment, displays and plugins; when it
// names a platform, QT_QPA_PLATFORM is set to it. Returns false when no window can
// be shown.
bool PrepareWindowPlatform();

}  // namespace marrowlock
