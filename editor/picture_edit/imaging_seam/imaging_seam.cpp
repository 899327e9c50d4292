// Forwarding of every imaging-control call the editing control makes.
#include "editor/picture_edit/imaging_seam/imaging_seam.h"

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/file_io.h"
#include "imaging/control/morvik.h"
#include "imaging/control/pan_window.h"
#include "imaging/control/processor.h"

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

MvInstance::~MvInstance() = default;

void MvInstance::Log(const QString& call) const {
  if (*logging_) log_->append(call);
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

bool MvInstance::DrawImage(int mode) {
  Log(QString("DrawImage(%1)").arg(mode));
  return view_->DrawImage(mode);
}
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

void MvInstance::SetRegionInside(int v) { view_->Processor().SetRegionInside(v); }
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
bool MvInstance::ResizeImage(int width, int height) {
  Log("ResizeImage");
  return view_->Processor().ResizeImage(width, height);
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

ImagingSeam::ImagingSeam(QWidget* parent)
    : main_(std::make_unique<MvInstance>(parent, &logging_, &log_)),
      scratch_(std::make_unique<MvInstance>(parent, &logging_, &log_)) {
  scratch_->widget()->hide();
}

ImagingSeam::~ImagingSeam() = default;

}  // namespace ruvel
