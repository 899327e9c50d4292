// uRvE: view modes, mouse modes, the selection, registered selection sizes
// and the pan window.
#include <QFileInfo>
#include <cmath>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "platform/busy.h"
#include "platform/prompt.h"

namespace ruvel {

namespace {

// The number at the start of `text` (leading blanks skipped), 0 when there
// is none: " 50%" gives 50, "9.1cm" 9.1, "abc" 0.
double LeadingNumber(const QString& text) {
  int i = 0;
  const int n = static_cast<int>(text.size());
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  const int start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  while (i < n && text[i].isDigit() && text[i].unicode() < 128) { ++i; digits = true; }
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) { ++i; digits = true; }
  }
  if (!digits) return 0;
  return text.mid(start, i - start).toDouble();
}

QString PlainNumber(double v) { return QString::number(v, 'g', 12); }

// One registered range entry split into its fields; valid when it has at
// least four fields, a name and non-zero width and height.
struct RangeEntry {
  QString name;
  double width = 0;
  double height = 0;
  QString unit;
  bool valid = false;
};

RangeEntry ParseRangeEntry(const QString& element) {
  RangeEntry e;
  const QStringList f = element.split(',');
  if (f.size() < 4) return e;
  e.name = f[0];
  e.width = LeadingNumber(f[1]);
  e.height = LeadingNumber(f[2]);
  e.unit = f[3];
  e.valid = !e.name.isEmpty() && e.width != 0 && e.height != 0;
  return e;
}

QString RangeCaption(const RangeEntry& e) {
  QString unit = e.unit.toLower();
  if (unit != "cm") unit = "px";
  return e.name + "(" + PlainNumber(e.width) + " * " + PlainNumber(e.height) + " " + unit + ")";
}

}  // namespace

// --- View ---------------------------------------------------------------------

void uRvE::SetView(const QString& word, double zoom) {
  MvInstance& mv = seam_->mvImg();
  const bool refresh = word == "Refresh";
  if (word == QStringLiteral("ｽｹｰﾙ")) {
    viewMode = 1;
  } else if (word == QStringLiteral("ｽﾄﾚｯﾁ")) {
    viewMode = 2;
  } else if (word == QStringLiteral("実寸B")) {
    viewMode = 3;
  } else if (word == QStringLiteral("横合わせ")) {
    viewMode = 4;
  } else if (word == QStringLiteral("縦合わせ")) {
    viewMode = 5;
  } else if (word == QStringLiteral("実寸")) {
    viewMode = 3;
    const double z = zoom == 0 ? 1.0 : zoom;
    mv.SetZoomX(z);
    mv.SetZoomY(z);
  } else if (refresh) {
    if (!HasPicture() || viewMode == 0) return;
  } else {
    platform::ShowMessage(QStringLiteral("Err pcView"), this);
    return;
  }
  lastOk = mv.DrawImage(viewMode);
  if (!lastOk) return;
  if (viewMode == 1 || viewMode == 2) mv.PanHide();
  if (!refresh) emit eChgViewMode(viewMode);
}

void uRvE::ZoomCommand(const QString& job) { SetView(QStringLiteral("実寸"), LeadingNumber(job) / 100.0); }

void uRvE::SetMouseMode(const QString& job) {
  MvInstance& mv = seam_->mvImg();
  bool rect = false, drag = false;
  int shape = 0;
  int mode = mouseMode;
  QString cursor;
  if (job == QStringLiteral("矩形選択")) {
    rect = true;
    shape = 17;
    mode = 0;
  } else if (job == QStringLiteral("位置移動")) {
    drag = true;
    shape = 15;
    cursor = "Hand.cur";
    mode = 1;
  } else if (job == QStringLiteral("拡大縮小")) {
    shape = 15;
    cursor = "Magnify.cur";
    mode = 2;
  }
  mv.SetRectSelect(rect);
  mv.SetDragMove(drag);
  if (mode == 2) SetView(QStringLiteral("実寸B"));
  if (shape == 15) {
    const QString path = Usr().AppDataFolder + cursor;
    if (QFileInfo(path).isFile()) mv.SetPointerFile(path);
  }
  SetRestingPointer(shape);
  mouseMode = static_cast<int16_t>(mode);
}

// --- Selection ------------------------------------------------------------------

void uRvE::ClearRange() {
  MvInstance& mv = seam_->mvImg();
  mv.SetRangeLeft(0);
  mv.SetRangeTop(0);
  mv.SetRangeRight(0);
  mv.SetRangeBottom(0);
  mv.Redraw();
}

