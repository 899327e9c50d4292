// uRvE: exchanging pictures outside the file commands: the blank picture,
// copying to the clipboard, a new picture from the clipboard, saving the
// clipboard's picture, converting a file, saving a screen capture, the
// print trim and the drawing toolbar's stamp.
//
// Pictures that only pass through (the clipboard's, a conversion's, a
// capture's) are handled on the scratch instance mvImg2, so the held
// picture, its file name and its state stay as they are until a new
// picture really replaces them, and then only after the question about
// unsaved changes.  Files are written by the imaging control, which
// replaces a file only once the new one is complete.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <optional>

#include "editor/picture_edit/file_rules/close_question.h"
#include "editor/picture_edit/file_rules/file_types.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/file_rules/save_names.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "platform/busy.h"
#include "platform/clipboard.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

constexpr int kClipboardRounds = 10000;
constexpr int kClipboardWaitMs = 1000;

bool AnswerIsCancel(int32_t answer) {
  return answer == static_cast<int32_t>(file_rules::CheckSaveAnswer::kCancel);
}

// Type codes of the direct-to-file members.  BMP is written as a plain BMP
// file (not the work-file layout), whatever the name.
int ClipboardSaveType(const QString& ext) {
  const int code = file_rules::FileTypeCode(ext);
  return code == 0 ? 1 : code;
}

int ConversionType(const QString& ext) {
  if (ext == QStringLiteral("bmp")) return 1;
  const int code = file_rules::FileTypeCode(ext);
  return code == 0 ? 2 : code;
}

}  // namespace

// --- New pictures ---------------------------------------------------------------

void uRvE::NewBlankPicture() {
  if (AnswerIsCancel(vCheckSave())) return;
  NewPicture();
  if (lastOk) BecomeNewPicture();
}

void uRvE::BecomeNewPicture() {
  // A picture that came from nowhere has no file: a later overwrite asks
  // for a name instead of writing over the file the old picture came from.
  comment.clear();
  infoFile.clear();
  currentFile.clear();
  emit eStFile(QString());
  SetEditState(kStateLoaded);
  RefreshInfo();
}

// --- Clipboard ---------------------------------------------------------------------

void uRvE::WaitClipboard() {
  // Another program may still be delivering; a picture that never comes
  // is found missing by the caller.
  QElapsedTimer timer;
  timer.start();
  for (int round = 0; round < kClipboardRounds; ++round) {
    if (platform::ClipboardHolds() != platform::ClipboardKind::kNone) return;
    if (timer.elapsed() > kClipboardWaitMs) return;
  }
}

bool uRvE::TakeClipboardPicture(QImage* picture) {
  *picture = platform::ClipboardImage();
  return !picture->isNull();
}

void uRvE::CopyPictureToClipboard() {
  if (!HasPicture()) return;
  MvInstance& scratch = seam_->mvImg2();
  int32_t left = 0, right = 0, top = 0, bottom = 0;
  const bool range = GetRange(&left, &right, &top, &bottom);
  if (!HeldPictureToScratch()) {
    ShowImagingError();
    return;
  }
  lastOk = true;
  if (range) {
    scratch.ClipRect(left, right, top, bottom);
    lastOk = scratch.Trim();
  }
  if (lastOk) {
    scratch.SetResolutionX(96);
    scratch.SetResolutionY(96);
    lastOk = scratch.ApplyResolution() && scratch.PrepareClipboard() && scratch.CopyToClipboard();
  }
  const int16_t code = scratch.ErrorCode();
  scratch.ReleaseImage(scratch.ImageHandle());
  if (!lastOk) {
    file_rules::ShowImagingError(code, this);
    return;
  }
  WaitClipboard();
}

