// Forwarding of every imaging-control call the editing control makes.
#include "editor/picture_edit/imaging_seam/imaging_seam.h"

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/file_io.h"
#include "imaging/control/morvik.h"
#include "imaging/control/pan_window.h"
#include "imaging/control/print_job.h"
#include "imaging/control/processor.h"
#include "imaging/control/scanner.h"

namespace ruvel {

namespace {

imaging::control::Corners ToCorners(const SeamCorners& c) {
  imaging::control::Corners out;
  out.x = {c.x[0], c.x[1], c.x[2], c.x[3]};
  out.y = {c.y[0], c.y[1], c.y[2], c.y[3]};
  out.count = 4;
  return out;
}

}  // namespace

MvInstance::MvInstance(QWidget* parent, const bool* logging, QStringList* log)
    : view_(new imaging::control::Morvik(parent)), logging_(logging), log_(log) {
  using imaging::control::Morvik;
  connect(view_, &Morvik::ToolSelected, this, &MvInstance::ToolSelected);
  connect(view_, &Morvik::ToolbarClosed, this, &MvInstance::ToolbarClosed);
  connect(view_, &Morvik::ImageClick, this, [this](int button, int, int) { emit ImageClick(button); });
  connect(view_, &Morvik::FileDropped, this, &MvInstance::FileDropped);
  connect(view_, &Morvik::BusyBegin, this, &MvInstance::BusyBegin);
  connect(view_, &Morvik::BusyEnd, this, &MvInstance::BusyEnd);
  connect(view_, &Morvik::PanWindowChanged, this, &MvInstance::PanWindowChanged);
  connect(view_, &Morvik::ImageAcquired, this, &MvInstance::ImageAcquired);
}

MvInstance::MvInstance(QWidget* parent) : MvInstance(parent, nullptr, nullptr) { owns_view_ = true; }

MvInstance::~MvInstance() {
  if (owns_view_) delete view_;
}

void MvInstance::Log(const QString& call) const {
  if (logging_ && log_ && *logging_) log_->append(call);
}

QWidget* MvInstance::widget() const { return view_; }

imaging::MemHandle MvInstance::ImageHandle() const { return view_->ImageHandle(); }
bool MvInstance::SetImageHandle(imaging::MemHandle handle) {
  Log("SetImageHandle");
  return view_->SetImageHandle(handle);
}
imaging::MemHandle MvInstance::DuplicateImage(imaging::MemHandle handle) {
  Log("DuplicateImage");
  return view_->DuplicateImage(handle);
}
bool MvInstance::ReleaseImage(imaging::MemHandle handle) {
  Log("ReleaseImage");
  return view_->ReleaseImage(handle);
}
QImage MvInstance::Picture() const { return view_->Picture(); }
bool MvInstance::SetPicture(const QImage& image) {
  Log("SetPicture");
  return view_->SetPicture(image);
}
int16_t MvInstance::ErrorCode() const { return view_->ErrorCode(); }
bool MvInstance::ColorTool(int depth, int mode, int red, int green, int blue) {
  Log(QString("ColorTool(%1)").arg(depth));
  return view_->ColorTool(depth, mode, red, green, blue);
}
int MvInstance::PointRed() const { return view_->PointRed(); }
int MvInstance::PointGreen() const { return view_->PointGreen(); }
int MvInstance::PointBlue() const { return view_->PointBlue(); }
QPoint MvInstance::PointPosition() const { return view_->PointPosition(); }

bool MvInstance::DrawImage(int mode) {
  Log(QString("DrawImage(%1)").arg(mode));
  return view_->DrawImage(mode);
}
int MvInstance::CurrentViewMode() const { return view_->CurrentViewMode(); }
void MvInstance::Redraw() {
  Log("Redraw");
  view_->Redraw();
}
double MvInstance::ZoomX() const { return view_->ZoomX(); }
double MvInstance::ZoomY() const { return view_->ZoomY(); }
void MvInstance::SetZoomX(double zoom) { view_->SetZoomX(zoom); }
void MvInstance::SetZoomY(double zoom) { view_->SetZoomY(zoom); }
void MvInstance::SetViewReset(bool reset) { view_->SetViewReset(reset); }
QPoint MvInstance::PictureToViewport(QPoint picture_point) const {
  return view_->PictureToView(QPointF(picture_point)).toPoint();
}
QWidget* MvInstance::viewport() const { return view_->viewport(); }

bool MvInstance::ReadImageInfo() { return view_->ReadImageInfo(); }
int MvInstance::ImageWidth() const { return view_->ImageWidth(); }
int MvInstance::ImageHeight() const { return view_->ImageHeight(); }
int MvInstance::BitCount() const { return view_->BitCount(); }
bool MvInstance::IsGray() const { return view_->IsGray(); }
int64_t MvInstance::ImageDataSize() const { return view_->ImageDataSize(); }
int MvInstance::ResolutionX() const { return view_->ResolutionX(); }
int MvInstance::ResolutionY() const { return view_->ResolutionY(); }
void MvInstance::SetResolutionX(int dpi) { view_->SetResolutionX(dpi); }
void MvInstance::SetResolutionY(int dpi) { view_->SetResolutionY(dpi); }
bool MvInstance::ApplyResolution() {
  Log("ApplyResolution");
  return view_->ApplyResolution();
}

int MvInstance::RangeLeft() const { return view_->RangeLeft(); }
int MvInstance::RangeTop() const { return view_->RangeTop(); }
int MvInstance::RangeRight() const { return view_->RangeRight(); }
int MvInstance::RangeBottom() const { return view_->RangeBottom(); }
void MvInstance::SetRangeLeft(int v) { view_->SetRangeLeft(v); }
void MvInstance::SetRangeTop(int v) { view_->SetRangeTop(v); }
void MvInstance::SetRangeRight(int v) { view_->SetRangeRight(v); }
void MvInstance::SetRangeBottom(int v) { view_->SetRangeBottom(v); }
bool MvInstance::RectSelect() const { return view_->RectSelect(); }
void MvInstance::SetRectSelect(bool on) { view_->SetRectSelect(on); }
bool MvInstance::DragMove() const { return view_->DragMove(); }
void MvInstance::SetDragMove(bool on) { view_->SetDragMove(on); }
int MvInstance::PointerShape() const { return view_->PointerShape(); }
void MvInstance::SetPointerShape(int shape) {
  Log(QString("SetPointerShape(%1)").arg(shape));
  // The busy pointer changes inside the control's busy events, after a
  // failing call has set its code; the shape must not overwrite that code.
  const int16_t code = view_->ErrorCode();
  view_->SetPointerShape(shape);
  if (view_->ErrorCode() == 0) view_->SetErrorCode(static_cast<imaging::Status>(code));
}
QString MvInstance::PointerFile() const { return view_->PointerFile(); }
void MvInstance::SetPointerFile(const QString& path) { view_->SetPointerFile(path); }

bool MvInstance::PasteClipboard() {
  Log("PasteClipboard");
  return view_->PasteClipboard();
}
bool MvInstance::PrepareClipboard() { return view_->PrepareClipboard(); }
bool MvInstance::CopyToClipboard() {
  Log("CopyToClipboard");
  return view_->CopyToClipboard();
}

QString MvInstance::FileName() const { return view_->FileIO().FileName(); }
void MvInstance::SetFileName(const QString& path) { view_->FileIO().SetFileName(path); }
QString MvInstance::Comment() const { return view_->FileIO().Comment(); }
void MvInstance::SetComment(const QString& text) { view_->FileIO().SetComment(text); }
int MvInstance::JpegQuality() const { return view_->FileIO().JpegQuality(); }
void MvInstance::SetJpegQuality(int quality) { view_->FileIO().SetJpegQuality(quality); }
bool MvInstance::LoadFile(int type) {
  Log(QString("LoadFile(%1)").arg(type));
  return view_->FileIO().LoadFile(type);
}
bool MvInstance::FinishLoad() {
  Log("FinishLoad");
  return view_->FileIO().FinishLoad();
}
bool MvInstance::SaveFile(int type, imaging::MemHandle handle) {
  Log(QString("SaveFile(%1)").arg(type));
  return view_->FileIO().SaveFile(type, handle);
}
bool MvInstance::ShowSaveDialog(const QString& start_folder, const QString& types, QString* chosen) {
  Log("ShowSaveDialog");
  return view_->FileIO().ShowSaveDialog(start_folder, types, chosen);
}

bool MvInstance::Interlace() const { return view_->FileIO().Interlace(); }
void MvInstance::SetInterlace(bool on) { view_->FileIO().SetInterlace(on); }
bool MvInstance::UseTransparent() const { return view_->FileIO().UseTransparent(); }
void MvInstance::SetUseTransparent(bool on) { view_->FileIO().SetUseTransparent(on); }
void MvInstance::SetTransparentColour(int red, int green, int blue) {
  view_->FileIO().SetTransparentRed(red);
  view_->FileIO().SetTransparentGreen(green);
  view_->FileIO().SetTransparentBlue(blue);
}
bool MvInstance::Jp2Lossless() const { return view_->FileIO().Jp2Lossless(); }
void MvInstance::SetJp2Lossless(bool on) { view_->FileIO().SetJp2Lossless(on); }
double MvInstance::Jp2Rate() const { return view_->FileIO().Jp2Rate(); }
void MvInstance::SetJp2Rate(double rate) { view_->FileIO().SetJp2Rate(rate); }

int MvInstance::RegionInside() const { return view_->Processor().RegionInside(); }
void MvInstance::SetRegionInside(int v) { view_->Processor().SetRegionInside(v); }
int MvInstance::RegionMode() const { return view_->Processor().RegionMode(); }
void MvInstance::SetRegionMode(int v) { view_->Processor().SetRegionMode(v); }
void MvInstance::ClipRect(int left, int right, int top, int bottom) {
  view_->Processor().ClipRect(left, right, top, bottom);
}
bool MvInstance::Trim() {
  Log("Trim");
  return view_->Processor().Trim();
}
bool MvInstance::ConvertDepth(int code, bool fixed_palette, bool diffusion, int level) {
  Log(QString("ConvertDepth(%1)").arg(code));
  return view_->Processor().ConvertDepth(code, fixed_palette, diffusion, level);
}
bool MvInstance::ResizeImage(int width, int height, bool smooth) {
  Log("ResizeImage");
  return view_->Processor().ResizeImage(width, height, smooth);
}
bool MvInstance::RotateImage(int angle, bool flip_horizontal, bool flip_vertical, bool smooth, int red, int green,
                             int blue, bool cut) {
  Log(QString("RotateImage(%1)").arg(angle));
  return view_->Processor().RotateImage(angle, flip_horizontal, flip_vertical, smooth, red, green, blue, cut);
}
bool MvInstance::PasteImage(imaging::MemHandle handle, int x, int y) {
  Log("PasteImage");
  return view_->Processor().PasteImage(handle, x, y);
}
bool MvInstance::FillOutside(const SeamCorners& region, int red, int green, int blue) {
  Log("FillOutside");
  return view_->Processor().FillOutside(ToCorners(region), red, green, blue);
}
bool MvInstance::InvertChannels(const SeamCorners& region, bool red, bool green, bool blue) {
  Log("InvertChannels");
  return view_->Processor().InvertChannels(ToCorners(region), red, green, blue);
}
bool MvInstance::AdjustBrightness(const SeamCorners& region, int red, int green, int blue) {
  Log("AdjustBrightness");
  return view_->Processor().AdjustBrightness(ToCorners(region), red, green, blue);
}
bool MvInstance::AdjustSaturation(const SeamCorners& region, int level) {
  Log("AdjustSaturation");
  return view_->Processor().AdjustSaturation(ToCorners(region), level);
}

bool MvInstance::AddFrame(int thin, int broad, int red, int green, int blue) {
  Log("AddFrame");
  return view_->Processor().AddFrame(thin, broad, red, green, blue);
}
bool MvInstance::ToneCurve(const SeamCorners& region, const std::vector<int>& x, const std::vector<int>& y, int count,
                           bool c1, bool c2, bool c3) {
  Log("ToneCurve");
  return view_->Processor().ToneCurve(ToCorners(region), x, y, count, c1, c2, c3);
}
bool MvInstance::ToneCurveYCrCb(const SeamCorners& region, const std::vector<int>& x, const std::vector<int>& y,
                                int count, bool c1, bool c2, bool c3) {
  Log("ToneCurveYCrCb");
  return view_->Processor().ToneCurveYCrCb(ToCorners(region), x, y, count, c1, c2, c3);
}
bool MvInstance::RemoveNoise(const SeamCorners& region, int per_channel, int level) {
  Log("RemoveNoise");
  return view_->Processor().RemoveNoise(ToCorners(region), per_channel, level);
}
bool MvInstance::Blur(const SeamCorners& region, int level) {
  Log("Blur");
  return view_->Processor().Blur(ToCorners(region), level);
}
bool MvInstance::Sharpen(const SeamCorners& region, int level) {
  Log("Sharpen");
  return view_->Processor().Sharpen(ToCorners(region), level);
}
bool MvInstance::SmoothEdges(const SeamCorners& region) {
  Log("SmoothEdges");
  return view_->Processor().SmoothEdges(ToCorners(region));
}
bool MvInstance::Emboss(const SeamCorners& region, int mask, int edge, int background) {
  Log("Emboss");
  return view_->Processor().Emboss(ToCorners(region), mask, edge, background);
}
bool MvInstance::Mosaic(const SeamCorners& region, int width, int height) {
  Log("Mosaic");
  return view_->Processor().Mosaic(ToCorners(region), width, height);
}
bool MvInstance::EdgeExtract(const SeamCorners& region, int plane, int pattern, int brightness) {
  Log("EdgeExtract");
  return view_->Processor().EdgeExtract(ToCorners(region), plane, pattern, brightness);
}
bool MvInstance::MotionBlur(const SeamCorners& region, int kind, int length, int angle) {
  Log("MotionBlur");
  return view_->Processor().MotionBlur(ToCorners(region), kind, length, angle);
}
bool MvInstance::Wave(const SeamCorners& region, int direction, double wavelength, double amplitude, double phase) {
  Log("Wave");
  return view_->Processor().Wave(ToCorners(region), direction, wavelength, amplitude, phase);
}
bool MvInstance::Ripple(const SeamCorners& region, double amplitude, double wavelength, double phase, bool reflect) {
  Log("Ripple");
  return view_->Processor().Ripple(ToCorners(region), amplitude, wavelength, phase, reflect);
}
bool MvInstance::Whirl(const SeamCorners& region, double angle, double radius, double twist) {
  Log("Whirl");
  return view_->Processor().Whirl(ToCorners(region), angle, radius, twist);
}
bool MvInstance::Lens(const SeamCorners& region, double magnification, bool paint_outside) {
  Log("Lens");
  return view_->Processor().Lens(ToCorners(region), magnification, paint_outside);
}
bool MvInstance::Canvas(const SeamCorners& region, int direction, int depth) {
  Log("Canvas");
  return view_->Processor().Canvas(ToCorners(region), direction, depth);
}

bool MvInstance::ScannerOpen(QWidget* host, int version, int flags, const QString& product) {
  Log("ScannerOpen");
  return view_->Scanner().Open(host, version, flags, product, QString(), QString(), QString());
}
bool MvInstance::ScannerIsOpen() const { return view_->Scanner().IsOpen(); }
QStringList MvInstance::ScannerSources() { return view_->Scanner().Sources(); }
bool MvInstance::ScannerSelectSource() {
  Log("ScannerSelectSource");
  return view_->Scanner().SelectSource();
}
QString MvInstance::ScannerSource() const { return view_->Scanner().Source(); }
void MvInstance::ScannerSetSource(const QString& name) { view_->Scanner().SetSource(name); }
void MvInstance::ScannerSetShowUI(bool on) { view_->Scanner().SetShowUI(on); }
void MvInstance::ScannerSetResolution(int dpi) { view_->Scanner().SetResolution(dpi); }
bool MvInstance::ScannerAcquire(int* busy_after) {
  Log("ScannerAcquire");
  return view_->Scanner().Acquire(busy_after);
}
void MvInstance::ScannerSetChooser(std::function<int(const QStringList&)> chooser) {
  view_->Scanner().SetChooser(std::move(chooser));
}

bool MvInstance::PrintLoadSettings(const QString& folder) { return view_->PrintJob().LoadSettings(folder); }
bool MvInstance::PrintSaveSettings(const QString& folder) { return view_->PrintJob().SaveSettings(folder); }
bool MvInstance::PrintSetupDialog() {
  Log("PrintSetupDialog");
  return view_->PrintJob().SetupDialog();
}
bool MvInstance::PrintCanPrepare() { return view_->PrintJob().CanPrepare(); }
bool MvInstance::PrintDialog(int options) {
  Log("PrintDialog");
  return view_->PrintJob().PrintDialog(options);
}
void MvInstance::PrintSetOutputFile(const QString& path) { view_->PrintJob().SetOutputFile(path); }
bool MvInstance::PrintStartDoc(const QString& document_name) { return view_->PrintJob().StartDoc(document_name); }
bool MvInstance::PrintStartPage() { return view_->PrintJob().StartPage(); }
bool MvInstance::PrintableArea(int* width, int* height) { return view_->PrintJob().PrintableArea(width, height); }
bool MvInstance::PrintImage(imaging::MemHandle handle, int x, int y, int width, int height) {
  Log(QString("PrintImage(%1,%2)").arg(width).arg(height));
  return view_->PrintJob().PrintImage(handle, x, y, width, height);
}
bool MvInstance::PrintEndPage() { return view_->PrintJob().EndPage(); }
bool MvInstance::PrintEndDoc() { return view_->PrintJob().EndDoc(); }
int MvInstance::PrintPageCount() const { return view_->PrintJob().PageCount(); }

void MvInstance::PanSetOption(int option, bool on) { view_->PanWindow().SetOption(option, on); }
void MvInstance::PanShowAt(QPoint screen_pos) {
  Log("PanShowAt");
  view_->PanWindow().ShowAt(screen_pos);
}
void MvInstance::PanHide() {
  Log("PanHide");
  view_->PanWindow().HideWindow();
}
bool MvInstance::PanShown() const { return view_->PanWindow().IsShown(); }

void MvInstance::ToolbarSetPosition(int left, int top) { view_->DrawToolbar().SetPosition(left, top); }
void MvInstance::ToolbarSetStyle(bool tool_tips, int text_points, bool stay_on_top, const QString& caption,
                                 int stamp_percent, int line_style, uint32_t fill_rgb) {
  view_->DrawToolbar().SetStyle(tool_tips, text_points, stay_on_top, caption, stamp_percent, line_style, fill_rgb);
}
void MvInstance::ToolbarShow() {
  Log("ToolbarShow");
  view_->DrawToolbar().ShowToolbar();
}
void MvInstance::ToolbarHide() {
  Log("ToolbarHide");
  view_->DrawToolbar().HideToolbar();
}
bool MvInstance::ToolbarShown() const { return view_->DrawToolbar().IsShown(); }
bool MvInstance::ToolbarDrawn() const { return view_->DrawToolbar().Drawn(); }
int MvInstance::ToolbarPointCount() const { return view_->DrawToolbar().PointCount(); }
int MvInstance::ToolbarPointX(int i) const { return view_->DrawToolbar().PointX(i); }
int MvInstance::ToolbarPointY(int i) const { return view_->DrawToolbar().PointY(i); }
void MvInstance::ToolbarClose() {
  Log("ToolbarClose");
  view_->DrawToolbar().Close();
}
void MvInstance::ToolbarSelectTool(int tool) { view_->DrawToolbar().SelectTool(tool); }
int MvInstance::ToolbarCurrentTool() const { return view_->DrawToolbar().CurrentTool(); }
void MvInstance::ToolbarSetStampColor(int index, int value) { view_->DrawToolbar().SetStampColor(index, value); }
bool MvInstance::ToolbarSetStampFile(const QString& path) {
  Log("ToolbarSetStampFile");
  return view_->DrawToolbar().SetStampFile(path);
}

ImagingSeam::ImagingSeam(QWidget* parent)
    : main_(std::make_unique<MvInstance>(parent, &logging_, &log_)),
      scratch_(std::make_unique<MvInstance>(parent, &logging_, &log_)) {
  scratch_->widget()->hide();
}

ImagingSeam::~ImagingSeam() = default;

}  // namespace ruvel
