// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <utility>

#include "frontends/win32/system_headers.h"

namespace marrowlock {

// The fonts of the windows: the system's message font, and a fixed-width one for the
// text areas and the help, each made once for every screen resolution a window meets.
// A window moved to a screen with other dots per inch takes the fonts for that screen.
class Fonts {
 public:
  Fonts();
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  HFONT ui(UINT dpi);
  HFONT fixed(UINT dpi);

  // Gives every control in `window` the fonts for `dpi`: the fixed-width one where it
  // had a fixed-width font, the message font where it had another. Controls that
  // draw with the system's font are left to it.
  void Refit(HWND window, UINT dpi);

 private:
  const std::pair<HFONT, HFONT>& For(UINT dpi);
  bool IsFixed(HFONT font) const;

  LOGFONTW message_{};
  LOGFONTW mono_{};
  UINT system_dpi_ = 96;
  std::map<UINT, std::pair<HFONT, HFONT>> made_;  // dpi -> (message font, fixed-width font)
};

// A view's answer to WM_DPICHANGED: its controls take the fonts for the new screen and
// the window the size and place that Windows suggests there.
void FollowDpiChange(HWND hwnd, Fonts& fonts, WPARAM wparam, LPARAM lparam);

}  // namespace marrowlock
