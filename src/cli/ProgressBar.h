// A progress bar for long batch work, drawn on a terminal only.
#pragma once

#include <cstddef>
#include <string>

namespace quillmere {

//! One line of at most `width` characters: a bar, the cases done of all, the cases per second
//! and the time left at that pace ("[#######.....]  350/1000 cases  41.2/s  0:16 left").
std::string ProgressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t width);

//! A duration as h:mm:ss or m:ss.
std::string DurationText(double seconds);

//! A rate with one decimal and ".", whatever the locale: "41.2".
std::string RateText(double perSecond);

//! Columns of the terminal on `descriptor`, 80 when it does not tell.
std::size_t TerminalWidth(int descriptor);

}  // namespace quillmere
