// uRvE: the editing actions of the dispatcher: filters and effects with
// their fixed values, colour inversion, saturation, brightness, rotation
// and flips, colour depth, trimming, reduction to the selection, closing a
// gap, the picture frame, resolution and the detail dialogs.
//
// Every action that changes pixels is one change: BeginChange() writes the
// undo step first, the imaging calls follow, and EndChange() either
// refreshes the picture or, when a call failed, puts the picture back as
// it was before the change (from the step just written when a first call
// had already changed it), drops the step and shows the imaging control's
// message.  So a failing command leaves the picture, the edit state and
// the undo history as they were.
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/urve.h"
#include "platform/prompt.h"

namespace ruvel {

// --- One change ----------------------------------------------------------------

bool uRvE::BeginChange() {
  if (!HasPicture()) return false;
  change_ = PendingChange{seam_->mvImg().ImageHandle(), undoCount, infoFile};
  if (!SaveUndoStep()) {
    // Without a way back the change is not made.
    ShowImagingError();
    return false;
  }
  return true;
}

uRvE::Outcome uRvE::EndChange(bool ok, bool clear_range, int16_t code) {
  lastOk = ok;
  if (ok) {
    RefreshPicture(clear_range);
    return Outcome::kChanged;
  }
  RollBackChange(code);
  return Outcome::kNone;
}

void uRvE::RollBackChange(int16_t code) {
  MvInstance& mv = seam_->mvImg();
  if (mv.ImageHandle() != change_.handle && undoCount > change_.undo_count) {
    // A first step of the change went through: the step just written holds
    // the picture as it was.
    mv.SetFileName(UndoFileName(undoCount));
    if (mv.LoadFile(0) && mv.FinishLoad()) {
      mv.DrawImage(viewMode == 0 ? 1 : viewMode);
      RefreshInfo();
    }
  }
  undoCount = change_.undo_count;
  infoFile = change_.info_file;
  lastOk = false;
  file_rules::ShowImagingError(code, this);
}

SeamCorners uRvE::PrepareRegion() {
  const bool present = BuildRegion();
  MvInstance& mv = seam_->mvImg();
  mv.SetRegionInside(1);
  mv.SetRegionMode(present ? 2 : 1);
  return SeamCorners{regionX, regionY};
}

// --- Filters and colour --------------------------------------------------------------

uRvE::Outcome uRvE::ApplyFilter(const QString& job) {
  using Filter = std::function<bool(MvInstance&, const SeamCorners&)>;
  static const std::vector<std::pair<QString, Filter>> kFilters = {
      {QStringLiteral("ﾉｲｽﾞの除去"), [](MvInstance& m, const SeamCorners& c) { return m.RemoveNoise(c, 1, 50); }},
      {QStringLiteral("ぼかし"), [](MvInstance& m, const SeamCorners& c) { return m.Blur(c, 2); }},
      {QStringLiteral("ｼｬ-ﾌﾟ"), [](MvInstance& m, const SeamCorners& c) { return m.Sharpen(c, 5); }},
      {QStringLiteral("淵を滑らかに"), [](MvInstance& m, const SeamCorners& c) { return m.SmoothEdges(c); }},
      {QStringLiteral("ｽﾌﾟﾗｲﾝ補正"),
       [](MvInstance& m, const SeamCorners& c) {
         return m.ToneCurve(c, {0, 64, 128, 192, 255}, {0, 30, 128, 225, 255}, 5, true, true, true);
       }},
      {QStringLiteral("ｴﾝﾎﾞｽ"), [](MvInstance& m, const SeamCorners& c) { return m.Emboss(c, 0, 3, 100); }},
      {QStringLiteral("ﾓｻﾞｲｸ"), [](MvInstance& m, const SeamCorners& c) { return m.Mosaic(c, 10, 10); }},
      {QStringLiteral("輪郭"), [](MvInstance& m, const SeamCorners& c) { return m.EdgeExtract(c, 0, 0, 10); }},
      {QStringLiteral("ﾓｰｼｮﾝ"), [](MvInstance& m, const SeamCorners& c) { return m.MotionBlur(c, 2, 30, 20); }},
      {QStringLiteral("波"), [](MvInstance& m, const SeamCorners& c) { return m.Wave(c, 0, 100, 10, 0.5); }},
      {QStringLiteral("波紋"), [](MvInstance& m, const SeamCorners& c) { return m.Ripple(c, 20.0, 10.0, 0.5, false); }},
      {QStringLiteral("渦巻"), [](MvInstance& m, const SeamCorners& c) { return m.Whirl(c, 360.0, 1.0, 1.0); }},
      {QStringLiteral("ﾚﾝｽﾞ"), [](MvInstance& m, const SeamCorners& c) { return m.Lens(c, 3.0, false); }},
      {QStringLiteral("ｷｬﾝﾊﾞｽ"), [](MvInstance& m, const SeamCorners& c) { return m.Canvas(c, 1, 20); }},
  };
  const Filter* filter = nullptr;
  for (const auto& [name, f] : kFilters) {
    if (name == job) filter = &f;
  }
  if (filter == nullptr || !HasPicture()) return Outcome::kNone;
  if (!RequireEffectDepth() || !BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  const SeamCorners corners = PrepareRegion();
  const bool ok = (*filter)(mv, corners);
  return EndChange(ok, false, mv.ErrorCode());
}

uRvE::Outcome uRvE::InvertColours(const QString& job) {
  if (!BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  const SeamCorners corners = PrepareRegion();
  bool red = true, green = true, blue = true;
  if (job == QStringLiteral("Red")) green = blue = false;
  if (job == QStringLiteral("Green")) red = blue = false;
  if (job == QStringLiteral("Blue")) red = green = false;
  const bool ok = mv.InvertChannels(corners, red, green, blue);
  return EndChange(ok, false, mv.ErrorCode());
}

uRvE::Outcome uRvE::AdjustSaturationBy(const QString& job) {
  if (!HasPicture() || !RequireEffectDepth() || !BeginChange()) return Outcome::kNone;
  int level = 0;
  if (job == QStringLiteral("鮮やか")) level = 200;
  else if (job == QStringLiteral("やや鮮やか")) level = 100;
  else if (job == QStringLiteral("やや淡く")) level = -30;
  else if (job == QStringLiteral("淡く")) level = -60;
  MvInstance& mv = seam_->mvImg();
  const SeamCorners corners = PrepareRegion();
  const bool ok = mv.AdjustSaturation(corners, level);
  return EndChange(ok, false, mv.ErrorCode());
}

uRvE::Outcome uRvE::AdjustBrightnessBy(const QString& job) {
  if (!HasPicture() || !RequireEffectDepth() || !BeginChange()) return Outcome::kNone;
  int level = 0;
  if (job == QStringLiteral("明るく")) level = 80;
  else if (job == QStringLiteral("やや明るく")) level = 40;
  else if (job == QStringLiteral("やや暗く")) level = -40;
  else if (job == QStringLiteral("暗く")) level = -80;
  MvInstance& mv = seam_->mvImg();
  const SeamCorners corners = PrepareRegion();
  const bool ok = mv.AdjustBrightness(corners, level, level, level);
  return EndChange(ok, false, mv.ErrorCode());
}

// --- Geometry and depth ----------------------------------------------------------------

uRvE::Outcome uRvE::RotateBy(const QString& job) {
  struct Turn {
    const char* job;
    int angle;
    bool flip_h;
    bool flip_v;
  };
  static const Turn kTurns[] = {
      {"左右反転", 0, true, false}, {"上下反転", 0, false, true}, {"右90度", -9000, false, false},
      {"右180度", -18000, false, false}, {"左90度", 9000, false, false}, {"左180度", 18000, false, false},
  };
  const Turn* turn = nullptr;
  for (const Turn& t : kTurns) {
    if (job == QString::fromUtf8(t.job)) turn = &t;
  }
  if (turn == nullptr || !BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  bool ok = true;
  if (!DepthCodeIn(depthCode, QStringLiteral(".80.16.24.32."))) ok = mv.ConvertDepth(16, false, true, 128);
  mv.SetRegionInside(1);
  ok = ok && mv.RotateImage(turn->angle, turn->flip_h, turn->flip_v, true, 255, 255, 255, false);
  return EndChange(ok, true, mv.ErrorCode());
}

uRvE::Outcome uRvE::ChangeDepth(const QString& job) {
  static const std::pair<const char*, int> kCodes[] = {
      {"白黒", 1}, {"16色(4bit)", 4}, {"ｸﾞﾚ-(4bit)", 40}, {"256色(8bit)", 8},
      {"ｸﾞﾚ-(8bit)", 80}, {"16ﾋﾞｯﾄ", 16}, {"24ﾋﾞｯﾄ", 24}, {"32ﾋﾞｯﾄ", 32},
  };
  int code = 0;
  for (const auto& [name, c] : kCodes) {
    if (job == QString::fromUtf8(name)) code = c;
  }
  if (code == 0 || !BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  bool ok = false;
  if (code == 40) {
    ok = mv.ConvertDepth(80, false, false, 128) && mv.ConvertDepth(40, false, false, 128);
  } else {
    const bool diffusion = code != 1 && code != 4;
    ok = mv.ConvertDepth(code, false, diffusion, 128);
  }
  return EndChange(ok, true, mv.ErrorCode());
}

uRvE::Outcome uRvE::TrimToRange() {
  int32_t left = 0, right = 0, top = 0, bottom = 0;
  if (!GetRange(&left, &right, &top, &bottom) || !BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  mv.ClipRect(left, right, top, bottom);
  const bool ok = mv.Trim();
  return EndChange(ok, true, mv.ErrorCode());
}

uRvE::Outcome uRvE::ReduceToRange(int mode) {
  if (!HasPicture()) return Outcome::kNone;
  if (!BuildRegion()) {
    platform::ShowMessage(QString::fromUtf8(file_rules::kReduceNeedsRange), this);
    return Outcome::kNone;
  }
  if (!BeginChange()) return Outcome::kNone;
  double w = regionX[1] - regionX[0];
  double h = regionY[2] - regionY[0];
  if (mode == 0 && imageWidth > 0) h = imageHeight * w / imageWidth;
  if (mode == 1 && imageHeight > 0) w = h / imageHeight * imageWidth;
  MvInstance& mv = seam_->mvImg();
  bool ok = true;
  if (!DepthCodeIn(depthCode, QStringLiteral(".80.16.24.32."))) ok = mv.ConvertDepth(16, false, true, 128);
  const int width = std::max(1, static_cast<int>(std::lround(w)));
  const int height = std::max(1, static_cast<int>(std::lround(h)));
  ok = ok && mv.ResizeImage(width, height, true);
  return EndChange(ok, true, mv.ErrorCode());
}

uRvE::Outcome uRvE::CloseGap(bool horizontal) {
  int32_t left = 0, right = 0, top = 0, bottom = 0;
  if (!GetRange(&left, &right, &top, &bottom)) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  mv.ReadImageInfo();
  const int W = mv.ImageWidth();
  const int H = mv.ImageHeight();
  // The band: rows top..bottom or columns left..right (inclusive, within
  // the picture).  A band that covers the whole picture leaves nothing.
  const int first = std::max(0, horizontal ? top : left);
  const int last = std::min((horizontal ? H : W) - 1, horizontal ? bottom : right);
  const int extent = horizontal ? H : W;
  if (last < first || (first == 0 && last >= extent - 1)) return Outcome::kNone;
  if (!BeginChange()) return Outcome::kNone;

  // The part after the band moves up (or left) to where the band started;
  // the pieces keep the picture's own depth and palette, so nothing is
  // converted on the way.
  bool ok = true;
  int16_t code = 0;
  if (last < extent - 1) {
    MvInstance& scratch = seam_->mvImg2();
    ok = HeldPictureToScratch();
    code = ok ? 0 : mv.ErrorCode();
    if (ok) {
      scratch.SetRegionMode(1);
      if (horizontal) scratch.ClipRect(0, W, last + 1, H);
      else scratch.ClipRect(last + 1, W, 0, H);
      ok = scratch.Trim();
      if (!ok) code = scratch.ErrorCode();
    }
    if (ok) {
      const int x = horizontal ? W / 2 - 1 : W / 2 - 1 - first;
      const int y = horizontal ? H / 2 - 1 - first : H / 2 - 1;
      ok = mv.PasteImage(scratch.ImageHandle(), x, y);
      if (!ok) code = mv.ErrorCode();
    }
    scratch.ReleaseImage(scratch.ImageHandle());
  }
  if (ok) {
    const int band = last - first + 1;
    mv.SetRegionInside(1);
    mv.SetRegionMode(2);
    if (horizontal) mv.ClipRect(0, W, 0, H - band - 1);
    else mv.ClipRect(0, W - band - 1, 0, H);
    ok = mv.Trim();
    if (!ok) code = mv.ErrorCode();
  }
  return EndChange(ok, true, code);
}

// --- Frame, resolution, detail dialogs ---------------------------------------------------

uRvE::Outcome uRvE::AddFrame() {
  if (!BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  // A thin edge at the top and left, a broad one at the bottom and right,
  // in grey; the framed picture is recorded at 96 pixels per inch.
  bool ok = mv.AddFrame(1, 5, 0x80, 0x80, 0x80);
  if (ok) {
    mv.ReadImageInfo();
    mv.SetResolutionX(96);
    mv.SetResolutionY(96);
    ok = mv.ApplyResolution();
  }
  return EndChange(ok, false, mv.ErrorCode());
}

void uRvE::ResolutionDialog() {
  if (!HasPicture()) return;
  MvInstance& mv = seam_->mvImg();
  lastOk = mv.ReadImageInfo();
  ResolutionDialogArgs args;
  args.resolutionX = mv.ResolutionX() == 0 ? 72 : mv.ResolutionX();
  args.resolutionY = mv.ResolutionY() == 0 ? 72 : mv.ResolutionY();
  args.width = mv.ImageWidth();
  args.height = mv.ImageHeight();
  args.parent = this;
  lastOk = dialog_seams::OpenResolutionDialog(args);
  if (!lastOk || args.resolutionX <= 0 || args.resolutionY <= 0) {
    lastOk = false;
    return;
  }
  // The resolution is part of the picture: undo brings the old one back.
  if (!BeginChange()) return;
  mv.SetResolutionX(args.resolutionX);
  mv.SetResolutionY(args.resolutionY);
  const bool ok = mv.ApplyResolution();
  if (EndChange(ok, false, mv.ErrorCode()) == Outcome::kChanged) SetEditState(kStateEdited);
}

uRvE::Outcome uRvE::OpenDetailDialog(DetailDialog code) {
  if (!HasPicture()) return Outcome::kNone;
  const bool region_dialog = code == DetailDialog::kCorrection || code == DetailDialog::kEffects;
  if (region_dialog && !RequireEffectDepth()) return Outcome::kNone;
  // Until the dialog is plugged in the command is not done and changes
  // nothing.
  if (!dialog_seams::HasDetailDialog(code)) return Outcome::kNone;
  DetailDialogArgs args;
  if (region_dialog) {
    int32_t left = 0, right = 0, top = 0, bottom = 0;
    if (GetRange(&left, &right, &top, &bottom)) args.range = {left, right, top, bottom};
  }
  if (!BeginChange()) return Outcome::kNone;
  MvInstance& mv = seam_->mvImg();
  args.mvImg = &mv;
  args.parent = this;
  args.viewMode = viewMode == 0 ? 1 : viewMode;
  args.depthCode = depthCode;
  const bool ok = dialog_seams::OpenDetailDialog(code, args);
  if (args.viewMode >= 1 && args.viewMode <= 5) viewMode = args.viewMode;
  if (!ok || !HasPicture()) {
    // Cancelled: a dialog hands nothing back, so the step is dropped.
    RollBackChange(0);
    return Outcome::kNone;
  }
  lastOk = true;
  RefreshPicture(false);
  return Outcome::kChanged;
}

// --- Clearing ----------------------------------------------------------------------------

void uRvE::ClearPicture() {
  edited = false;
  MvInstance& mv = seam_->mvImg();
  if (mv.ImageHandle() != 0) mv.ReleaseImage(mv.ImageHandle());
  ClearRange();
}

}  // namespace ruvel
