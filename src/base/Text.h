// Small text helpers that every layer needs: blanks around a text, names compared without
// regard to case, lists written as a sentence.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

//! The text without the blanks (spaces and tabs) around it.
std::string_view TrimBlanks(std::string_view text);

//! Whether two names are the same but for the case of ASCII letters ("speed" is "Speed").
bool SameIgnoringCase(std::string_view a, std::string_view b);

//! The texts joined by `separator`: Joined({"a", "b"}, "; ") is "a; b".
std::string Joined(const std::vector<std::string>& texts, std::string_view separator);

//! The texts as a list in a sentence: "a", "a and b", "a, b and c".
std::string ListedInSentence(const std::vector<std::string>& texts);

}  // namespace quillmere
