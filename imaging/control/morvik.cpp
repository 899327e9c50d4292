// Holding the picture: handles, the stock picture, picture information,
// error codes and busy notices.  View, mouse and clipboard live in
// view.cpp, selection.cpp and clipboard.cpp.
#include "imaging/control/morvik.h"

#include <QCursor>
#include <QPainter>
#include <QScrollBar>
#include <cmath>
#include <cstring>

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/file_io.h"
#include "imaging/control/internal/picture_convert.h"
#include "imaging/control/internal/view_cache.h"
#include "imaging/control/pan_window.h"
#include "imaging/control/print_job.h"
#include "imaging/control/processor.h"
#include "imaging/control/scanner.h"

namespace imaging::control {
namespace {

// Offsets of biXPelsPerMeter/biYPelsPerMeter in a packed DIB.
constexpr size_t kXPelsOffset = 24;
constexpr size_t kYPelsOffset = 28;

void PutLe32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

int32_t DpiToPelsPerMetre(int dpi) { return dpi > 0 ? static_cast<int32_t>(std::lround(dpi / 0.0254)) : 0; }

}  // namespace

Morvik::Morvik(QWidget* parent)
    : QAbstractScrollArea(parent),
      cache_(std::make_unique<ViewCache>()),
      file_io_(std::make_unique<control::FileIO>(this)),
      processor_(std::make_unique<control::Processor>(this)),
      pan_window_(std::make_unique<control::PanWindow>(this)),
      draw_toolbar_(std::make_unique<control::DrawToolbar>(this)),
      scanner_(std::make_unique<control::Scanner>(this)),
      print_job_(std::make_unique<control::PrintJob>(this)) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setAcceptDrops(true);
  setAcceptDrops(true);
  viewport()->setMouseTracking(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  UpdateCursor();
}

Morvik::~Morvik() {
  // Close the floating windows before the picture goes.
  draw_toolbar_.reset();
  pan_window_.reset();
  delete custom_cursor_;
  if (handle_) MemFree(handle_);
}

bool Morvik::SetError(const Result& r) {
  error_code_ = r.number();
  return r.ok();
}

bool Morvik::SetErrorCode(Status code) { return SetError(Result(code)); }

void Morvik::BeginBusy(int kind) {
  if (busy_depth_++ == 0) viewport()->setCursor(Qt::WaitCursor);
  emit BusyBegin(kind);
}

void Morvik::EndBusy(int kind) {
  emit BusyEnd(kind);
  if (busy_depth_ > 0 && --busy_depth_ == 0) UpdateCursor();
}

void Morvik::TakePicture(Image image, MemHandle handle) {
  const QSize old_size(image_.width(), image_.height());
  if (handle_ && handle_ != handle) MemFree(handle_);
  handle_ = handle;
  image_ = std::move(image);
  cache_->SetSource(&image_);
  clipboard_prepared_ = false;
  if (QSize(image_.width(), image_.height()) != old_size) {
    Relayout();
  }
  viewport()->update();
  emit ViewChanged();
}

void Morvik::ClearPicture() {
  if (handle_) MemFree(handle_);
  handle_ = 0;
  image_ = Image();
  cache_->SetSource(nullptr);
  range_ = Range{};
  marks_.clear();
  clipboard_prepared_ = false;
  Relayout();
  viewport()->update();
  emit ViewChanged();
}

bool Morvik::SetImageHandle(MemHandle handle) {
  if (handle == 0) {
    ClearPicture();
    return SetErrorCode(Status::kOk);
  }
  if (handle == handle_) return SetErrorCode(Status::kOk);
  Image img;
  if (Result r = ImageFromHandle(handle, &img); !r.ok()) return SetError(Result(Status::kBadImage, r.message()));
  TakePicture(std::move(img), handle);
  return SetErrorCode(Status::kOk);
}

bool Morvik::ReplaceImage(Image image) {
  if (image.empty()) return SetErrorCode(Status::kBadImage);
  // The handle's packed copy is made only when someone reads the handle,
  // from image_, which TakePicture() fills before anyone can know the
  // handle.  The old handle is freed before image_ changes, so it is never
  // written from the new picture.
  const MemHandle h = ImageToDeferredHandle(&image_);
  if (!h) return SetErrorCode(Status::kMemory);
  TakePicture(std::move(image), h);
  return SetErrorCode(Status::kOk);
}

MemHandle Morvik::DuplicateImage(MemHandle handle) {
  if (!handle || MemSize(handle) == 0) {
    SetErrorCode(Status::kBadImage);
    return 0;
  }
  const MemHandle copy = MemDuplicate(handle);
  SetErrorCode(copy ? Status::kOk : Status::kMemory);
  return copy;
}

bool Morvik::ReleaseImage(MemHandle handle) {
  if (handle && handle == handle_) {
    ClearPicture();
    return SetErrorCode(Status::kOk);
  }
  if (!handle || !MemFree(handle)) return SetErrorCode(Status::kBadImage);
  return SetErrorCode(Status::kOk);
}

QImage Morvik::Picture() const { return ToQImage(image_); }

bool Morvik::SetPicture(const QImage& image) {
  if (image.isNull()) {
    ClearPicture();
    return SetErrorCode(Status::kOk);
  }
  Image img;
  if (Result r = FromQImage(image, &img); !r.ok()) return SetError(r);
  return ReplaceImage(std::move(img));
}

bool Morvik::ColorTool(int depth, int mode, int red, int green, int blue) {
  if (image_.empty()) return SetErrorCode(Status::kNoDisplayImage);
  if ((depth != 16 && depth != 24 && depth != 32) || mode != 0) return SetErrorCode(Status::kBadValue);
  // Flatten through Qt: 32-bit pictures with alpha are laid onto the colour.
  QImage q = ToQImage(image_);
  if (image_.bpp() == 32) {
    bool has_alpha = false;
    for (int y = 0; y < image_.height() && !has_alpha; ++y) {
      const uint8_t* row = image_.row(y);
      for (int x = 0; x < image_.width(); ++x)
        if (row[4 * x + 3]) { has_alpha = true; break; }
    }
    if (has_alpha) {
      QImage argb(image_.width(), image_.height(), QImage::Format_ARGB32);
      for (int y = 0; y < image_.height(); ++y) std::memcpy(argb.scanLine(y), image_.row(y), static_cast<size_t>(image_.width()) * 4);
      q = QImage(argb.size(), QImage::Format_RGB32);
      q.fill(qRgb(red, green, blue));
      QPainter p(&q);
      p.drawImage(0, 0, argb);
    }
  }
  Image flat;
  if (Result r = FromQImage(q.convertToFormat(QImage::Format_RGB32), &flat); !r.ok()) return SetError(r);
  flat.CopyMetadataFrom(image_);
  flat.set_gray(false);
  flat.set_transparent_index(-1);
  if (depth != 24) {
    Image out;
    if (Result r = Image::Create(flat.width(), flat.height(), depth, &out); !r.ok()) return SetError(r);
    for (int y = 0; y < flat.height(); ++y)
      for (int x = 0; x < flat.width(); ++x) out.SetPixelRgb(x, y, flat.PixelRgb(x, y));
    out.CopyMetadataFrom(flat);
    flat = std::move(out);
  }
  return ReplaceImage(std::move(flat));
}

bool Morvik::ReadImageInfo() {
  if (image_.empty()) {
    info_width_ = info_height_ = info_bpp_ = 0;
    info_gray_ = false;
    info_data_size_ = 0;
    return SetErrorCode(Status::kNoDisplayImage);
  }
  info_width_ = image_.width();
  info_height_ = image_.height();
  info_bpp_ = image_.bpp();
  info_gray_ = image_.bpp() <= 8 && (image_.gray() || image_.IsGrayPalette());
  info_data_size_ = static_cast<int64_t>(image_.data_size());
  resolution_x_ = image_.dpi_x();
  resolution_y_ = image_.dpi_y();
  return SetErrorCode(Status::kOk);
}

bool Morvik::ApplyResolution() {
  if (image_.empty()) return SetErrorCode(Status::kNoDisplayImage);
  if (resolution_x_ < 0 || resolution_y_ < 0 || resolution_x_ > 100000 || resolution_y_ > 100000)
    return SetErrorCode(Status::kBadResolution);
  image_.set_dpi(resolution_x_, resolution_y_);
  // The handle's header carries the resolution too; patch it in place so
  // the handle stays the same picture (a deferred one is written from the
  // picture anyway).
  if (handle_ && !MemDeferred(handle_) && MemSize(handle_) >= 40) {
    if (auto* dib = static_cast<uint8_t*>(MemLock(handle_))) {
      PutLe32(dib + kXPelsOffset, DpiToPelsPerMetre(resolution_x_));
      PutLe32(dib + kYPelsOffset, DpiToPelsPerMetre(resolution_y_));
      MemUnlock(handle_);
    }
  }
  clipboard_prepared_ = false;
  return SetErrorCode(Status::kOk);
}

}  // namespace imaging::control
