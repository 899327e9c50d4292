// File: editor/shell/main_window/header_layout.cpp
#include "editor/shell/main_window/header_layout.h"

namespace ruvel {

HeaderLayout LayOutHeader(const std::array<int32_t, 4>& label_widths, const std::array<int32_t, 6>& button_widths,
                          int32_t inner_width) {
  HeaderLayout l;
  int32_t x = 50;
  for (int i = 0; i < 4; ++i) {
    l.labels[i] = {x, 80, label_widths[i], kHeaderItemHeight};
    x += label_widths[i] + 100;
  }
  x += 80;
  l.separator = {x, 8, 3, kHeaderItemHeight};
  x += 100;
  for (int i = 0; i < 6; ++i) {
    l.buttons[i] = {x, 75, button_widths[i], kHeaderItemHeight};
    x += button_widths[i] + 150;
  }
  l.info = {x + 120, 8, inner_width - x, kInfoPanelHeight};
  return l;
}

void PlaceAfterButtons(HeaderLayout* l, bool stamp_shown, int32_t stamp_width, int32_t inner_width) {
  int32_t x = l->buttons[5].left + l->buttons[5].width + 50;
  l->stamp_shown = stamp_shown;
  if (stamp_shown) {
    l->stamp = {x, 10, stamp_width, kStampPanelHeight};
    x += stamp_width;
  }
  l->info = {x + 120, 8, inner_width - x, kInfoPanelHeight};
}

void WidenInfo(HeaderLayout* l, int32_t inner_width) {
  const int32_t width = inner_width - l->info.left - 300;
  if (width >= 100) l->info.width = width;
}

}  // namespace ruvel
