// SPDX-License-Identifier: MIT
#include "frontends/win32/fonts.h"

#include <cwchar>

#include "frontends/win32/window_class.h"

namespace marrowlock {

namespace {

// `font` with its size, given for `from` dots per inch, for `to`.
LOGFONTW ScaledFont(LOGFONTW font, UINT from, UINT to) {
  font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(to), static_cast<int>(from));
  font.lfWidth = ::MulDiv(font.lfWidth, static_cast<int>(to), static_cast<int>(from));
  return font;
}

}  // namespace

Fonts::Fonts() : system_dpi_(SystemDpi()) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  // The system gives its metrics for its own resolution, which a window on another
  // screen scales.
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    message_ = metrics.lfMessageFont;
  } else {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(message_), &message_);
  }
  // The help text lines up its tables with blanks, which only a fixed-width font keeps.
  mono_ = message_;
  mono_.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy_s(mono_.lfFaceName, L"Consolas");
}

Fonts::~Fonts() {
  for (const auto& [dpi, fonts] : made_) {
    ::DeleteObject(fonts.first);
    ::DeleteObject(fonts.second);
  }
}

HFONT Fonts::ui(UINT dpi) { return For(dpi).first; }
HFONT Fonts::fixed(UINT dpi) { return For(dpi).second; }

const std::pair<HFONT, HFONT>& Fonts::For(UINT dpi) {
  if (dpi == 0) dpi = system_dpi_;
  auto found = made_.find(dpi);
  if (found == made_.end()) {
    const LOGFONTW message = ScaledFont(message_, system_dpi_, dpi);
    const LOGFONTW mono = ScaledFont(mono_, system_dpi_, dpi);
    found =
        made_.emplace(dpi, std::pair{::CreateFontIndirectW(&message), ::CreateFontIndirectW(&mono)})
            .first;
  }
  return found->second;
}

bool Fonts::IsFixed(HFONT font) const {
  for (const auto& [dpi, fonts] : made_) {
    if (fonts.second == font) return true;
  }
  return false;
}

void Fonts::Refit(HWND window, UINT dpi) {
  struct Change {
    Fonts* fonts;
    HFONT ui;
    HFONT fixed;
  } change{this, ui(dpi), fixed(dpi)};
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        const auto* c = reinterpret_cast<const Change*>(data);
        const auto now = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
        if (now == nullptr) return TRUE;
        HFONT next = c->fonts->IsFixed(now) ? c->fixed : c->ui;
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(next), TRUE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&change));
}

void FollowDpiChange(HWND hwnd, Fonts& fonts, WPARAM wparam, LPARAM lparam) {
  fonts.Refit(hwnd, LOWORD(wparam));
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace marrowlock
