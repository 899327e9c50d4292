#include "imaging/control/file_io.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "imaging/codecs/codec.h"
#include "imaging/control/morvik.h"
#include "imaging/vector/vector_file.h"
#include "platform/file_dialog.h"

namespace imaging::control {
namespace {

std::optional<codecs::SaveType> SaveTypeOf(int type) {
  switch (type) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 11: case 12: case 13: case 15: case 16: case 21: case 22:
      return static_cast<codecs::SaveType>(type);
    default: return std::nullopt;
  }
}

// A readable description for a type-list entry of the save dialog.
QString DescriptionOf(const QString& ext) {
  const QString e = ext.toUpper();
  if (e == "BMP") return "ﾋﾞｯﾄﾏｯﾌﾟ";
  if (e == "JPG" || e == "JPEG") return "JPEG";
  if (e == "TIF" || e == "TIFF") return "TIFF";
  if (e == "PCX") return "PCX";
  if (e == "FPX") return "FlashPix";
  if (e == "PNG") return "PNG";
  if (e == "GIF") return "GIF";
  if (e == "JP2") return "JPEG2000";
  return e;
}

}  // namespace

void FileIO::SetJpegQuality(int quality) { jpeg_quality_ = std::clamp(quality, 20, 100); }
void FileIO::SetTransparentRed(int v) { transparent_red_ = std::clamp(v, 0, 255); }
void FileIO::SetTransparentGreen(int v) { transparent_green_ = std::clamp(v, 0, 255); }
void FileIO::SetTransparentBlue(int v) { transparent_blue_ = std::clamp(v, 0, 255); }
void FileIO::SetJp2Rate(double rate) { jp2_rate_ = std::clamp(rate, 0.001, 1.0); }

bool FileIO::LoadFile(int type) {
  pending_.reset();
  if (type != 0) return owner_->SetErrorCode(Status::kBadValue);
  if (file_name_.isEmpty() || !QFileInfo(file_name_).isFile()) return owner_->SetErrorCode(Status::kNotFound);
  owner_->BeginBusy(kBusyFile);
  Image img;
  // Vector files (an SVG opened the ordinary way) are rendered at their
  // natural size on white.
  const std::string path = file_name_.toStdString();
  const Result r = vector::IsVectorFile(path) ? vector::RenderVectorFile(path, 0, 0, {255, 255, 255, 255}, &img)
                                              : codecs::Load(path, codecs::LoadOptions{}, &img);
  owner_->EndBusy(kBusyFile);
  if (!r.ok()) return owner_->SetError(r);
  pending_ = std::move(img);
  return owner_->SetErrorCode(Status::kOk);
}

bool FileIO::FinishLoad() {
  if (!pending_) return owner_->SetErrorCode(Status::kSequence);
  Image img = std::move(*pending_);
  pending_.reset();
  comment_ = QString::fromStdString(img.comment());
  return owner_->ReplaceImage(std::move(img));
}

bool FileIO::SaveFile(int type, MemHandle handle) {
  const std::optional<codecs::SaveType> save_type = SaveTypeOf(type);
  if (!save_type) return owner_->SetErrorCode(Status::kBadValue);
  if (file_name_.isEmpty()) return owner_->SetErrorCode(Status::kCannotCreate);
  // The held picture is written in place; other handles are unpacked.
  Image unpacked;
  const Image* source = &unpacked;
  if (handle == owner_->ImageHandle() && handle != 0) {
    source = &owner_->image();
  } else if (Result r = ImageFromHandle(handle, &unpacked); !r.ok()) {
    return owner_->SetErrorCode(Status::kBadImage);
  }
  const Image& img = *source;
  codecs::SaveOptions opt;
  opt.type = *save_type;
  opt.jpeg_quality = jpeg_quality_;
  opt.interlace = interlace_;
  opt.use_transparent = use_transparent_;
  opt.transparent_red = static_cast<uint8_t>(transparent_red_);
  opt.transparent_green = static_cast<uint8_t>(transparent_green_);
  opt.transparent_blue = static_cast<uint8_t>(transparent_blue_);
  opt.jp2_lossless = jp2_lossless_;
  opt.jp2_rate = jp2_rate_;
  opt.tiff_compression = codecs::TiffCompression::kNone;
  opt.comment = comment_.toStdString();
  owner_->BeginBusy(kBusyFile);
  const Result r = codecs::Save(img, file_name_.toStdString(), opt);
  owner_->EndBusy(kBusyFile);
  return owner_->SetError(r);
}

bool FileIO::ShowSaveDialog(const QString& start_folder, const QString& types, QString* chosen) {
  QStringList parts;
  for (const QString& t : types.split(';', Qt::SkipEmptyParts)) {
    const QString ext = t.trimmed();
    if (ext.isEmpty()) continue;
    parts << QString("%1 (*.%2)").arg(DescriptionOf(ext), ext.toLower()) << "*." + ext.toLower();
  }
  platform::FileDialogRequest req;
  req.title = "名前を付けて保存";
  req.start_folder = start_folder;
  req.filter = parts.join('|');
  req.filter_index = 1;
  req.file_name = file_name_;
  req.save = true;
  const platform::FileDialogAnswer answer = platform::CurrentFileDialog().Ask(req, owner_->window());
  owner_->SetErrorCode(Status::kOk);
  if (!answer.accepted || answer.path.isEmpty()) {
    if (chosen) chosen->clear();
    return false;
  }
  file_name_ = answer.path;
  if (chosen) *chosen = answer.path;
  return true;
}

}  // namespace imaging::control