bool uRvE::GetRange(int32_t* left, int32_t* right, int32_t* top, int32_t* bottom) {
  int32_t l = 0, r = 0, t = 0, b = 0;
  bool present = false;
  if (HasPicture()) {
    MvInstance& mv = seam_->mvImg();
    l = mv.RangeLeft();
    t = mv.RangeTop();
    r = mv.RangeRight();
    b = mv.RangeBottom();
    present = l > 0 || t > 0 || r > 0 || b > 0;
    if (!present && toolbarShown) {
      if (mv.ToolbarPointCount() == 4) {
        present = true;
        l = mv.ToolbarPointX(0);
        t = mv.ToolbarPointY(0);
        r = mv.ToolbarPointX(2);
        b = mv.ToolbarPointY(2);
      }
    } else if (present && toolbarShown) {
      mv.ToolbarClose();
    }
  }
  if (left) *left = l;
  if (right) *right = r;
  if (top) *top = t;
  if (bottom) *bottom = b;
  return present;
}

bool uRvE::HasRange() {
  MvInstance& mv = seam_->mvImg();
  const int l = mv.RangeLeft(), t = mv.RangeTop(), r = mv.RangeRight(), b = mv.RangeBottom();
  if (toolbarShown && l < 1 && t < 1 && r < 1 && b < 1) return mv.ToolbarPointCount() == 4;
  return l > 0 || t > 0 || r > 0 || b > 0;
}

bool uRvE::BuildRegion() {
  int32_t l = 0, r = 0, t = 0, b = 0;
  const bool present = GetRange(&l, &r, &t, &b);
  regionX = {l, r, r, l};
  regionY = {t, t, b, b};
  return present;
}

void uRvE::SetRect(float width, float height) {
  MvInstance& mv = seam_->mvImg();
  if (!HasPicture()) return;
  mv.ReadImageInfo();
  int32_t right = static_cast<int32_t>(std::lround(width + 10.0f));
  int32_t bottom = static_cast<int32_t>(std::lround(height + 10.0f));
  right = std::min(right, mv.ImageWidth());
  bottom = std::min(bottom, mv.ImageHeight());
  if (right <= 0 || bottom <= 0) return;
  ClearRange();
  mv.SetRangeLeft(10);
  mv.SetRangeTop(10);
  mv.SetRangeRight(right);
  mv.SetRangeBottom(bottom);
  const int32_t l = mv.RangeLeft(), t = mv.RangeTop(), r = mv.RangeRight(), b = mv.RangeBottom();
  regionX = {l, r, r, l};
  regionY = {t, t, b, b};
  mv.Redraw();
}

void uRvE::RangeCommand(const QString& job) {
  if (job == QStringLiteral("範囲のｸﾘｱ")) {
    ClearRange();
  } else if (job == QStringLiteral("範囲の登録")) {
    RegisterRange();
  } else if (job == QStringLiteral("X-Y変換")) {
    SwapRange();
  } else if (job == QStringLiteral("相対") || job == QStringLiteral("ﾏｰｶｰ")) {
    HighlightRange(job);
  } else {
    ApplyRangeSize(job);
  }
}

void uRvE::ApplyRangeSize(const QString& job) {
  double width = 0, height = 0;
  if (job.left(10) == "User.Range") {
    const int open = job.indexOf('(');
    const int star = job.indexOf('*', open + 1);
    const int px = job.indexOf("px", star + 1);
    if (open < 0 || star < 0) return;
    width = LeadingNumber(job.mid(open + 1, star - open - 1));
    height = LeadingNumber(px < 0 ? job.mid(star + 1) : job.mid(star + 1, px - star - 1));
  } else {
    const int open = job.indexOf('(');
    const QString name = open < 0 ? job : job.left(open);
    // The entry whose name field is the name (a name that is only part of
    // another entry's name does not match it).
    RangeEntry found;
    for (const QString& element : registeredRanges.split(':', Qt::SkipEmptyParts)) {
      const RangeEntry e = ParseRangeEntry(element);
      if (e.valid && e.name.compare(name, Qt::CaseInsensitive) == 0) {
        found = e;
        break;
      }
    }
    if (!found.valid) return;
    width = found.width;
    height = found.height;
    MvInstance& mv = seam_->mvImg();
    if (!HasPicture()) return;
    mv.ReadImageInfo();
    if (mv.ResolutionX() == 0 || mv.ResolutionY() == 0) {
      mv.SetResolutionX(96);
      mv.SetResolutionY(96);
      lastOk = mv.ApplyResolution();
      mv.ReadImageInfo();
    }
    if (found.unit.compare("cm", Qt::CaseInsensitive) == 0) {
      width = width / 2.54 * mv.ResolutionX();
      height = height / 2.54 * mv.ResolutionY();
    }
  }
  if (width > 0 && height > 0) SetRect(static_cast<float>(width), static_cast<float>(height));
}

