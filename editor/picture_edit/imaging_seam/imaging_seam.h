// File: editor/picture_edit/imaging_seam/imaging_seam.h
//
// The editing control's only road to the imaging control.  An ImagingSeam
// owns the two imaging-control instances of one editing control: `mvImg`,
// the visible one that holds and shows the picture, and `mvImg2`, an
// invisible scratch instance.  Each `MvInstance` forwards plain calls and
// re-emits the control's events as its own signals, so nothing above this
// folder includes the imaging control's headers.
//
//   ImagingSeam seam(parent);
//   seam.mvImg().SetFileName("/p/a.jpg");
//   if (seam.mvImg().LoadFile(0) && seam.mvImg().FinishLoad()) seam.mvImg().DrawImage(1);
//
// Tests can switch on the call log (SetLogging) and read the calls made, in
// order, as short texts such as "DrawImage(3)" or "SaveFile(0)".
//
// A dialog that previews on an imaging control of its own creates one with
// `MvInstance preview(this);` (no call log) and uses the same calls.
// Every call of the control's Processor, FileIO, Scanner, PrintJob and
// DrawToolbar is forwarded here, so windows above this folder need no
// other road to the engine.
#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/global_memory.h"

class QWidget;

namespace imaging::control {
class Morvik;
}

namespace ruvel {

// Four region corners (top-left, top-right, bottom-right, bottom-left).
struct SeamCorners {
  std::array<int32_t, 4> x{};
  std::array<int32_t, 4> y{};
};

class MvInstance : public QObject {
  Q_OBJECT

 public:
  MvInstance(QWidget* parent, const bool* logging, QStringList* log);
  // A stand-alone instance (a dialog's preview), without a call log; its
  // control is a child of `parent` and is deleted with the instance.
  explicit MvInstance(QWidget* parent);
  ~MvInstance() override;
  MvInstance(const MvInstance&) = delete;
  MvInstance& operator=(const MvInstance&) = delete;

  // The control as a widget (for placing and sizing it) and as the object
  // handed to parameter dialogs.
  QWidget* widget() const;
  imaging::control::Morvik* Object() const { return view_; }

  // Picture.
  imaging::MemHandle ImageHandle() const;
  bool SetImageHandle(imaging::MemHandle handle);
  imaging::MemHandle DuplicateImage(imaging::MemHandle handle);
  bool ReleaseImage(imaging::MemHandle handle);
  QImage Picture() const;
  bool SetPicture(const QImage& image);
  int16_t ErrorCode() const;
  // ColorTool(): flattens the picture onto the colour and converts it to
  // `depth` bits (16, 24, 32).
  bool ColorTool(int depth, int mode, int red, int green, int blue);
  // Colour and position of the last clicked picture point.
  int PointRed() const;
  int PointGreen() const;
  int PointBlue() const;
  QPoint PointPosition() const;

  // Showing.
  bool DrawImage(int mode);
  int CurrentViewMode() const;
  void Redraw();
  double ZoomX() const;
  double ZoomY() const;
  void SetZoomX(double zoom);
  void SetZoomY(double zoom);
  void SetViewReset(bool reset);
  // Viewport point of a picture point (for mouse work in tests and demos).
  QPoint PictureToViewport(QPoint picture_point) const;
  QWidget* viewport() const;

  // Picture information.
  bool ReadImageInfo();
  int ImageWidth() const;
  int ImageHeight() const;
  int BitCount() const;
  bool IsGray() const;
  int64_t ImageDataSize() const;
  int ResolutionX() const;
  int ResolutionY() const;
  void SetResolutionX(int dpi);
  void SetResolutionY(int dpi);
  bool ApplyResolution();

  // Selection and mouse.
  int RangeLeft() const;
  int RangeTop() const;
  int RangeRight() const;
  int RangeBottom() const;
  void SetRangeLeft(int v);
  void SetRangeTop(int v);
  void SetRangeRight(int v);
  void SetRangeBottom(int v);
  bool RectSelect() const;
  void SetRectSelect(bool on);
  bool DragMove() const;
  void SetDragMove(bool on);
  int PointerShape() const;
  // SetPointerShape() leaves ErrorCode() as the last other call set it.
  void SetPointerShape(int shape);
  QString PointerFile() const;
  void SetPointerFile(const QString& path);

  // Clipboard.
  bool PasteClipboard();
  bool PrepareClipboard();
  bool CopyToClipboard();

  // FileIO.
  QString FileName() const;
  void SetFileName(const QString& path);
  QString Comment() const;
  void SetComment(const QString& text);
  int JpegQuality() const;
  void SetJpegQuality(int quality);
  bool LoadFile(int type);
  bool FinishLoad();
  bool SaveFile(int type, imaging::MemHandle handle);
  bool ShowSaveDialog(const QString& start_folder, const QString& types, QString* chosen);
  bool Interlace() const;
  void SetInterlace(bool on);
  bool UseTransparent() const;
  void SetUseTransparent(bool on);
  void SetTransparentColour(int red, int green, int blue);
  bool Jp2Lossless() const;
  void SetJp2Lossless(bool on);
  double Jp2Rate() const;
  void SetJp2Rate(double rate);

