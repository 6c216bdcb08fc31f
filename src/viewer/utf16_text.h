// UTF-8 to UTF-16 for texts shown in the viewer's own windows. Invalid sequences become U+FFFD,
// as the platform's conversion does without its strict flag.
#pragma once

#include <string>
#include <string_view>

namespace px {

std::u16string utf8ToUtf16(std::string_view text);

}  // namespace px
