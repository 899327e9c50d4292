#include "slide/slide_test_support.h"

#include <iconv.h>
#include <tiffio.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWindow>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QTimer>

#include "viewer_common/hosting/control_object.h"
#include "viewer_host/event_log.h"

namespace slidetest {

using namespace hosting;

bool WritePicture(const QString& path, int w, int h, QColor color) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(color);
  return img.save(path, nullptr, 100);
}

bool WriteMultiPageTiff(const QString& path, int w, int h, const std::vector<QColor>& colours) {
  TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "w");
  if (!tif) return false;
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  for (size_t page = 0; page < colours.size(); ++page) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page), static_cast<uint16_t>(colours.size()));
    for (int x = 0; x < w; ++x) {
      row[x * 3] = static_cast<uint8_t>(colours[page].red());
      row[x * 3 + 1] = static_cast<uint8_t>(colours[page].green());
      row[x * 3 + 2] = static_cast<uint8_t>(colours[page].blue());
    }
    for (int y = 0; y < h; ++y)
      if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) {
        TIFFClose(tif);
        return false;
      }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return true;
}

bool WriteBytes(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::string ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size(), room = out.size();
  char* dst = out.data();
  const bool ok = iconv(cd, &in, &in_left, &dst, &room) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return {};
  out.resize(out.size() - room);
  return out;
}

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

QImage ScreenShot(QWidget* w) { return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32); }

bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

void ShowExposed(QWidget* w) {
  w->show();
  QElapsedTimer t;
  t.start();
  while ((!w->windowHandle() || !w->windowHandle()->isExposed()) && t.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  QCoreApplication::processEvents();
}

Harness::Harness() {
  control_ = new slide::CMorvikSlide();
  (void)WrapControl(control_, IUnknown::kIid, object_.PutVoid());
  (void)object_.As(&dispatch_);
  auto* log = new host::EventLog(&slide::CMorvikSlide::Class().events, &slide::CMorvikSlide::Class().dispatch,
                                 [this](const std::string& line) { lines_.push_back(line); });
  sink_ = ComPtr<IUnknown>(static_cast<IDispatch*>(log));
  log->Connect(object_.Get());
}

Harness::~Harness() {
  static_cast<host::EventLog*>(static_cast<IDispatch*>(sink_.Get()))->Disconnect();
}

HRESULT Harness::Put(DispId id, Variant v) {
  return dispatch_->Invoke(id, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr);
}

Variant Harness::Get(DispId id) {
  Variant v;
  (void)dispatch_->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr);
  return v;
}

int Harness::Call(DispId id) {
  Variant r;
  if (Failed(dispatch_->Invoke(id, InvokeKind::kMethod, nullptr, 0, &r, nullptr))) return -99;
  return r.AsI4();
}

std::vector<std::string> Harness::TakeEvents() { return TakeEvents("event "); }

std::vector<std::string> Harness::TakeEvents(const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines_)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  lines_.clear();
  return out;
}

}  // namespace slidetest
