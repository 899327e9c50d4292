// File: editor/dialogs/spImgH.h
//
// spImgH: the correction dialog "画像の補正".  Seven corrections, one tab
// each, on the effects dialog's preview cycle, including a tone curve whose
// five points the dialog works out from an emphasis and a level.
//
//   bool updated = false;
//   spImgH::Act(editor_mv, view_mode, region, updated);
#pragma once

#include <array>

#include "editor/dialogs/effect_dialog.h"

class QCheckBox;
class QLabel;

namespace ruvel {

class uSld;

// The tone curve's five points (inputs x, outputs y on 0..255) for an
// emphasis E and a level L, both -100..100.
struct ToneCurvePoints {
  std::array<int, 5> x{};
  std::array<int, 5> y{};
};
ToneCurvePoints ComputeToneCurve(double emphasis, double level);

class spImgH : public EffectDialog {
  Q_OBJECT

 public:
  explicit spImgH(QWidget* parent = nullptr);

  static void Act(MvInstance& xImg, int& iDmd, const DialogRegion& vPs, bool& bOkC);
  bool Open(MvInstance& xImg, int iDmd, const DialogRegion& vPs) { return RunAct(xImg, iDmd, vPs); }

  static QStringList TabNames();

  ruvel::uSld* uSld(int i) const { return sld_[i]; }
  QCheckBox* chColor() const { return ch_color_; }
  QCheckBox* chImg() const { return ch_img_; }
  QRadioButton* opSpline(int i) const { return op_spline_[i]; }
  QCheckBox* chSpline(int i) const { return ch_spline_[i]; }

 protected:
  QGroupBox* SetUpTab(const QString& name) override;
  bool ApplyOperation(MvInstance& mv, const SeamCorners& corners) override;

 private:
  void slotColourSlider(int index);
  void slotColourSpace();

  std::array<QGroupBox*, 5> fr_img_{};
  std::array<ruvel::uSld*, 7> sld_{};
  QLabel* lb_color_;
  QCheckBox* ch_color_;
  QLabel* level_label_;
  QCheckBox* ch_img_;
  QLabel* noise_label_;
  std::array<QRadioButton*, 2> op_spline_{};
  std::array<QCheckBox*, 3> ch_spline_{};
};

}  // namespace ruvel
