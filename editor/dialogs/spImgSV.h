// File: editor/dialogs/spImgSV.h
//
// spImgSV: the detailed save dialog "画像の保存(詳細指定)".  Saves a copy of
// the editing control's picture with a chosen format variant, JPEG quality
// and (GIF, PNG) a transparent colour picked by clicking the picture.  The
// dialog works on its own duplicate, so the editor's picture, file and
// state stay as they are.
//
//   ruvel::spImgSV::Act(pic->GetHndle(), mainWindow);
//
// Saves are atomic (the imaging control writes a temporary file and
// renames it); a failed save is reported and keeps the old file; a name
// that gets its extension appended is confirmed before an existing file of
// that name is replaced.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "imaging/global_memory.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace ruvel {

class MvInstance;

// One of the fourteen format variants.
struct SaveVariant {
  const char* caption;
  int type_code;        // FileTypeCode handed to SaveFile
  const char* extension;
  bool interlace;
};
inline constexpr std::array<SaveVariant, 14> kSaveVariants{{
    {"BMP(非圧縮)", 0, "bmp", false},
    {"BMP(圧縮)", 1, "bmp", false},
    {"JPEG", 2, "jpg", false},
    {"JPEG ﾌﾟﾛｸﾞﾚｯｼﾌﾞ", 3, "jpg", false},
    {"GIF", 4, "gif", false},
    {"GIF ｲﾝﾀｰﾚｰｽ", 4, "gif", true},
    {"TIFF 非圧縮", 5, "tif", false},
    {"TIFF LZW圧縮", 11, "tif", false},
    {"PNG", 12, "png", false},
    {"PNG ｲﾝﾀｰﾚｰｽ", 12, "png", true},
    {"FPX 非圧縮", 13, "fpx", false},
    {"FPX JPEG圧縮", 15, "fpx", false},
    {"JP2", 21, "jp2", false},
    {"JP2 CodeStream", 22, "jp2", false},
}};

// DepthListOf(): the depth codes an extension accepts (".80.24."), "" when
// any depth is taken.
QString DepthListOf(const QString& extension);
// SaveFilterOf(): the file dialog filter of an extension.
QString SaveFilterOf(const QString& extension);

class spImgSV : public QDialog {
  Q_OBJECT

 public:
  explicit spImgSV(QWidget* parent = nullptr);
  ~spImgSV() override;

  // Act(): shows the dialog modally with a copy of the picture `handle`.
  static void Act(imaging::MemHandle handle, QWidget* parent = nullptr);

  // Load(): takes a copy of the picture and shows it scaled; false when
  // the handle holds no picture.
  bool Load(imaging::MemHandle handle);
  // Prepare(): brings the copy to a depth the chosen format holds.
  bool Prepare();
  // Save(): the "保存(&S)" button; closes the dialog in every case.
  void Save();
  // The file last written ("" when none).
  QString SavedFile() const { return savedFile_; }

  void ChooseVariant(int index);
  int ChosenVariant() const;
  QRadioButton* Option(int index) const { return options_[index]; }
  QSlider* Slider1() const { return slider_; }
  QCheckBox* chTrans() const { return chTrans_; }
  QCheckBox* chDsp() const { return chDsp_; }
  QLabel* lbColor() const { return lbColor_; }
  QLabel* imDsp() const { return imDsp_; }
  QPushButton* cmRet(int i) const { return cmRet_[i]; }
  MvInstance& mvImg() { return *mvImg_; }
  // The picked colour, 0xRRGGBB.
  uint32_t PickedColour() const { return (uint32_t(red_) << 16) | (uint32_t(green_) << 8) | uint32_t(blue_); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void PictureClicked();
  void ActualSizeClicked();
  QString depthCode_;
  int mode_ = 1;
  int red_ = 0, green_ = 0, blue_ = 0;
  QString savedFile_;

  std::unique_ptr<MvInstance> mvImg_;
  QButtonGroup* group_ = nullptr;
  std::array<QRadioButton*, 14> options_{};
  QSlider* slider_ = nullptr;
  QLabel* quality_ = nullptr;
  QCheckBox* chTrans_ = nullptr;
  QLabel* lbColor_ = nullptr;
  QCheckBox* chDsp_ = nullptr;
  QLabel* imDsp_ = nullptr;
  std::array<QPushButton*, 2> cmRet_{};
};

}  // namespace ruvel
