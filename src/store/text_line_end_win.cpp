#include "store/text_line_end.h"

namespace px {

std::string_view textLineEnd() { return "\r\n"; }

}  // namespace px
