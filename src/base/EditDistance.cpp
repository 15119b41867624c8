#include "base/EditDistance.h"

#include <algorithm>
#include <vector>

namespace quillmere {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
  // One row of the table of distances between the prefixes of a and b at a time.
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t change = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({change, row[j - 1] + 1, above + 1});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace quillmere
