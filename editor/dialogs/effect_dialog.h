// File: editor/dialogs/effect_dialog.h
//
// EffectDialog: the frame and the two-copy preview cycle shared by the
// effects dialog (spImgK) and the correction dialog (spImgH).  The working
// copy `mvImg` is the preview; the base copy `mvImg2` is the picture before
// the current tab's operation.  Each preview starts again from the base,
// a tab change makes the working copy the new base (so operations stack),
// "戻す(&U)" returns to the base, and "画像(&F)" hands the working copy to
// the caller's imaging control or closes without touching it.
//
// A subclass fills its tabs and parameter groups and names the operation:
//
//   class spImgX : public EffectDialog {
//     QWidget* SetUpTab(const QString& name) override;  // returns the group
//     bool ApplyOperation(MvInstance& mv, const SeamCorners& c) override;
//   };
//
// Parameter controls call RequestPreview(); requests made before a preview
// starts are served by one preview with the values current by then.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

#include "imaging/global_memory.h"

class QAbstractButton;
class QGroupBox;
class QRadioButton;
class QTabBar;
class QTimer;
class QToolButton;
class QVBoxLayout;

namespace ruvel {

class MvInstance;
struct SeamCorners;

// A region as the dispatcher hands it: left, right, top, bottom (all 0 for
// none).
using DialogRegion = std::array<int32_t, 4>;

class EffectDialog : public QDialog {
  Q_OBJECT

 public:
  ~EffectDialog() override;

  // The parts, for tests that drive the dialog like a user.
  QTabBar* TabS() const { return tabs_; }
  QAbstractButton* ssRbn() const;
  QRadioButton* opRect(int i) const { return op_rect_[i]; }
  QRadioButton* opDisp(int i) const { return op_disp_[i]; }
  QToolButton* lbCom(int i) const { return lb_com_[i]; }
  MvInstance& mvImg() { return *work_; }
  MvInstance& mvImg2() { return *base_; }
  const QString& EffectName() const { return effect_name_; }
  int PreviewCount() const { return preview_count_; }

  // FlushPreview(): runs a requested preview now instead of from the event
  // loop.
  void FlushPreview();

 protected:
  EffectDialog(const QString& caption, const QStringList& tab_names, QWidget* parent);

  // RunAct(): the whole of Act(): copies the caller's picture, shows the
  // dialog modally and returns whether the caller's picture was updated.
  bool RunAct(MvInstance& xImg, int iDmd, const DialogRegion& vPs);

  // SetUpTab(): fills the parameter controls for `name` (handlers muted)
  // and returns the group frame to show.
  virtual QGroupBox* SetUpTab(const QString& name) = 0;
  // ApplyOperation(): the current tab's operation on the working copy.
  virtual bool ApplyOperation(MvInstance& mv, const SeamCorners& corners) = 0;

  // Where subclasses put their group frames (all hidden at first).
  QWidget* GroupArea() const { return group_area_; }
  void AddGroup(QGroupBox* group);

  // RequestPreview(): a parameter changed (ignored while muted).
  void RequestPreview();
  static bool Muted();

  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void SetUpCurrentTab();
  void slotTabChanged(int index);
  void slotDisplayChanged();
  void slotUndo();
  void slotImageMenu();
  void Preview();
  void PreviewOnce();
  void RestoreRange();
  void ReleasePictures();
  imaging::MemHandle CopyOfBase();

  QTabBar* tabs_;
  QWidget* group_area_;
  QVBoxLayout* group_layout_;
  QGroupBox* shown_group_ = nullptr;
  std::array<QRadioButton*, 2> op_rect_{};
  std::array<QRadioButton*, 2> op_disp_{};
  QToolButton* draw_;
  std::array<QToolButton*, 2> lb_com_{};
  std::unique_ptr<MvInstance> work_;
  std::unique_ptr<MvInstance> base_;
  QTimer* preview_timer_;

  MvInstance* caller_ = nullptr;
  int caller_mode_ = 1;
  int display_mode_ = 1;
  DialogRegion region_{};
  imaging::MemHandle reset_point_ = 0;
  QString effect_name_;
  bool result_ = false;
  bool activated_ = false;
  bool in_preview_ = false;
  bool preview_again_ = false;
  int preview_count_ = 0;
};

// RoundHalfEven(): nearest integer, ties to even (how slider values become
// integer arguments).
int RoundHalfEven(double value);

}  // namespace ruvel
