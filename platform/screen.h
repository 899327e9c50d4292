// File: platform/screen.h
//
// The screen as the editor sees it: the work area (desktop minus panels) in
// pixels with the logical resolution, conversions to and from twips
// (1/1440 inch; 1440 / dpi twips per pixel, 15 at 96 dpi), and the screen
// grab that stands in for the Print Screen key.
//
//   platform::ScreenMetrics m = platform::CurrentScreen().Metrics();
//   platform::TwipsRect area = platform::ToTwips(m.work_area, m);
//   platform::CurrentScreen().CaptureToClipboard(/*active_window_only=*/true);
#pragma once

#include <QRect>
#include <cstdint>

namespace platform {

struct ScreenMetrics {
  QRect work_area;   // pixels (device-independent), primary screen
  QRect full_area;   // whole primary screen, pixels
  double dpi_x = 96.0;
  double dpi_y = 96.0;
  double TwipsPerPixelX() const { return 1440.0 / (dpi_x > 0 ? dpi_x : 96.0); }
  double TwipsPerPixelY() const { return 1440.0 / (dpi_y > 0 ? dpi_y : 96.0); }
};

struct TwipsRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class Screen {
 public:
  virtual ~Screen() = default;
  virtual ScreenMetrics Metrics() = 0;
  // Clears the clipboard, then puts a grab of the active window (or the whole
  // screen) on it.  False when nothing could be grabbed.
  virtual bool CaptureToClipboard(bool active_window_only) = 0;
};

Screen& CurrentScreen();          // primary QScreen by default
void SetScreen(Screen* screen);   // nullptr restores the default

// ToTwips(): a pixel rectangle in twips, each value rounded.
TwipsRect ToTwips(const QRect& pixels, const ScreenMetrics& metrics);
// FromTwips(): a twips rectangle in pixels, each value rounded.
QRect FromTwips(const TwipsRect& twips, const ScreenMetrics& metrics);

// FixedScreen: fixed metrics for tests; records capture requests.
class FixedScreen : public Screen {
 public:
  explicit FixedScreen(ScreenMetrics metrics) : metrics_(metrics) {}
  ScreenMetrics Metrics() override { return metrics_; }
  bool CaptureToClipboard(bool active_window_only) override {
    ++captures_;
    last_active_only_ = active_window_only;
    return true;
  }
  int captures() const { return captures_; }
  bool last_active_only() const { return last_active_only_; }

 private:
  ScreenMetrics metrics_;
  int captures_ = 0;
  bool last_active_only_ = false;
};

}  // namespace platform
