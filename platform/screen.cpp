// File: platform/screen.cpp
#include "platform/screen.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
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
    QClipboard* clipboard = QGuiApplication::clipboard();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!clipboard || !screen) return false;
    clipboard->clear();
    QPixmap grab;
    QWidget* active = QApplication::activeWindow();
    if (active_window_only && active) {
      // The window with its frame, as the Alt+Print Screen key grabs it.
      const QRect frame = active->frameGeometry();
      grab = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    } else {
      grab = screen->grabWindow(0);
    }
    if (grab.isNull()) return false;
    clipboard->setImage(grab.toImage());
    return true;
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