  // Processor (imaging/control/processor.h gives each call's values).
  int RegionInside() const;
  void SetRegionInside(int v);
  int RegionMode() const;
  void SetRegionMode(int v);
  void ClipRect(int left, int right, int top, int bottom);
  bool Trim();
  bool ConvertDepth(int code, bool fixed_palette, bool diffusion, int level);
  bool ResizeImage(int width, int height, bool smooth = true);
  bool RotateImage(int angle, bool flip_horizontal, bool flip_vertical, bool smooth, int red, int green, int blue,
                   bool cut);
  bool PasteImage(imaging::MemHandle handle, int x, int y);
  bool FillOutside(const SeamCorners& region, int red, int green, int blue);
  bool AddFrame(int thin, int broad, int red, int green, int blue);
  bool InvertChannels(const SeamCorners& region, bool red, bool green, bool blue);
  bool AdjustBrightness(const SeamCorners& region, int red, int green, int blue);
  bool AdjustSaturation(const SeamCorners& region, int level);
  bool ToneCurve(const SeamCorners& region, const std::vector<int>& x, const std::vector<int>& y, int count, bool c1,
                 bool c2, bool c3);
  bool ToneCurveYCrCb(const SeamCorners& region, const std::vector<int>& x, const std::vector<int>& y, int count,
                      bool c1, bool c2, bool c3);
  bool RemoveNoise(const SeamCorners& region, int per_channel, int level);
  bool Blur(const SeamCorners& region, int level);
  bool Sharpen(const SeamCorners& region, int level);
  bool SmoothEdges(const SeamCorners& region);
  bool Emboss(const SeamCorners& region, int mask, int edge, int background);
  bool Mosaic(const SeamCorners& region, int width, int height);
  bool EdgeExtract(const SeamCorners& region, int plane, int pattern, int brightness);
  bool MotionBlur(const SeamCorners& region, int kind, int length, int angle);
  bool Wave(const SeamCorners& region, int direction, double wavelength, double amplitude, double phase);
  bool Ripple(const SeamCorners& region, double amplitude, double wavelength, double phase, bool reflect);
  bool Whirl(const SeamCorners& region, double angle, double radius, double twist);
  bool Lens(const SeamCorners& region, double magnification, bool paint_outside);
  bool Canvas(const SeamCorners& region, int direction, int depth);

  // Scanner.
  bool ScannerOpen(QWidget* host, int version, int flags, const QString& product);
  bool ScannerIsOpen() const;
  QStringList ScannerSources();
  bool ScannerSelectSource();
  QString ScannerSource() const;
  void ScannerSetSource(const QString& name);
  void ScannerSetShowUI(bool on);
  void ScannerSetResolution(int dpi);
  bool ScannerAcquire(int* busy_after);
  // Replaces the source list dialog (tests): index chosen, -1 to cancel.
  void ScannerSetChooser(std::function<int(const QStringList&)> chooser);

  // PrintJob (sizes in 0.1 mm).
  bool PrintLoadSettings(const QString& folder);
  bool PrintSaveSettings(const QString& folder);
  bool PrintSetupDialog();
  bool PrintCanPrepare();
  bool PrintDialog(int options);
  void PrintSetOutputFile(const QString& path);
  bool PrintStartDoc(const QString& document_name);
  bool PrintStartPage();
  bool PrintableArea(int* width, int* height);
  bool PrintImage(imaging::MemHandle handle, int x, int y, int width, int height);
  bool PrintEndPage();
  bool PrintEndDoc();
  int PrintPageCount() const;

  // PanWindow.
  void PanSetOption(int option, bool on);
  void PanShowAt(QPoint screen_pos);
  void PanHide();
  bool PanShown() const;
  static constexpr int kPanAutoHide = 1;
  static constexpr int kPanLiveScroll = 2;

  // DrawToolbar.
  void ToolbarSetPosition(int left, int top);
  void ToolbarSetStyle(bool tool_tips, int text_points, bool stay_on_top, const QString& caption, int stamp_percent,
                       int line_style, uint32_t fill_rgb);
  void ToolbarShow();
  void ToolbarHide();
  bool ToolbarShown() const;
  bool ToolbarDrawn() const;
  int ToolbarPointCount() const;
  int ToolbarPointX(int i) const;
  int ToolbarPointY(int i) const;
  void ToolbarClose();
  void ToolbarSelectTool(int tool);
  int ToolbarCurrentTool() const;
  // Stamp: colours 0..2 are the red, green and blue of the stamp picture's
  // transparent colour; the stamp file is any picture file.
  void ToolbarSetStampColor(int index, int value);
  bool ToolbarSetStampFile(const QString& path);

 signals:
  void ToolSelected(int tool);
  void ToolbarClosed(bool visible);
  void ImageClick(int button);
  void FileDropped(const QString& path);
  void BusyBegin(int kind);
  void BusyEnd(int kind);
  void PanWindowChanged(bool visible);
  void ImageAcquired(imaging::MemHandle handle);

 private:
  void Log(const QString& call) const;

  imaging::control::Morvik* view_;  // owned through its parent widget
  bool owns_view_ = false;          // stand-alone: deleted with the instance
  const bool* logging_;
  QStringList* log_;
};

class ImagingSeam {
 public:
  // Both instances become children of `parent`; mvImg2 stays hidden.
  explicit ImagingSeam(QWidget* parent);
  ~ImagingSeam();
  ImagingSeam(const ImagingSeam&) = delete;
  ImagingSeam& operator=(const ImagingSeam&) = delete;

  MvInstance& mvImg() { return *main_; }
  MvInstance& mvImg2() { return *scratch_; }
  const MvInstance& mvImg() const { return *main_; }

  // Call log, off by default.
  void SetLogging(bool on) { logging_ = on; }
  QStringList calls() const { return log_; }
  void ClearCalls() { log_.clear(); }

 private:
  bool logging_ = false;
  QStringList log_;
  std::unique_ptr<MvInstance> main_;
  std::unique_ptr<MvInstance> scratch_;
};

}  // namespace ruvel
