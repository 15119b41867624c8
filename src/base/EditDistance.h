// How far apart two names are, for telling a user who misspelt one which names are meant.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillmere {

//! The fewest single-character insertions, deletions and substitutions that turn `a` into
//! `b`, upper and lower case counting as the same letter.
std::size_t EditDistance(std::string_view a, std::string_view b);

}  // namespace quillmere
