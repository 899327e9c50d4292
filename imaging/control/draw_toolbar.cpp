// The drawing tool window: tool buttons, colour, width and the settings
// the host gives it.  The drawing itself is in draw_tools.cpp.
#include "imaging/control/draw_toolbar.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>

#include "imaging/codecs/codec.h"
#include "imaging/control/internal/picture_convert.h"
#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

struct ToolButtonText {
  int tool;
  const char* label;
  const char* tip;
};

constexpr ToolButtonText kTools[] = {
    {DrawToolbar::kToolRange, "範囲", "範囲を指定"},
    {DrawToolbar::kToolFreehand, "ﾌﾘｰ", "自由線"},
    {DrawToolbar::kToolLine, "直線", "直線"},
    {DrawToolbar::kToolRect, "四角", "四角形"},
    {DrawToolbar::kToolEllipse, "楕円", "楕円"},
    {DrawToolbar::kToolFill, "塗潰", "塗りつぶし"},
    {DrawToolbar::kToolText, "文字", "文字"},
    {DrawToolbar::kToolStamp, "ｽﾀﾝﾌﾟ", "ｽﾀﾝﾌﾟ"},
};

}  // namespace

DrawToolbar::DrawToolbar(Morvik* owner) : QWidget(owner, Qt::Tool), owner_(owner) {
  setWindowTitle("ToolBar");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(3, 3, 3, 3);
  grid->setSpacing(2);
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  int row = 0;
  for (const ToolButtonText& t : kTools) {
    auto* b = new QToolButton(this);
    b->setText(QString::fromUtf8(t.label));
    b->setToolTip(QString::fromUtf8(t.tip));
    b->setCheckable(true);
    b->setMinimumSize(48, 26);
    group_->addButton(b, t.tool);
    grid->addWidget(b, row / 2, row % 2);
    ++row;
  }
  connect(group_, &QButtonGroup::idClicked, this, [this](int id) { SelectTool(id); });
  colour_button_ = new QToolButton(this);
  colour_button_->setToolTip("色");
  colour_button_->setMinimumSize(48, 26);
  connect(colour_button_, &QToolButton::clicked, this, [this] {
    const QColor c = QColorDialog::getColor(colour_, this, "色");
    if (c.isValid()) SetColour(c);
  });
  width_box_ = new QSpinBox(this);
  width_box_->setRange(1, 50);
  width_box_->setValue(pen_width_);
  width_box_->setToolTip("線の太さ");
  connect(width_box_, &QSpinBox::valueChanged, this, [this](int v) { pen_width_ = v; });
  grid->addWidget(colour_button_, row / 2 + 1, 0);
  grid->addWidget(width_box_, row / 2 + 1, 1);
  UpdateColourButton();
  adjustSize();
}

void DrawToolbar::ShowToolbar() {
  show();
  raise();
}

void DrawToolbar::HideToolbar() {
  closing_quietly_ = true;
  hide();
  closing_quietly_ = false;
  stroke_.clear();
  pressing_ = false;
  owner_->viewport()->update();
}

void DrawToolbar::Close() {
  if (!isVisible()) return;
  HideToolbar();
  emit owner_->ToolbarClosed(false);
}

void DrawToolbar::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (!closing_quietly_) {
    stroke_.clear();
    emit owner_->ToolbarClosed(false);
  }
}

void DrawToolbar::SetPosition(int left, int top) { move(left, top); }

void DrawToolbar::SetStyle(bool tool_tips, int text_points, bool stay_on_top, const QString& caption,
                           int stamp_percent, int line_style, uint32_t fill_rgb) {
  for (QAbstractButton* b : group_->buttons()) b->setToolTipDuration(tool_tips ? -1 : 1);
  text_points_ = std::clamp(text_points, 4, 200);
  const bool was_visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, stay_on_top);
  if (was_visible) show();
  setWindowTitle(caption);
  stamp_percent_ = std::clamp(stamp_percent, 1, 1000);
  line_style_ = std::clamp(line_style, 0, 2);
  fill_ = QColor::fromRgb(static_cast<QRgb>(fill_rgb & 0xFFFFFF));
}

void DrawToolbar::SelectTool(int tool) {
  if (tool < kToolNone || tool > kToolCount) return;
  tool_ = tool;
  if (QAbstractButton* b = group_->button(tool)) b->setChecked(true);
  else if (QAbstractButton* c = group_->checkedButton()) {
    group_->setExclusive(false);
    c->setChecked(false);
    group_->setExclusive(true);
  }
  if (tool != kToolRange && PointCount() == 4 && !drawn_) points_.clear();
  emit owner_->ToolSelected(tool);
}

void DrawToolbar::SetColour(QColor colour) {
  if (!colour.isValid()) return;
  colour_ = colour;
  UpdateColourButton();
}

void DrawToolbar::SetPenWidth(int width) {
  pen_width_ = std::clamp(width, 1, 50);
  width_box_->setValue(pen_width_);
}

void DrawToolbar::UpdateColourButton() {
  QPixmap swatch(32, 16);
  swatch.fill(colour_);
  colour_button_->setIcon(QIcon(swatch));
}

void DrawToolbar::SetStampColor(int index, int value) {
  if (index >= 0 && index < 3) stamp_key_[index] = std::clamp(value, 0, 255);
}

bool DrawToolbar::SetStampFile(const QString& path) {
  Image img;
  if (Result r = codecs::Load(path.toStdString(), codecs::LoadOptions{}, &img); !r.ok()) {
    stamp_ = QImage();
    return owner_->SetError(r);
  }
  QImage q = ToQImage(img).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = qRgb(stamp_key_[0], stamp_key_[1], stamp_key_[2]);
  for (int y = 0; y < q.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(q.scanLine(y));
    for (int x = 0; x < q.width(); ++x)
      if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF)) row[x] = 0;
  }
  stamp_ = q;
  return owner_->SetErrorCode(Status::kOk);
}

int DrawToolbar::PointX(int i) const {
  return i >= 0 && i < PointCount() ? static_cast<int>(std::lround(points_[static_cast<size_t>(i)].x())) : 0;
}

int DrawToolbar::PointY(int i) const {
  return i >= 0 && i < PointCount() ? static_cast<int>(std::lround(points_[static_cast<size_t>(i)].y())) : 0;
}

void DrawToolbar::ResetDrawn() {
  drawn_ = false;
  points_.clear();
  owner_->viewport()->update();
}

}  // namespace imaging::control
