#include "viewer_common/utils/ole_color.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <iterator>

namespace viewer {
namespace {

struct RoleOf {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// The palette role that plays each system colour on this desktop.
bool SystemRole(uint32_t index, RoleOf* out) {
  using P = QPalette;
  static const RoleOf kRoles[] = {
      {P::Active, P::Button},          // scroll bar
      {P::Active, P::Dark},            // desktop background
      {P::Active, P::Highlight},       // active caption
      {P::Inactive, P::Mid},           // inactive caption
      {P::Active, P::Button},          // menu
      {P::Active, P::Base},            // window
      {P::Active, P::Shadow},          // window frame
      {P::Active, P::ButtonText},      // menu text
      {P::Active, P::Text},            // window text
      {P::Active, P::HighlightedText}, // caption text
      {P::Active, P::Button},          // active border
      {P::Inactive, P::Button},        // inactive border
      {P::Active, P::Mid},             // application workspace
      {P::Active, P::Highlight},       // highlight
      {P::Active, P::HighlightedText}, // highlight text
      {P::Active, P::Button},          // button face
      {P::Active, P::Dark},            // button shadow
      {P::Disabled, P::Text},          // grey text
      {P::Active, P::ButtonText},      // button text
      {P::Disabled, P::WindowText},    // inactive caption text
      {P::Active, P::Light},           // button highlight
      {P::Active, P::Shadow},          // 3-D dark shadow
      {P::Active, P::Midlight},        // 3-D light
      {P::Active, P::ToolTipText},     // tooltip text
      {P::Active, P::ToolTipBase},     // tooltip background
      {P::Active, P::NoRole},          // 25: not a system colour
      {P::Active, P::Link},            // hot-tracked item
      {P::Active, P::Highlight},       // gradient of the active caption
      {P::Inactive, P::Mid},           // gradient of the inactive caption
      {P::Active, P::Highlight},       // menu highlight
      {P::Active, P::Button},          // menu bar
  };
  if (index >= std::size(kRoles) || kRoles[index].role == P::NoRole) return false;
  *out = kRoles[index];
  return true;
}

}  // namespace

uint32_t TranslateOleColor(uint32_t ole, const QPalette* palette, const std::vector<uint32_t>* table, bool* ok) {
  bool scratch;
  if (!ok) ok = &scratch;
  *ok = true;
  const uint32_t kind = ole >> 24;
  switch (kind) {
    case 0x00:
    case 0x02: return ole & 0x00FFFFFFu;
    case 0x01: {
      const uint32_t index = ole & 0xFFFFu;
      if ((ole & 0x00FF0000u) == 0 && table && index < table->size()) return (*table)[index] & 0x00FFFFFFu;
      break;
    }
    case 0x80: {
      RoleOf r;
      if ((ole & 0x00FFFF00u) != 0 || !SystemRole(ole & 0xFFu, &r)) break;
      const QPalette pal = palette ? *palette : QGuiApplication::palette();
      return QColorToColorRef(pal.color(r.group, r.role));
    }
    default: break;
  }
  *ok = false;
  return 0;
}

QColor ColorRefToQColor(uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

uint32_t QColorToColorRef(const QColor& color) {
  QColor c = color.toRgb();
  return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}

}  // namespace viewer
