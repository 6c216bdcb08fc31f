// UTF-8 and UTF-16 for texts shown in and read from windows. Invalid sequences and unpaired
// surrogates become U+FFFD, as the platform's conversion does without its strict flag.
#pragma once

#include <string>
#include <string_view>

namespace px {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace px
