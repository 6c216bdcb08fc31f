#include "ui/status_line_layout.h"

namespace px {

StatusLineLayout statusLineLayout(SizeF client) {
  const float w = client.width, h = client.height;
  return {{32, h - 25}, 3.5f, {44, h - 34, w - 28, h - 14}};
}

}  // namespace px
