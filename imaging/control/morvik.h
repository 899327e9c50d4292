// File: imaging/control/morvik.h
//
// Morvik: the imaging control.  One widget holds one picture (as an image
// handle, imaging/global_memory.h), shows it in one of five view modes with
// scroll bars, lets the mouse select a rectangle or move the view, and
// offers the picture's file codecs, pixel operations, scanner, printer and
// clipboard through its sub-objects.
//
//   imaging::control::Morvik view;
//   view.FileIO().SetFileName("/p/a.jpg");
//   if (view.FileIO().LoadFile(0) && view.FileIO().FinishLoad()) view.DrawImage(1);
//   else ShowError(view.ErrorCode());
//
// Every public call sets `ErrorCode()` (0 = success; the numbers of
// imaging/status.h).  Calls that report success return true.  Picture
// coordinates are pixels with (0, 0) the top-left corner; a range's right
// and bottom are edges (at most the picture's width and height).
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>

#include "imaging/global_memory.h"
#include "imaging/image.h"
#include "imaging/status.h"

class QMimeData;

namespace imaging::control {

class DrawToolbar;
class FileIO;
class PanWindow;
class PrintJob;
class Processor;
class Scanner;
class ViewCache;

// View modes of DrawImage().
enum ViewMode : int {
  kViewScale = 1,       // scaled to fit, aspect kept
  kViewStretch = 2,     // stretched to the view
  kViewActual = 3,      // actual size times ZoomX/ZoomY
  kViewFitWidth = 4,    // fitted to the width, aspect kept
  kViewFitHeight = 5,   // fitted to the height, aspect kept
};

// Pointer shapes of SetPointerShape().
enum PointerShapes : int {
  kPointerNormal = 0,
  kPointerBusy = 14,
  kPointerCustom = 15,   // the cursor file named by PointerFile()
  kPointerSelect = 17,
};

// Kinds of work announced by BusyBegin()/BusyEnd().
enum BusyKind : int {
  kBusyFile = 0,     // loading, saving, scanning, printing
  kBusyPixels = 1,   // pixel operations
};

class Morvik : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit Morvik(QWidget* parent = nullptr);
  ~Morvik() override;
  Morvik(const Morvik&) = delete;
  Morvik& operator=(const Morvik&) = delete;

  // --- Holding the picture -------------------------------------------------

  // ImageHandle() is the held picture's handle, 0 when none.  After a load
  // or an operation its packed DIB is written only when the handle is first
  // read (MemLock(), MemDuplicate(), ImageFromHandle()); saving the held
  // picture does not need it.
  MemHandle ImageHandle() const { return handle_; }
  // SetImageHandle() hands a handle over: the control owns it from now on
  // and frees the one it held before.  0 clears the picture.  A handle that
  // holds no readable picture is refused (ErrorCode 7) and nothing changes.
  bool SetImageHandle(MemHandle handle);
  // DuplicateImage() returns a new handle with a copy of `handle`, 0 on
  // failure (ErrorCode 7 for an unknown handle, 3 when out of memory).
  MemHandle DuplicateImage(MemHandle handle);
  // ReleaseImage() frees a handle.  Freeing the held handle clears the
  // picture.  False (ErrorCode 7) for an unknown handle.
  bool ReleaseImage(MemHandle handle);

  // Picture()/SetPicture(): the stock picture property.  Assigning makes a
  // copy of the image the held picture (indexed images keep their palette,
  // images with alpha become 32 bits, others 24 bits).  A null image clears.
  QImage Picture() const;
  bool SetPicture(const QImage& image);
  // ColorTool() flattens the picture onto the colour (red, green, blue) and
  // converts it to `depth` bits (16, 24 or 32); `mode` 0 is the only mode.
  bool ColorTool(int depth, int mode, int red, int green, int blue);

  // The held picture itself (empty when none), for the sub-objects and
  // for tests.
  const Image& image() const { return image_; }
  // ReplaceImage() makes `image` the held picture under a new handle (the
  // old one is freed) and refreshes the view.  Used by the sub-objects
  // after an operation.
  bool ReplaceImage(Image image);

