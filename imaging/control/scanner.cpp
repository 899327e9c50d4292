#include "imaging/control/scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <QInputDialog>
#include <cstring>
#include <vector>

#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

Status StatusOfSane(SANE_Status s) {
  switch (s) {
    case SANE_STATUS_GOOD: return Status::kOk;
    case SANE_STATUS_UNSUPPORTED: return Status::kScannerBadRequest;
    case SANE_STATUS_CANCELLED: return Status::kOther;
    case SANE_STATUS_DEVICE_BUSY: return Status::kScannerBusy;
    case SANE_STATUS_INVAL: return Status::kScannerBadRequest;
    case SANE_STATUS_EOF: return Status::kNoImageInCamera;
    case SANE_STATUS_JAMMED: return Status::kPaperJam;
    case SANE_STATUS_NO_DOCS: return Status::kNoPaperInFeeder;
    case SANE_STATUS_COVER_OPEN: return Status::kScannerPower;
    case SANE_STATUS_IO_ERROR: return Status::kScannerFailure;
    case SANE_STATUS_NO_MEM: return Status::kMemory;
    case SANE_STATUS_ACCESS_DENIED: return Status::kAccessDenied;
    default: return Status::kScannerFailure;
  }
}

// Closes a SANE handle on every way out.
class DeviceGuard {
 public:
  explicit DeviceGuard(SANE_Handle h) : h_(h) {}
  ~DeviceGuard() {
    if (h_) {
      sane_cancel(h_);
      sane_close(h_);
    }
  }
  DeviceGuard(const DeviceGuard&) = delete;
  DeviceGuard& operator=(const DeviceGuard&) = delete;

 private:
  SANE_Handle h_;
};

int FindOption(SANE_Handle h, const char* name) {
  SANE_Int count = 0;
  if (sane_control_option(h, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return -1;
  for (SANE_Int i = 1; i < count; ++i) {
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
    if (d && d->name && std::strcmp(d->name, name) == 0) return i;
  }
  return -1;
}

// Resolution option value in dpi (fixed or integer), 0 when unknown.
int ReadResolution(SANE_Handle h) {
  const int opt = FindOption(h, SANE_NAME_SCAN_RESOLUTION);
  if (opt < 0) return 0;
  const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, opt);
  SANE_Word v = 0;
  if (!d || sane_control_option(h, opt, SANE_ACTION_GET_VALUE, &v, nullptr) != SANE_STATUS_GOOD) return 0;
  return d->type == SANE_TYPE_FIXED ? static_cast<int>(SANE_UNFIX(v) + 0.5) : static_cast<int>(v);
}

Status WriteResolution(SANE_Handle h, int dpi) {
  const int opt = FindOption(h, SANE_NAME_SCAN_RESOLUTION);
  if (opt < 0) return Status::kBadResolution;
  const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, opt);
  if (!d) return Status::kBadResolution;
  SANE_Word v = d->type == SANE_TYPE_FIXED ? SANE_FIX(dpi) : dpi;
  // Devices clamp silently; a resolution outside the device's range is an
  // error of its own.
  if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range &&
      (v < d->constraint.range->min || v > d->constraint.range->max))
    return Status::kBadResolution;
  if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
    bool listed = false;
    for (SANE_Int i = 1; i <= d->constraint.word_list[0]; ++i) listed = listed || d->constraint.word_list[i] == v;
    if (!listed) return Status::kBadResolution;
  }
  if (sane_control_option(h, opt, SANE_ACTION_SET_VALUE, &v, nullptr) != SANE_STATUS_GOOD) return Status::kBadResolution;
  return Status::kOk;
}

