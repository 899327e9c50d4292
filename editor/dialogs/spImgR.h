// File: editor/dialogs/spImgR.h
//
// spImgR: the rotation dialog "画像の回転".  Fixed turns and flips, and
// straightening along a base line clicked on the picture (start, then end)
// so that the line becomes horizontal or vertical.  Steps accumulate on a
// working copy; "画像(&F)" hands it back or closes.
//
//   bool changed = false;
//   QString depth = "24.";
//   spImgR::Act(editor_mv, view_mode, depth, changed);
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace ruvel {

class MvInstance;

// BaseLine: the two picture points the user clicked.
struct BaseLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// StraighteningAngle(): the turn (1/100 degree, positive turns left) that
// makes the line horizontal, or vertical when `vertical`; 0 when the line
// already is horizontal or vertical (dx or dy 0).
int StraighteningAngle(const BaseLine& line, bool vertical);

class spImgR : public QDialog {
  Q_OBJECT

 public:
  explicit spImgR(QWidget* parent = nullptr);
  ~spImgR() override;

  static void Act(MvInstance& xImg, int& iDmd, QString& sBt, bool& bOkC);
  bool Open(MvInstance& xImg, int iDmd, const QString& sBt);

  QToolButton* cmRect(int i) const { return cm_rect_[i]; }
  QLabel* lbPoint() const { return lb_point_; }
  QPushButton* cmLine(int i) const { return cm_line_[i]; }
  QPushButton* cmClr() const { return cm_clr_; }
  QRadioButton* opSize(int i) const { return op_size_[i]; }
  QCheckBox* chDsp() const { return ch_dsp_; }
  QToolButton* imDsp() const { return im_dsp_; }
  QToolButton* lbCom(int i) const { return lb_com_[i]; }
  MvInstance& mvImg() { return *work_; }
  int LineStep() const { return step_; }

  // PictureClicked(): one click on the picture at (x, y) (what the preview's
  // click event delivers).
  void PictureClicked(int x, int y);

 protected:
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Rotate(int angle, bool flip_horizontal, bool flip_vertical);
  void Straighten(bool vertical);
  void ResetBaseLine();
  void slotUndo();
  void slotImageMenu();
  void slotActualSize();

  std::array<QToolButton*, 6> cm_rect_{};
  QLabel* lb_point_;
  std::array<QPushButton*, 2> cm_line_{};
  QPushButton* cm_clr_;
  std::array<QRadioButton*, 2> op_size_{};
  QCheckBox* ch_dsp_;
  QToolButton* im_dsp_;
  std::array<QToolButton*, 2> lb_com_{};
  std::unique_ptr<MvInstance> work_;

  MvInstance* caller_ = nullptr;
  int caller_mode_ = 1;
  QString depth_text_;    // the working copy's depth
  QString caller_depth_;  // the caller's picture's depth
  int preview_mode_ = 1;
  BaseLine line_;
  int step_ = 0;
  bool result_ = false;
  bool muted_ = false;
};

}  // namespace ruvel