  // ReadImageInfo() refreshes the info fields below from the held picture.
  bool ReadImageInfo();
  int ImageWidth() const { return info_width_; }
  int ImageHeight() const { return info_height_; }
  int BitCount() const { return info_bpp_; }
  bool IsGray() const { return info_gray_; }
  int64_t ImageDataSize() const { return info_data_size_; }
  // Resolution in pixels per inch, 0 = none.  Read by ReadImageInfo();
  // the written values reach the picture with ApplyResolution().
  int ResolutionX() const { return resolution_x_; }
  int ResolutionY() const { return resolution_y_; }
  void SetResolutionX(int dpi) { resolution_x_ = dpi; }
  void SetResolutionY(int dpi) { resolution_y_ = dpi; }
  bool ApplyResolution();

  // Colour at the last clicked picture point (0..255 each) and the point.
  int PointRed() const { return point_red_; }
  int PointGreen() const { return point_green_; }
  int PointBlue() const { return point_blue_; }
  QPoint PointPosition() const { return point_position_; }

  int16_t ErrorCode() const { return error_code_; }

  // --- Showing -------------------------------------------------------------

  // DrawImage() shows the picture in `mode` (ViewMode).  False with
  // ErrorCode 24 without a picture, 5 for a mode outside 1..5.
  bool DrawImage(int mode);
  int CurrentViewMode() const { return view_mode_; }
  // Redraw() repaints the view and removes marks drawn on the view.
  void Redraw();
  double ZoomX() const { return zoom_x_; }
  double ZoomY() const { return zoom_y_; }
  // Zoom factors of the actual-size mode (1.0 = 100 %), 0.01..64; values
  // outside are clamped, 0 and below count as 1.
  void SetZoomX(double zoom);
  void SetZoomY(double zoom);
  // ViewReset: when set, the next DrawImage() scrolls to the top-left.
  bool ViewReset() const { return view_reset_; }
  void SetViewReset(bool reset) { view_reset_ = reset; }

  // Size of the shown picture in view pixels, and its top-left corner in
  // viewport coordinates (negative when scrolled).
  QSize DisplayedSize() const { return displayed_; }
  QPoint DisplayOrigin() const;
  // Mapping between viewport and picture coordinates.
  QPointF ViewToPicture(QPointF view_point) const;
  QPointF PictureToView(QPointF picture_point) const;
  // Scroll position (the scroll bars' values).
  QPoint ScrollPosition() const;
  void ScrollTo(QPoint position);

  // --- Selection and mouse -------------------------------------------------

  int RangeLeft() const { return range_.left; }
  int RangeTop() const { return range_.top; }
  int RangeRight() const { return range_.right; }
  int RangeBottom() const { return range_.bottom; }
  void SetRangeLeft(int v);
  void SetRangeTop(int v);
  void SetRangeRight(int v);
  void SetRangeBottom(int v);

  // What a left drag does: select a rectangle, move the view, or nothing.
  bool RectSelect() const { return rect_select_; }
  void SetRectSelect(bool on);
  bool DragMove() const { return drag_move_; }
  void SetDragMove(bool on);

  int PointerShape() const { return pointer_shape_; }
  void SetPointerShape(int shape);
  QString PointerFile() const { return pointer_file_; }
  // SetPointerFile() names a cursor file (.cur, .ico, .png ...) for shape
  // 15.  A file that cannot be read gives ErrorCode 6 and the arrow.
  void SetPointerFile(const QString& path);

  // --- Clipboard -------------------------------------------------------------

  // PasteClipboard() takes the clipboard's image as the held picture; false
  // with ErrorCode 10 when the clipboard holds no image.
  bool PasteClipboard();
  // PrepareClipboard() renders the held picture for the clipboard;
  // CopyToClipboard() puts it there (ErrorCode 11 without a prepare).
  bool PrepareClipboard();
  bool CopyToClipboard();

  // --- Sub-objects -----------------------------------------------------------

