// File: platform/screen.cpp
#include "platform/screen.h"

#include "platform/clipboard.h"
#include "platform/screen_capture.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace platform {
namespace {

class PrimaryScreen : public Screen {
 public:
  ScreenMetrics Metrics() override {
    ScreenMetrics m;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
      m.work_area = m.full_area = QRect(0, 0, 1024, 768);
      return m;
    }
    m.work_area = screen->availableGeometry();
    m.full_area = screen->geometry();
    m.dpi_x = screen->logicalDotsPerInchX();
    m.dpi_y = screen->logicalDotsPerInchY();
    return m;
  }

  bool CaptureToClipboard(bool active_window_only) override {
    ClearClipboard();
    const QImage grab = GrabScreen(active_window_only);
    return !grab.isNull() && PutImageOnClipboard(grab);
  }
};

PrimaryScreen& DefaultScreen() {
  static PrimaryScreen screen;
  return screen;
}

Screen* g_screen = nullptr;

int32_t Round(double v) { return static_cast<int32_t>(std::lround(v)); }

}  // namespace

Screen& CurrentScreen() { return g_screen ? *g_screen : DefaultScreen(); }
void SetScreen(Screen* screen) { g_screen = screen; }

TwipsRect ToTwips(const QRect& pixels, const ScreenMetrics& metrics) {
  const double tx = metrics.TwipsPerPixelX();
  const double ty = metrics.TwipsPerPixelY();
  return TwipsRect{Round(pixels.x() * tx), Round(pixels.y() * ty), Round(pixels.width() * tx),
                   Round(pixels.height() * ty)};
}

QRect FromTwips(const TwipsRect& twips, const ScreenMetrics& metrics) {
  const double tx = metrics.TwipsPerPixelX();
  const double ty = metrics.TwipsPerPixelY();
  return QRect(Round(twips.left / tx), Round(twips.top / ty), Round(twips.width / tx),
               Round(twips.height / ty));
}

}  // namespace platform
