// File: imaging/control/draw_toolbar.h
//
// DrawToolbar: the floating drawing tool window ("ToolBar") and the
// drawing it does on the control's picture: free-hand lines, straight
// lines, rectangles, ellipses, flood fill, text and stamps, in a chosen
// colour and width, plus a range tool that frames a rectangle without
// painting.  The last drawn shape's points and a drawn flag are kept for
// the host.  Choosing a tool raises ToolSelected(n) on the control; the
// window closing raises ToolbarClosed(false).
//
//   DrawToolbar& bar = view.DrawToolbar();
//   bar.SetPosition(0, 0);
//   bar.SetStyle(true, 10, true, "ToolBar", 50, 0, 0xFFFFFF);
//   bar.ShowToolbar();
//   bar.SelectTool(DrawToolbar::kToolLine);
//
// DrawTarget 0 draws the DrawLine()/DrawRect() marks on the view only
// (Redraw() removes them); 1 paints them into the picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QString>
#include <QWidget>
#include <vector>

class QButtonGroup;
class QLabel;
class QPainter;
class QSpinBox;
class QToolButton;

namespace imaging::control {

class Morvik;

class DrawToolbar : public QWidget {
  Q_OBJECT

 public:
  enum Tool {
    kToolNone = 0,
    kToolRange = 1,     // frames a rectangle (4 points), paints nothing
    kToolFreehand = 2,
    kToolLine = 3,
    kToolRect = 4,
    kToolEllipse = 5,
    kToolFill = 6,
    kToolText = 7,
    kToolStamp = 8,
  };
  static constexpr int kToolCount = 8;

  explicit DrawToolbar(Morvik* owner);

  void ShowToolbar();
  // HideToolbar() hides the window quietly; Close() hides it and raises
  // ToolbarClosed(false), as the window's own close button does.
  void HideToolbar();
  void Close();
  bool IsShown() const { return isVisible(); }
  void SetPosition(int left, int top);  // screen pixels

  // SetStyle(): tool tips shown, text size in points, stays on top,
  // caption, stamp size in percent of the stamp picture, line style
  // (0 solid, 1 dash, 2 dot) and the colour (0xRRGGBB) that filled
  // rectangles and ellipses get once SetFillEnabled(true).
  void SetStyle(bool tool_tips, int text_points, bool stay_on_top, const QString& caption, int stamp_percent,
                int line_style, uint32_t fill_rgb);
  QString Caption() const { return windowTitle(); }

  void SelectTool(int tool);
  int CurrentTool() const { return tool_; }
  QColor Colour() const { return colour_; }
  void SetColour(QColor colour);
  int PenWidth() const { return pen_width_; }
  void SetPenWidth(int width);
  // Fill of rectangles and ellipses; invalid = outline only (the default).
  QColor FillColor() const { return fill_; }
  void SetFillEnabled(bool on) { fill_enabled_ = on; }
  // The text the text tool writes; empty = ask the user on each click.
  void SetText(const QString& text) { text_ = text; }

  // Stamp: colours 0..2 are the red, green and blue of the stamp picture's
  // transparent colour; the stamp file is any picture file.
  void SetStampColor(int index, int value);
  bool SetStampFile(const QString& path);

  // The last drawn shape: free-hand n points, line/rectangle/ellipse 2
  // (start and end), range 4 (top-left, top-right, bottom-right,
  // bottom-left), fill/text/stamp 1.  Picture pixels.
  int PointCount() const { return static_cast<int>(points_.size()); }
  int PointX(int i) const;
  int PointY(int i) const;
  bool Drawn() const { return drawn_; }
  void ResetDrawn();

  int DrawTarget() const { return draw_target_; }
  void SetDrawTarget(int target) { draw_target_ = target == 1 ? 1 : 0; }
  bool DrawLine(int x1, int y1, int x2, int y2);
  bool DrawRect(int x1, int y1, int x2, int y2);

  // For the control's mouse handling (picture coordinates).
  bool ToolActive() const { return isVisible() && tool_ != kToolNone; }
  void PressAt(QPointF p);
  void MoveTo(QPointF p);
  void ReleaseAt(QPointF p);
  void PaintPreview(QPainter& painter) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // draw_tools.cpp
  bool PaintOnPicture(const std::vector<QPointF>& pts, int tool, const QString& text = {});
  bool FloodFill(QPoint seed);
  QPen MakePen() const;
  void UpdateColourButton();

  Morvik* owner_;
  QButtonGroup* group_ = nullptr;
  QToolButton* colour_button_ = nullptr;
  QSpinBox* width_box_ = nullptr;
  int tool_ = kToolNone;
  QColor colour_ = Qt::red;
  int pen_width_ = 3;
  QColor fill_ = Qt::white;
  bool fill_enabled_ = false;
  int text_points_ = 10;
  int stamp_percent_ = 100;
  int line_style_ = 0;
  QString text_;
  int stamp_key_[3] = {0, 0, 255};
  QImage stamp_;
  std::vector<QPointF> points_;
  std::vector<QPointF> stroke_;  // the shape being dragged
  bool pressing_ = false;
  bool drawn_ = false;
  int draw_target_ = 0;
  bool closing_quietly_ = false;
};

}  // namespace imaging::control
