// SPDX-License-Identifier: MIT
#include "frontends/cli/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frontends/cli/tool_message.h"
#include "platform/clock.h"
#include "platform/console.h"

namespace marrowlock {
namespace {

// The line appears only once the work has lasted this long.
constexpr double kQuietSeconds = 1.0;
constexpr int kBarWidth = 20;

std::string SizeText(double bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  while (bytes >= 1024 && unit < 4) {
    bytes /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
  return text;
}

std::string DurationText(double seconds) {
  const long total = std::lround(seconds);
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

}  // namespace

std::string ProgressText(int64_t done, int64_t total, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  std::string text;
  if (total > 0) {
    const double share = std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
    const int filled = static_cast<int>(share * kBarWidth);
    text = "[" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(kBarWidth - filled), ' ') + "] ";
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(share * 100));
    text += std::string(percent) + "  " + SizeText(static_cast<double>(done)) + " of " +
            SizeText(static_cast<double>(total));
  } else {
    text = SizeText(static_cast<double>(done));
  }
  text += "  " + SizeText(rate) + "/s";
  if (total > 0 && rate > 0) {
    const double left = static_cast<double>(std::max<int64_t>(0, total - done)) / rate;
    text += "  " + DurationText(left) + " left";
  }
  return text;
}

std::string RedrawnLine(const std::string& text, size_t drawn, bool erases) {
  if (erases) return "\r" + text + "\033[K";
  return "\r" + text + std::string(drawn > text.size() ? drawn - text.size() : 0, ' ');
}

std::string ErasedLine(size_t drawn, bool erases) {
  if (erases) return "\r\033[K";
  return "\r" + std::string(drawn, ' ') + "\r";
}

ProgressLine::ProgressLine(bool shown, int64_t total)
    : shown_(shown),
      erases_(shown && TerminalErasesLines(stderr)),
      total_(total),
      start_(MonotonicSeconds()) {}

void ProgressLine::Tick() {
  if (!shown_) return;
  const double seconds = MonotonicSeconds() - start_;
  if (seconds < kQuietSeconds) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_) return;
  const std::string text = ProgressText(done_.load(), total_, seconds);
  WriteText(stderr, RedrawnLine(text, drawn_ ? width_ : 0, erases_));
  drawn_ = true;
  width_ = std::max(width_, text.size());
}

void ProgressLine::Report(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  Erase();
  PrintToolMessage(text);
}

void ProgressLine::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  Erase();
  finished_ = true;
}

// REQUIRES: mutex_ held.
void ProgressLine::Erase() {
  if (!drawn_) return;
  WriteText(stderr, ErasedLine(width_, erases_));
  drawn_ = false;
  width_ = 0;
}

}  // namespace marrowlock