// Builds the picture from the frame's bytes.
Result ToImage(const SANE_Parameters& p, const std::vector<uint8_t>& data, int lines, Image* out) {
  const int w = p.pixels_per_line;
  const size_t bpl = static_cast<size_t>(p.bytes_per_line);
  const bool rgb = p.format == SANE_FRAME_RGB;
  if (!rgb && p.format != SANE_FRAME_GRAY) return Result(Status::kScannerBadRequest, "multi-pass frames");
  if (p.depth != 1 && p.depth != 8 && p.depth != 16) return Result(Status::kScannerBadRequest, "sample depth");
  if (rgb && p.depth == 1) return Result(Status::kScannerBadRequest, "1-bit colour");
  const int bpp = p.depth == 1 ? 1 : rgb ? 24 : 8;
  Image img;
  if (Result r = Image::Create(w, lines, bpp, &img); !r.ok()) return r;
  const int step = p.depth == 16 ? 2 : 1;
  // 16-bit samples are in host order; take the high byte.
  const int high = p.depth == 16 ? 1 : 0;
  for (int y = 0; y < lines; ++y) {
    const uint8_t* src = data.data() + static_cast<size_t>(y) * bpl;
    uint8_t* dst = img.row(y);
    if (bpp == 1) {
      // SANE line art: a set bit is black; the picture's index 0 is black.
      for (size_t i = 0; i < (static_cast<size_t>(w) + 7) / 8; ++i) dst[i] = static_cast<uint8_t>(~src[i]);
    } else if (bpp == 8) {
      for (int x = 0; x < w; ++x) dst[x] = src[x * step + high];
    } else {
      for (int x = 0; x < w; ++x) {
        dst[3 * x + 2] = src[(3 * x) * step + high];
        dst[3 * x + 1] = src[(3 * x + 1) * step + high];
        dst[3 * x + 0] = src[(3 * x + 2) * step + high];
      }
    }
  }
  if (bpp == 1) img.palette() = {PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};
  if (bpp <= 8) img.set_gray(true);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace

Scanner::~Scanner() { Close(); }

bool Scanner::Open(QWidget* host, int, int, const QString& product, const QString&, const QString&, const QString&) {
  host_ = host;
  product_ = product;
  if (open_) return owner_->SetErrorCode(Status::kOk);
  SANE_Int version = 0;
  if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return owner_->SetErrorCode(Status::kScannerLoad);
  open_ = true;
  return owner_->SetErrorCode(Status::kOk);
}

void Scanner::Close() {
  if (open_) sane_exit();
  open_ = false;
}

QStringList Scanner::Sources() {
  if (!open_) {
    owner_->SetErrorCode(Status::kScannerNotOpen);
    return {};
  }
  const SANE_Device** list = nullptr;
  if (SANE_Status s = sane_get_devices(&list, SANE_TRUE); s != SANE_STATUS_GOOD) {
    owner_->SetErrorCode(StatusOfSane(s));
    return {};
  }
  QStringList names;
  for (int i = 0; list && list[i]; ++i) names << QString::fromUtf8(list[i]->name);
  owner_->SetErrorCode(names.isEmpty() ? Status::kNoScannerSource : Status::kOk);
  return names;
}

bool Scanner::SelectSource() {
  const QStringList names = Sources();
  if (names.isEmpty()) return false;
  int index = -1;
  if (chooser_) {
    index = chooser_(names);
  } else {
    bool ok = false;
    const QString pick = QInputDialog::getItem(host_ ? host_ : owner_->window(), "ｿｰｽの選択", "ｽｷｬﾅｰ", names,
                                               std::max(0, static_cast<int>(names.indexOf(source_))), false, &ok);
    index = ok ? static_cast<int>(names.indexOf(pick)) : -1;
  }
  owner_->SetErrorCode(Status::kOk);
  if (index < 0 || index >= names.size()) return false;
  source_ = names[index];
  return true;
}

bool Scanner::Acquire(int* busy_after) {
  if (busy_after) *busy_after = 0;
  if (!open_) return owner_->SetErrorCode(Status::kScannerNotOpen);
  QString device = source_;
  if (device.isEmpty()) {
    const QStringList names = Sources();
    if (names.isEmpty()) return false;
    device = names.front();
  }
  if (show_ui_) {
    bool ok = false;
    const int dpi = QInputDialog::getInt(host_ ? host_ : owner_->window(), product_, "解像度 (dpi)",
                                         resolution_ > 0 ? resolution_ : 100, 25, 1200, 25, &ok);
    if (!ok) {
      owner_->SetErrorCode(Status::kOk);
      return false;
    }
    resolution_ = dpi;
  }
  SANE_Handle h = nullptr;
  if (SANE_Status s = sane_open(device.toUtf8().constData(), &h); s != SANE_STATUS_GOOD) {
    return owner_->SetErrorCode(s == SANE_STATUS_DEVICE_BUSY ? Status::kScannerBusy : Status::kScannerNotOpen);
  }
  DeviceGuard guard(h);
  if (resolution_ > 0) {
    if (Status st = WriteResolution(h, resolution_); st != Status::kOk) return owner_->SetErrorCode(st);
  }
  owner_->BeginBusy(kBusyFile);
  struct EndBusy {
    Morvik* m;
    ~EndBusy() { m->EndBusy(kBusyFile); }
  } end_busy{owner_};

  if (SANE_Status s = sane_start(h); s != SANE_STATUS_GOOD) return owner_->SetErrorCode(StatusOfSane(s));
  SANE_Parameters p{};
  if (SANE_Status s = sane_get_parameters(h, &p); s != SANE_STATUS_GOOD) return owner_->SetErrorCode(StatusOfSane(s));
  if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 || p.pixels_per_line > kMaxDimension)
    return owner_->SetErrorCode(Status::kScannerBadRequest);
  // Read until the end of the frame; the line count may be unknown (-1).
  std::vector<uint8_t> data;
  const size_t limit = static_cast<size_t>(p.bytes_per_line) * static_cast<size_t>(kMaxDimension);
  if (p.lines > 0) data.reserve(std::min(limit, static_cast<size_t>(p.bytes_per_line) * static_cast<size_t>(p.lines)));
  std::vector<uint8_t> buf(64 * 1024);
  for (;;) {
    SANE_Int got = 0;
    const SANE_Status s = sane_read(h, buf.data(), static_cast<SANE_Int>(buf.size()), &got);
    if (s == SANE_STATUS_EOF) break;
    if (s != SANE_STATUS_GOOD) return owner_->SetErrorCode(StatusOfSane(s));
    if (data.size() + static_cast<size_t>(got) > limit) return owner_->SetErrorCode(Status::kMemory);
    data.insert(data.end(), buf.begin(), buf.begin() + got);
  }
  const int lines = static_cast<int>(data.size() / static_cast<size_t>(p.bytes_per_line));
  if (lines <= 0) return owner_->SetErrorCode(Status::kNoImageInCamera);
  Image img;
  if (Result r = ToImage(p, data, lines, &img); !r.ok()) return owner_->SetError(r);
  const int dpi = ReadResolution(h);
  img.set_dpi(dpi, dpi);
  const MemHandle handle = ImageToHandle(img);
  if (!handle) return owner_->SetErrorCode(Status::kMemory);
  owner_->SetErrorCode(Status::kOk);
  emit owner_->ImageAcquired(handle);
  MemFree(handle);
  return true;
}

}  // namespace imaging::control
