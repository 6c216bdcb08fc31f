#include "store/text_line_end.h"

namespace px {

std::string_view textLineEnd() { return "\n"; }

}  // namespace px