bool uRvE::NewFromClipboard() {
  if (AnswerIsCancel(vCheckSave())) return false;
  WaitClipboard();
  MvInstance& mv = seam_->mvImg();
  const platform::ClipboardKind kind = platform::ClipboardHolds();
  if (kind == platform::ClipboardKind::kNone) {
    platform::ShowMessage(QString::fromUtf8(file_rules::kClipboardHasNoPicture), this);
    return false;
  }
  ClearRange();
  if (kind == platform::ClipboardKind::kImage) {
    lastOk = mv.PasteClipboard();
    if (!lastOk) {
      ShowImagingError();
      return false;
    }
  } else {
    // Vector data goes through the vector viewer; a cancelled viewer keeps
    // the held picture.
    QString format;
    const QByteArray data = platform::ClipboardVector(&format);
    if (!dialog_seams::HasVectorViewer() || data.isEmpty()) {
      platform::ShowMessage(QString::fromUtf8(file_rules::kClipboardVectorNotOpened), this);
      return false;
    }
    if (!PasteVectorPicture(data, format)) return false;
  }
  if (!HasPicture()) return false;
  mv.ReadImageInfo();
  mv.SetResolutionX(96);
  mv.SetResolutionY(96);
  mv.ApplyResolution();
  lastOk = mv.DrawImage(viewMode == 0 ? 1 : viewMode);
  if (!lastOk) {
    ShowImagingError();
    return false;
  }
  platform::LetPendingEventsRun();
  BecomeNewPicture();
  return true;
}

// --- Direct-to-file members --------------------------------------------------------

bool uRvE::SaveConvertedCopy(MvInstance& source, const QString& file, int type_code, int quality) {
  const QString ext = file_rules::ExtensionOf(file);
  source.ReadImageInfo();
  const std::optional<int> convert_to =
      file_rules::SaveDepthConversion(ext, file_rules::DepthCodeOf(source.BitCount(), source.IsGray()));
  if (convert_to && !source.ConvertDepth(*convert_to, false, true, 50)) {
    lastOk = false;
    file_rules::ShowImagingError(source.ErrorCode(), this);
    return false;
  }
  if (file_rules::UsesJpegQuality(ext)) source.SetJpegQuality(quality);
  source.SetFileName(file);
  lastOk = source.SaveFile(type_code, source.ImageHandle());
  if (!lastOk) file_rules::ShowImagingError(source.ErrorCode(), this);
  return lastOk;
}

bool uRvE::aeSaveClp(const QString& file) {
  WaitClipboard();
  QImage picture;
  if (!TakeClipboardPicture(&picture)) {
    platform::ShowMessage(QString::fromUtf8(file_rules::kClipboardHasNoPicture), this);
    return false;
  }
  MvInstance& scratch = seam_->mvImg2();
  if (scratch.ImageHandle() != 0) scratch.ReleaseImage(scratch.ImageHandle());
  if (!scratch.SetPicture(picture) || scratch.ImageHandle() == 0) {
    file_rules::ShowImagingError(scratch.ErrorCode(), this);
    return false;
  }
  picture = QImage();
  const QString ext = file_rules::ExtensionOf(file);
  const bool ok = SaveConvertedCopy(scratch, file, ClipboardSaveType(ext), jpegQuality == 0 ? 85 : jpegQuality);
  scratch.ReleaseImage(scratch.ImageHandle());
  return ok;
}

bool uRvE::aeCnvPic(const QString& source, const QString& target, int16_t& quality) {
  if (quality == 0) quality = 100;
  MvInstance& scratch = seam_->mvImg2();
  if (!QFileInfo(source).isFile()) {
    lastOk = false;
    return false;
  }
  scratch.SetFileName(source);
  lastOk = scratch.LoadFile(0) && scratch.FinishLoad();
  if (!lastOk) {
    file_rules::ShowImagingError(scratch.ErrorCode(), this);
    return false;
  }
  QString ext = file_rules::ExtensionOf(target);
  if (ext.isEmpty()) ext = QStringLiteral("jpg");
  // The extension decides the depth rules; the name stays as given.
  MvInstance& s = scratch;
  s.ReadImageInfo();
  const std::optional<int> convert_to =
      file_rules::SaveDepthConversion(ext, file_rules::DepthCodeOf(s.BitCount(), s.IsGray()));
  bool ok = !convert_to || s.ConvertDepth(*convert_to, false, true, 50);
  if (ok) {
    if (file_rules::UsesJpegQuality(ext)) s.SetJpegQuality(quality);
    s.SetFileName(target);
    ok = s.SaveFile(ConversionType(ext), s.ImageHandle());
  }
  lastOk = ok;
  if (!ok) file_rules::ShowImagingError(s.ErrorCode(), this);
  s.ReleaseImage(s.ImageHandle());
  return ok;
}

