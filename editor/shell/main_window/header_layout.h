// File: editor/shell/main_window/header_layout.h
//
// Where the main window's header strip puts its pieces, in twips: the four
// menu labels, the separator, the six picture buttons, the stamp panel and
// the information panel.
//
//   HeaderLayout l = LayOutHeader({600, 600, 600, 700}, {330, 330, 330, 330, 330, 330}, 15000);
//   PlaceAfterButtons(&l, /*stamp_shown=*/true, 450, 15000);
#pragma once

#include <array>
#include <cstdint>

namespace ruvel {

struct TwipsBox {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const TwipsBox&) const = default;
};

struct HeaderLayout {
  std::array<TwipsBox, 4> labels;
  TwipsBox separator;
  std::array<TwipsBox, 6> buttons;
  TwipsBox stamp;           // meaningful while stamp_shown
  bool stamp_shown = false;
  TwipsBox info;
};

inline constexpr int32_t kHeaderItemHeight = 330;
inline constexpr int32_t kHeaderStripHeight = 450;
inline constexpr int32_t kInfoPanelHeight = 390;
inline constexpr int32_t kStampPanelHeight = 420;

// LayOutHeader(): labels from left 50, each followed by a gap of 100; the
// separator 80 further; the buttons 100 after that, each followed by 150;
// the information panel 120 after the last button gap, as wide as the
// window minus the position after that gap.  The stamp panel is hidden.
HeaderLayout LayOutHeader(const std::array<int32_t, 4>& label_widths, const std::array<int32_t, 6>& button_widths,
                          int32_t inner_width);

// PlaceAfterButtons(): shows or hides the stamp panel 50 after the right
// edge of the last button and moves the information panel after it.
void PlaceAfterButtons(HeaderLayout* layout, bool stamp_shown, int32_t stamp_width, int32_t inner_width);

// WidenInfo(): on a resize the information panel reaches to 300 before the
// window's right edge, when that leaves it at least 100 wide.
void WidenInfo(HeaderLayout* layout, int32_t inner_width);

}  // namespace ruvel
