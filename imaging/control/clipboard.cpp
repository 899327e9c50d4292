// The clipboard: pasting a picture and copying the held one.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "imaging/control/internal/picture_convert.h"
#include "imaging/control/morvik.h"
#include "platform/clipboard.h"

namespace imaging::control {

bool Morvik::PasteClipboard() {
  QClipboard* clip = QGuiApplication::clipboard();
  const QMimeData* mime = clip ? clip->mimeData() : nullptr;
  if (!mime || !mime->hasImage()) return SetErrorCode(Status::kNotTarget);
  const QImage img = clip->image();
  if (img.isNull()) return SetErrorCode(Status::kNotTarget);
  BeginBusy(kBusyFile);
  const bool ok = SetPicture(img);
  EndBusy(kBusyFile);
  return ok;
}

bool Morvik::PrepareClipboard() {
  if (image_.empty()) return SetErrorCode(Status::kNoDisplayImage);
  clipboard_image_ = ToQImage(image_);
  clipboard_prepared_ = !clipboard_image_.isNull();
  return SetErrorCode(clipboard_prepared_ ? Status::kOk : Status::kMemory);
}

bool Morvik::CopyToClipboard() {
  if (!clipboard_prepared_) return SetErrorCode(Status::kSequence);
  // Offered as PNG and as Qt's own image, so any program can paste it.
  const bool ok = platform::PutImageOnClipboard(clipboard_image_);
  clipboard_prepared_ = false;
  clipboard_image_ = QImage();
  return SetErrorCode(ok ? Status::kOk : Status::kOther);
}

}  // namespace imaging::control
