// File: editor/dialogs/spImgC.h
//
// spImgC: the colour depth dialog "ｶﾗ-設定".  Each change of the target depth,
// palette, dithering or threshold converts a fresh copy of the caller's
// picture and shows it; "&OK" hands the converted copy back.
//
//   bool changed = false;
//   QString depth = "24.";
//   spImgC::Act(editor_mv, view_mode, depth, changed);
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace ruvel {

class MvInstance;
class uSld;

class spImgC : public QDialog {
  Q_OBJECT

 public:
  explicit spImgC(QWidget* parent = nullptr);
  ~spImgC() override;

  static void Act(MvInstance& xImg, int& iDmd, QString& sBt, bool& bOkC);
  // Open(): the same on this instance (tests drive it while it is shown).
  bool Open(MvInstance& xImg, int iDmd, const QString& sBt);

  // DepthCode of each depth option, and the option of a depth code text.
  static int DepthCodeOf(int option);
  static int OptionOf(const QString& sBt);

  QRadioButton* opColor(int i) const { return op_color_[i]; }
  QCheckBox* chBmp(int i) const { return ch_bmp_[i]; }
  ruvel::uSld* uSld() const { return threshold_; }
  QPushButton* cmRvC() const { return invert_; }
  QRadioButton* opDisp(int i) const { return op_disp_[i]; }
  QPushButton* cmOk(int i) const { return ok_[i]; }
  MvInstance& mvImg() { return *preview_; }
  int ConversionCount() const { return conversions_; }

 private:
  void slotOption(int option);
  void slotDisplay();
  void slotInvert();
  void Convert();
  int DisplayMode() const;

  std::array<QRadioButton*, 8> op_color_{};
  std::array<QCheckBox*, 2> ch_bmp_{};
  ruvel::uSld* threshold_;
  QPushButton* invert_;
  std::array<QRadioButton*, 2> op_disp_{};
  std::array<QPushButton*, 2> ok_{};
  std::unique_ptr<MvInstance> preview_;

  MvInstance* caller_ = nullptr;
  int current_depth_ = 0;
  int target_ = 0;
  bool muted_ = false;
  bool scaled_display_ = true;
  bool ok_flag_ = false;
  int conversions_ = 0;
};

}  // namespace ruvel