bool uRvE::aeSaveCapt(const QString& file, bool active_window) {
  const bool becomes_current = lastJob != QStringLiteral("Mail") && Usr().Started;
  if (becomes_current && AnswerIsCancel(vCheckSave())) return false;
  QImage picture;
  if (!platform::CurrentScreen().CaptureToClipboard(active_window)) {
    platform::ShowMessage(QString::fromUtf8(file_rules::kCaptureFailed), this);
    return false;
  }
  platform::LetPendingEventsRun();
  WaitClipboard();
  if (!TakeClipboardPicture(&picture)) {
    platform::ShowMessage(QString::fromUtf8(file_rules::kCaptureFailed), this);
    return false;
  }
  MvInstance& scratch = seam_->mvImg2();
  if (scratch.ImageHandle() != 0) scratch.ReleaseImage(scratch.ImageHandle());
  if (!scratch.SetPicture(picture)) {
    file_rules::ShowImagingError(scratch.ErrorCode(), this);
    return false;
  }
  picture = QImage();
  scratch.ReadImageInfo();
  scratch.SetResolutionX(96);
  scratch.SetResolutionY(96);
  scratch.ApplyResolution();

  // The name is worked out as for any save under a name.
  const file_rules::SaveName resolved = file_rules::ResolveSaveName(file, &saveExtension, false);
  const QString folder = file_rules::SaveFolderOf(resolved.target);
  lastSaveFolder = folder;
  if (!folder.isEmpty()) Usr().PictureFolder = folder.endsWith('/') ? folder : folder + "/";
  if (resolved.extension_defaulted) {
    platform::ShowMessage(file_rules::MissingExtensionMessage(resolved.extension), this);
  }
  const bool ok = SaveConvertedCopy(scratch, resolved.target, ClipboardSaveType(resolved.extension),
                                    jpegQuality == 0 ? 85 : jpegQuality);
  scratch.ReleaseImage(scratch.ImageHandle());
  if (!ok) return false;
  if (becomes_current) {
    LoadFromFile(resolved.target, true, false);
    seam_->mvImg().Redraw();
    emit eChkFld();
  }
  return true;
}

// --- Print trim and stamp -----------------------------------------------------------

bool uRvE::pcPrTrim(float left, float top, float width, float height) {
  if (!HasPicture()) return false;
  const int32_t l = static_cast<int32_t>(std::lround(left));
  const int32_t t = static_cast<int32_t>(std::lround(top));
  const int32_t r = static_cast<int32_t>(std::lround(width)) + l;
  const int32_t b = static_cast<int32_t>(std::lround(height)) + t;
  regionX = {l, r, r, l};
  regionY = {t, t, b, b};
  if (!BeginChange()) return false;
  MvInstance& mv = seam_->mvImg();
  mv.SetRegionInside(1);
  mv.SetRegionMode(2);
  const bool ok = mv.FillOutside(SeamCorners{regionX, regionY}, 255, 255, 255);
  if (EndChange(ok, false, mv.ErrorCode()) != Outcome::kChanged) return false;
  SetEditState(kStateEdited);
  return true;
}

void uRvE::pcStampFL(const QString& file) {
  MvInstance& mv = seam_->mvImg();
  mv.ToolbarSetStampColor(0, 0);
  mv.ToolbarSetStampColor(1, 0);
  mv.ToolbarSetStampColor(2, 255);
  mv.ToolbarSetStampFile(file);
}

}  // namespace ruvel
