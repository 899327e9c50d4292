#include "thumb/testing/thumb_fixture.h"

#include <tiffio.h>
#include <unistd.h>

#include <QFile>
#include <cstring>
#include <filesystem>
#include <vector>

namespace thumb::testing {

using hosting::Variant;

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "thumbtest.XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

bool TempFolder::Picture(const std::string& name, int w, int h, QColor color) const {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(color);
  return img.save(QString::fromStdString(File(name)), nullptr, 95);
}

bool TempFolder::BrokenPng(const std::string& name) const {
  QImage img(64, 48, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) & 0xFF));
  const QString path = QString::fromStdString(File(name));
  if (!img.save(path, "PNG")) return false;
  QFile f(path);
  if (!f.open(QIODevice::ReadWrite)) return false;
  QByteArray bytes = f.readAll();
  // Every chunk before the picture data stays whole; the compressed data
  // itself is spoilt after its first bytes.
  const qsizetype idat = bytes.indexOf("IDAT");
  if (idat < 0) return false;
  for (qsizetype i = idat + 4 + 8; i < bytes.size() - 16; ++i) bytes[i] = static_cast<char>(0xFF);
  f.seek(0);
  return f.write(bytes) == bytes.size();
}

// A TIFF of `pages` pages of 16 x 12, page k in grey level 40 k, written
// with libtiff itself.
bool MultiPageTiff(const std::string& path, int pages) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (!t) return false;
  for (int k = 0; k < pages; ++k) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 16);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 12);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 12);
    std::vector<uint8_t> row(16 * 3, static_cast<uint8_t>(40 * k + 20));
    for (int y = 0; y < 12; ++y)
      if (TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0) < 0) return false;
    if (!TIFFWriteDirectory(t)) return false;
  }
  TIFFClose(t);
  return true;
}

void ThumbTest::SetUp() {
  ASSERT_FALSE(dir_.path().empty());
  ASSERT_FALSE(cache_.path().empty());
  setenv("XDG_CACHE_HOME", cache_.path().c_str(), 1);
  hosting::ComPtr<hosting::IUnknown> unk;
  ASSERT_EQ(hosting::CreateControl<CMorvikThumb>(nullptr, hosting::IUnknown::kIid, unk.PutVoid()), hosting::S_OK);
  ASSERT_EQ(unk->QueryInterface(hosting::IDispatch::kIid, disp_.PutVoid()), hosting::S_OK);
  hosting::ComPtr<hosting::IControlWidget> widget;
  ASSERT_EQ(unk->QueryInterface(hosting::IControlWidget::kIid, widget.PutVoid()), hosting::S_OK);
  control_ = static_cast<CMorvikThumb*>(widget->Widget());
  control_->resize(220, 220);
  control_->AddEventListener(
      [this](hosting::DispId id, const std::vector<Variant>& args) { events_.push_back({id, args}); });
  control_->AddPropertyListener({[this](hosting::DispId id) { changed_.push_back(id); }, {}});
}

void ThumbTest::TearDown() {
  disp_.Reset();
  control_ = nullptr;
}

hosting::HRESULT ThumbTest::Put(hosting::DispId id, Variant v) {
  return disp_->Invoke(id, hosting::InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr);
}

Variant ThumbTest::Get(hosting::DispId id) {
  Variant v;
  EXPECT_TRUE(hosting::Succeeded(disp_->Invoke(id, hosting::InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr)))
      << id;
  return v;
}

bool ThumbTest::Call(hosting::DispId id, std::vector<Variant> args) {
  Variant result;
  EXPECT_EQ(disp_->Invoke(id, hosting::InvokeKind::kMethod, args.data(), args.size(), &result, nullptr),
            hosting::S_OK)
      << id;
  return result.AsBool();
}

std::vector<Event> ThumbTest::EventsOf(hosting::DispId id) const {
  std::vector<Event> out;
  for (const Event& e : events_)
    if (e.id == id) out.push_back(e);
  return out;
}

QPoint ThumbTest::CentreOf(int image) {
  const Cell* c = control_->CellOfEntry(image - 1);
  EXPECT_NE(c, nullptr) << image;
  return c ? QPoint((c->rect.left + c->rect.right) / 2, (c->rect.top + c->rect.bottom) / 2) : QPoint();
}

std::vector<std::string> ThumbTest::Names() const {
  std::vector<std::string> names;
  for (const file_list::ThumbnailEntry& e : control_->Entries().entries()) names.push_back(e.file_name);
  return names;
}

MVHANDLE SolidHandle(int w, int h, QColor color) {
  const uint32_t stride = (24 * w + 31) / 32 * 4;
  const size_t size = 40 + static_cast<size_t>(stride) * h;
  const MVHANDLE handle = MVGlobalAlloc(size);
  auto* p = static_cast<uint8_t*>(MVGlobalLock(handle));
  if (!p) return 0;
  MVBITMAPINFOHEADER bi{};
  bi.biSize = 40;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  std::memcpy(p, &bi, 40);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* px = p + 40 + y * stride + x * 3;
      px[0] = static_cast<uint8_t>(color.blue());
      px[1] = static_cast<uint8_t>(color.green());
      px[2] = static_cast<uint8_t>(color.red());
    }
  MVGlobalUnlock(handle);
  return handle;
}

QSize HandleSize(MVHANDLE h) {
  const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(MVGlobalLock(h));
  if (!bi) return {};
  const QSize s(bi->biWidth, std::abs(bi->biHeight));
  MVGlobalUnlock(h);
  return s;
}

QColor CentreColor(MVHANDLE h) {
  const auto* base = static_cast<const uint8_t*>(MVGlobalLock(h));
  if (!base) return {};
  MVBITMAPINFOHEADER bi;
  std::memcpy(&bi, base, 40);
  QColor c;
  if (bi.biBitCount == 24 || bi.biBitCount == 32) {
    const int bpp = bi.biBitCount / 8;
    const uint32_t stride = (bi.biBitCount * bi.biWidth + 31) / 32 * 4;
    const uint8_t* px = base + 40 + (std::abs(bi.biHeight) / 2) * stride + (bi.biWidth / 2) * bpp;
    c = QColor(px[2], px[1], px[0]);
  }
  MVGlobalUnlock(h);
  return c;
}

}  // namespace thumb::testing
