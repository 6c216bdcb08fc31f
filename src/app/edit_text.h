// Text read from the main window's edit boxes, made into what the screens act on. The edit
// boxes apply their own limits and lower case as the user types; these repeat them for text that
// reached a box some other way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace px {

// At most `limit` UTF-16 units, never ending in half of a surrogate pair.
std::u16string withinEditLimit(std::u16string_view text, size_t limit);

// ASCII and Latin-1 capitals (the letters a Portuguese login can hold) in lower case.
std::u16string lowerCaseLetters(std::u16string_view text);

// Every space character (U+0020) dropped.
std::string withoutSpaces(std::string_view text);

}  // namespace px
