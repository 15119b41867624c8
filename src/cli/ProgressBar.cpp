#include "cli/ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace quillmere {

std::string DurationText(double seconds) {
  const long total = std::lround(std::max(0.0, std::min(seconds, 359999.0 * 24)));
  const long hours = total / 3600;
  const long minutes = total / 60 % 60;
  const long secs = total % 60;
  char text[48];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", hours, minutes, secs);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", minutes, secs);
  }
  return text;
}

std::string ProgressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t width) {
  const std::string all = std::to_string(total);
  std::string counts = std::to_string(done);
  counts.insert(0, all.size() > counts.size() ? all.size() - counts.size() : 0, ' ');
  std::string info = " " + counts + "/" + all + " cases";
  if (done > 0 && elapsedSeconds > 0) {
    const double rate = static_cast<double>(done) / elapsedSeconds;
    info += "  " + RateText(rate) + "/s  " +
            DurationText(static_cast<double>(total - done) / rate) + " left";
  }
  // The bar takes what the texts leave, between 10 and 40 characters; none on a narrow line.
  const std::size_t room = width > info.size() + 12 ? width - info.size() - 3 : 0;
  if (room < 10) return info.substr(0, std::min(info.size(), width));
  const std::size_t barWidth = std::min<std::size_t>(room, 40);
  // In floating point: barWidth × done overflows for a count near the 64-bit limit.
  const std::size_t filled =
      total == 0
          ? barWidth
          : static_cast<std::size_t>(static_cast<double>(barWidth) *
                                     (static_cast<double>(done) / static_cast<double>(total)));
  std::string line;
  line.reserve(barWidth + 2 + info.size());
  line += '[';
  line.append(filled, '#');
  line.append(barWidth - filled, '.');
  line += ']';
  line += info;
  return line;
}

std::string RateText(double perSecond) {
  char text[64];
  const auto written =
      std::to_chars(text, text + sizeof text, perSecond, std::chars_format::fixed, 1);
  return written.ec == std::errc{} ? std::string(text, written.ptr) : "?";
}

std::size_t TerminalWidth(int descriptor) {
  winsize size{};
  if (::ioctl(descriptor, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace quillmere
