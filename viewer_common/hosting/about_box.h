// File: viewer_common/hosting/about_box.h
//
// The version box of a control: product and file version of the control
// library, the versions of the imaging libraries it uses, and a link to the
// maker's home page (Japanese or other by the user interface language).
// Modal, owned by the active window, centred on the screen.
//
//   hosting::RunAboutBox(control.Class().about, &control);
#pragma once

class QDialog;
class QWidget;

namespace hosting {

struct AboutInfo;

// BuildAboutBox(): the dialog, not yet shown; the caller owns it.
QDialog* BuildAboutBox(const AboutInfo& info, QWidget* owner);
void RunAboutBox(const AboutInfo& info, QWidget* owner);

}  // namespace hosting
