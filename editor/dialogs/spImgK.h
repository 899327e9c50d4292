// File: editor/dialogs/spImgK.h
//
// spImgK: the effects dialog "特殊効果".  Ten effects, one tab each, tried on
// a working copy of the caller's picture and stacked by moving from tab to
// tab; "画像(&F)" hands the result back.
//
//   bool updated = false;
//   spImgK::Act(editor_mv, view_mode, region, updated);
#pragma once

#include <array>

#include "editor/dialogs/effect_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace ruvel {

class uSld;

class spImgK : public EffectDialog {
  Q_OBJECT

 public:
  explicit spImgK(QWidget* parent = nullptr);

  // Act(): shows the dialog modally over the main window; bOkC tells
  // whether xImg's picture was updated.
  static void Act(MvInstance& xImg, int& iDmd, const DialogRegion& vPs, bool& bOkC);
  // Open(): the same on this instance (tests drive it while it is shown).
  bool Open(MvInstance& xImg, int iDmd, const DialogRegion& vPs) { return RunAct(xImg, iDmd, vPs); }

  static QStringList TabNames();

  // The parameter controls.
  QCheckBox* chRGB(int i) const { return ch_rgb_[i]; }
  QLabel* Label1(int i) const { return label_[i]; }
  QComboBox* cbImg(int i) const { return cb_img_[i]; }
  ruvel::uSld* uSld(int i) const { return sld_[i]; }

 protected:
  QGroupBox* SetUpTab(const QString& name) override;
  bool ApplyOperation(MvInstance& mv, const SeamCorners& corners) override;

 private:
  std::array<QGroupBox*, 3> fr_img_{};
  std::array<QCheckBox*, 3> ch_rgb_{};
  std::array<QLabel*, 6> label_{};
  std::array<QComboBox*, 3> cb_img_{};
  std::array<ruvel::uSld*, 3> sld_{};
};

}  // namespace ruvel
