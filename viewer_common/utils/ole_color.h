// File: viewer_common/utils/ole_color.h
//
// OLE colours as the viewer controls take them at their interface, and their
// translation to a COLORREF (0x00BBGGRR) for drawing.  The high byte says
// what the colour is: 0x00 a plain RGB value, 0x02 a palette-relative RGB
// value, 0x01 an index into a colour table, 0x80 a system colour whose
// index is in the low byte (the current desktop palette gives its value).
//
//   uint32_t ref = viewer::TranslateOleColor(0x80000005);  // window background
//   QColor c = viewer::ColorRefToQColor(ref);
#pragma once

#include <cstdint>
#include <vector>

class QColor;
class QPalette;

namespace viewer {

inline constexpr uint32_t kSystemColorFlag = 0x80000000u;

// The system colour indices.
enum SystemColor : uint32_t {
  kColorScrollBar = 0, kColorBackground = 1, kColorActiveCaption = 2, kColorInactiveCaption = 3,
  kColorMenu = 4, kColorWindow = 5, kColorWindowFrame = 6, kColorMenuText = 7, kColorWindowText = 8,
  kColorCaptionText = 9, kColorActiveBorder = 10, kColorInactiveBorder = 11, kColorAppWorkspace = 12,
  kColorHighlight = 13, kColorHighlightText = 14, kColorBtnFace = 15, kColorBtnShadow = 16,
  kColorGrayText = 17, kColorBtnText = 18, kColorInactiveCaptionText = 19, kColorBtnHighlight = 20,
  kColor3dDkShadow = 21, kColor3dLight = 22, kColorInfoText = 23, kColorInfoBk = 24,
  kColorHotLight = 26, kColorGradientActiveCaption = 27, kColorGradientInactiveCaption = 28,
  kColorMenuHilight = 29, kColorMenuBar = 30,
};

// TranslateOleColor(): the COLORREF of `ole`, or 0 when it cannot be
// translated (an unknown system index, a table index with no table or
// out of its range, an unknown high byte).  `palette` gives the system
// colours (the application palette when null); `table` holds COLORREFs for
// table-index colours.  `ok`, when given, tells a failure from black.
uint32_t TranslateOleColor(uint32_t ole, const QPalette* palette = nullptr,
                           const std::vector<uint32_t>* table = nullptr, bool* ok = nullptr);

QColor ColorRefToQColor(uint32_t colorref);
uint32_t QColorToColorRef(const QColor& color);
inline constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return r | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

}  // namespace viewer
