// File: imaging/control/file_io.h
//
// FileIO: the control's file sub-object.  Loads a picture file into the
// control in two steps (decode, then take over) and saves any image handle
// in one of the save type codes, always atomically.
//
//   FileIO& io = view.FileIO();
//   io.SetFileName("/p/out.jpg");
//   io.SetJpegQuality(90);
//   if (!io.SaveFile(2, view.ImageHandle())) Report(view.ErrorCode());
//
// Type codes of SaveFile(): 0 work BMP (uncompressed, fastest), 1 BMP,
// 2 JPEG, 3 progressive JPEG, 4 GIF, 5 TIFF, 11 TIFF LZW, 12 PNG, 13 FPX,
// 15 FPX with JPEG tiles, 16 PCX, 21 JPEG 2000 (JP2), 22 JPEG 2000 code
// stream.
#pragma once

#include <QString>
#include <optional>

#include "imaging/global_memory.h"
#include "imaging/image.h"

class QWidget;

namespace imaging::control {

class Morvik;

class FileIO {
 public:
  explicit FileIO(Morvik* owner) : owner_(owner) {}

  QString FileName() const { return file_name_; }
  void SetFileName(const QString& path) { file_name_ = path; }
  // Comment read by FinishLoad() and written by SaveFile().
  QString Comment() const { return comment_; }
  void SetComment(const QString& text) { comment_ = text; }
  // JPEG/FPX quality, clamped into 20..100.
  int JpegQuality() const { return jpeg_quality_; }
  void SetJpegQuality(int quality);
  bool Interlace() const { return interlace_; }
  void SetInterlace(bool on) { interlace_ = on; }
  bool UseTransparent() const { return use_transparent_; }
  void SetUseTransparent(bool on) { use_transparent_ = on; }
  int TransparentRed() const { return transparent_red_; }
  int TransparentGreen() const { return transparent_green_; }
  int TransparentBlue() const { return transparent_blue_; }
  void SetTransparentRed(int v);
  void SetTransparentGreen(int v);
  void SetTransparentBlue(int v);
  bool Jp2Lossless() const { return jp2_lossless_; }
  void SetJp2Lossless(bool on) { jp2_lossless_ = on; }
  // Fraction of the lossless size, 0 < rate <= 1 (clamped).
  double Jp2Rate() const { return jp2_rate_; }
  void SetJp2Rate(double rate);

  // LoadFile() decodes FileName() (type 0: the format is found from the
  // content).  The held picture is not touched until FinishLoad().  Codes:
  // 16 missing file, 6 unknown content, 17 broken file, 5 for another type.
  bool LoadFile(int type);
  // FinishLoad() makes the decoded picture the held one and reads its
  // comment into Comment().  11 without a successful LoadFile() first.
  bool FinishLoad();

  // SaveFile() writes the picture of `handle` to FileName() in `type`.  The
  // file is replaced only when the whole new file is written.
  bool SaveFile(int type, MemHandle handle);

  // ShowSaveDialog() asks for a file name to save under, starting in
  // `start_folder` with FileName() as the proposed name; `types` is a
  // ";"-separated list of extensions ("BMP;JPG;PNG").  Returns whether a
  // name was chosen, and the name.  A cancel leaves ErrorCode 0.
  bool ShowSaveDialog(const QString& start_folder, const QString& types, QString* chosen);

 private:
  Morvik* owner_;
  QString file_name_;
  QString comment_;
  int jpeg_quality_ = 85;
  bool interlace_ = false;
  bool use_transparent_ = false;
  int transparent_red_ = 0, transparent_green_ = 0, transparent_blue_ = 0;
  bool jp2_lossless_ = true;
  double jp2_rate_ = 1.0;
  std::optional<Image> pending_;
};

}  // namespace imaging::control
