// File: viewer_common/utils/font_map.h
//
// Fonts named by the viewer controls' hosts, as installed faces: the
// Windows Japanese faces are substituted onto the Noto CJK faces, every
// other name is used as it is (Qt falls back where a face is missing).
//
//   QFont f = viewer::MapFont(u"ＭＳ Ｐ明朝", 9, 400);  // Noto Serif CJK JP, 9 pt
#pragma once

#include <QFont>
#include <string>

namespace viewer {

// SubstituteFace(): the installed face for a face name.
QString SubstituteFace(const std::u16string& name);

// MapFont(): a font of `points` size and `weight` (100..900, 400 regular).
QFont MapFont(const std::u16string& name, double points, int weight, bool italic = false, bool underline = false,
              bool strikethrough = false);

}  // namespace viewer
