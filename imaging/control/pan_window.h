// File: imaging/control/pan_window.h
//
// PanWindow: a small floating overview of the whole picture with the part
// the view shows framed in red.  Clicking or dragging in it scrolls the
// view.  The control raises PanWindowChanged(visible) when it opens or
// closes.
//
//   view.PanWindow().SetOption(PanWindow::kAutoHide, true);
//   view.PanWindow().ShowAt(QPoint(40, 60));   // screen pixels
#pragma once

#include <QWidget>

namespace imaging::control {

class Morvik;

class PanWindow : public QWidget {
  Q_OBJECT

 public:
  enum Option {
    kAutoHide = 1,    // hidden while the whole picture fits in the view
    kLiveScroll = 2,  // the view follows while dragging, not only on release
  };

  explicit PanWindow(Morvik* owner);

  // ShowAt() places the window's top-left at `screen_pos` and shows it.
  void ShowAt(QPoint screen_pos);
  void HideWindow();
  bool IsShown() const { return isVisible(); }
  void SetOption(int option, bool on);
  bool OptionOn(int option) const;

  // The framed part in overview pixels (for tests).
  QRect FrameRect() const;
  // ScrollToOverviewPoint() centres the view on an overview point.
  void ScrollToOverviewPoint(QPoint p);

  static constexpr int kSide = 200;  // the overview's bound in pixels

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Follow();
  QRect OverviewRect() const;

  Morvik* owner_;
  bool auto_hide_ = false;
  bool live_scroll_ = false;
  bool dragging_ = false;
  bool hidden_by_fit_ = false;
};

}  // namespace imaging::control