  control::FileIO& FileIO() { return *file_io_; }
  control::Processor& Processor() { return *processor_; }
  control::PanWindow& PanWindow() { return *pan_window_; }
  control::DrawToolbar& DrawToolbar() { return *draw_toolbar_; }
  control::Scanner& Scanner() { return *scanner_; }
  control::PrintJob& PrintJob() { return *print_job_; }

  // --- For the sub-objects ---------------------------------------------------

  // SetError() records a call's outcome; returns r.ok().
  bool SetError(const Result& r);
  bool SetErrorCode(Status code);
  void BeginBusy(int kind);
  void EndBusy(int kind);
  // Marks drawn on the view (not on the picture), in picture coordinates;
  // Redraw() removes them.
  void AddViewMark(const QPolygonF& polyline, bool closed, QColor colour, int width);
  // The scaled copy of the picture the pan window paints.
  QImage OverviewImage(QSize bound) const;

 signals:
  void ToolSelected(int tool);
  void ToolbarClosed(bool visible);
  // button 1 left, 2 right; x, y the picture point.
  void ImageClick(int button, int x, int y);
  void FileDropped(const QString& path);
  void BusyBegin(int kind);
  void BusyEnd(int kind);
  void PanWindowChanged(bool visible);
  // The scanner delivered a picture; the handle stays the scanner's and is
  // freed after the signal returns (take a DuplicateImage()).
  void ImageAcquired(imaging::MemHandle handle);
  // The view moved or changed scale (the pan window follows).
  void ViewChanged();
  // A mouse selection was completed.
  void RangeSelected(int left, int top, int right, int bottom);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  struct Range {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  struct ViewMark {
    QPolygonF points;
    bool closed = false;
    QColor colour;
    int width = 1;
  };
  enum class Gesture { kNone, kSelect, kMove, kTool };

  // morvik.cpp
  void TakePicture(Image image, MemHandle handle);
  void ClearPicture();
  // view.cpp
  void Relayout();
  QSize DisplaySizeFor(QSize available) const;
  void PaintPicture(QPainter& painter, const QRect& exposed);
  void PaintOverlays(QPainter& painter);
  // selection.cpp
  void UpdateCursor();
  QRect SelectionViewRect() const;
  void FinishSelection(QPoint view_end);
  void RecordClickColour(QPoint picture_point);
  static bool AcceptsDrop(const QMimeData* mime);

  Image image_;
  MemHandle handle_ = 0;
  std::unique_ptr<ViewCache> cache_;

  int16_t error_code_ = 0;
  int info_width_ = 0, info_height_ = 0, info_bpp_ = 0;
  bool info_gray_ = false;
  int64_t info_data_size_ = 0;
  int resolution_x_ = 0, resolution_y_ = 0;
  int point_red_ = 0, point_green_ = 0, point_blue_ = 0;
  QPoint point_position_;

  int view_mode_ = 0;  // 0 until the first DrawImage()
  double zoom_x_ = 1.0, zoom_y_ = 1.0;
  bool view_reset_ = false;
  QSize displayed_;
  std::vector<ViewMark> marks_;

  Range range_;
  bool rect_select_ = true;
  bool drag_move_ = false;
  int pointer_shape_ = kPointerNormal;
  QString pointer_file_;
  QCursor* custom_cursor_ = nullptr;
  int busy_depth_ = 0;
  Gesture gesture_ = Gesture::kNone;
  QPoint press_view_;
  QPoint current_view_;
  QPoint press_scroll_;

  QImage clipboard_image_;
  bool clipboard_prepared_ = false;

  std::unique_ptr<control::FileIO> file_io_;
  std::unique_ptr<control::Processor> processor_;
  std::unique_ptr<control::PanWindow> pan_window_;
  std::unique_ptr<control::DrawToolbar> draw_toolbar_;
  std::unique_ptr<control::Scanner> scanner_;
  std::unique_ptr<control::PrintJob> print_job_;

  friend class DrawToolbar;
};

}  // namespace imaging::control