void uRvE::RegisterRange() {
  int32_t l = 0, r = 0, t = 0, b = 0;
  if (!GetRange(&l, &r, &t, &b)) return;
  QString copy = registeredRanges;
  if (rangeDialog_ != nullptr) {
    rangeDialog_(&copy, r - l, b - t);
  } else {
    // The selection-size dialog plugged in at start-up.
    SizeDialogArgs args;
    args.ranges = copy;
    args.width = r - l;
    args.height = b - t;
    args.parent = this;
    if (!dialog_seams::OpenSizeDialog(args)) return;
    copy = args.ranges;
  }
  if (copy != registeredRanges) setUsrHani(copy);
}

void uRvE::SwapRange() {
  MvInstance& mv = seam_->mvImg();
  const int64_t l = mv.RangeLeft(), r = mv.RangeRight(), t = mv.RangeTop(), b = mv.RangeBottom();
  if (l * r * t * b <= 0) return;
  mv.SetRangeRight(static_cast<int>(l + (b - t)));
  mv.SetRangeBottom(static_cast<int>(t + (r - l)));
  mv.Redraw();
}

void uRvE::HighlightRange(const QString& job) {
  if (!HasPicture()) return;
  MvInstance& mv = seam_->mvImg();
  // Without a snapshot the picture is left as it is.
  if (!SaveUndoStep()) return;
  // The control's colour work takes 24- and 32-bit pictures; others are
  // brought to 24 bits for the highlight and back afterwards.
  const bool direct = DepthCodeIn(depthCode, ".24.32.");
  BusyPointer(true);
  if (BuildRegion()) {
    const SeamCorners corners{regionX, regionY};
    bool converted = false;
    if (!direct) converted = mv.ConvertDepth(24, false, true, 128);
    if (job == QStringLiteral("ﾏｰｶｰ")) {
      mv.SetRegionInside(1);
      mv.SetRegionMode(2);
      lastOk = mv.InvertChannels(corners, false, false, true);
    } else {
      mv.SetRegionInside(0);
      mv.SetRegionMode(2);
      lastOk = mv.AdjustBrightness(corners, 55, 55, 55) && mv.AdjustSaturation(corners, -100);
    }
    if (converted) {
      QString digits = depthCode;
      digits.remove('.');
      const int code = digits.toInt();
      if (code == 40) {
        if (mv.ConvertDepth(80, false, false, 128)) mv.ConvertDepth(40, false, true, 128);
      } else if (code != 0) {
        mv.ConvertDepth(code, false, false, 128);
      }
    }
    ClearRange();
    RefreshPicture(false);
  }
  BusyPointer(false);
}

// --- Registered ranges ------------------------------------------------------------

void uRvE::setUsrHani(const QString& value) {
  const QStringList elements = value.split(':');
  registeredRanges.clear();
  popupMenu.rangeHeaderVisible = !elements.isEmpty();
  QStringList captions;
  for (const QString& element : elements) {
    const RangeEntry e = ParseRangeEntry(element);
    if (!e.valid) continue;
    registeredRanges += element + ":";
    captions << RangeCaption(e);
  }
  popupMenu.rangeHeaderVisible = !captions.isEmpty();
  popupMenu.rangeCaptions = captions;
  if (registeredRanges.endsWith(':')) registeredRanges.chop(1);
}

// --- Pan window ---------------------------------------------------------------------

void uRvE::PanCommand(const QString& job) {
  MvInstance& mv = seam_->mvImg();
  if (job == QStringLiteral("表示")) {
    QWidget* main = Usr().MainForm ? Usr().MainForm.data() : hostForm;
    QPoint at(0, 0);
    if (main) {
      const QRect frame = main->frameGeometry();
      at = QPoint(std::max(0, frame.left() - 200), std::max(0, frame.top()));
    }
    mv.PanShowAt(at);
  } else {
    mv.PanHide();
  }
}

}  // namespace ruvel
