// uRvE: opening pictures (open dialog, command line, drops), the question
// about unsaved changes, saving (overwrite, new name, copy as new, numbered
// saves), the blank picture, the JPEG quality and the imaging error box.
//
// Every write goes through the imaging control's FileIO, which replaces a
// file only once the new one is complete.  A save that fails leaves the
// held picture, the edit state and the undo history as they were: colour
// depth conversions for the target format are made on a copy in mvImg2.
#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <algorithm>
#include <optional>
#include <sys/stat.h>

#include "editor/picture_edit/file_rules/close_question.h"
#include "editor/picture_edit/file_rules/dialog_texts.h"
#include "editor/picture_edit/file_rules/file_types.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/file_rules/save_names.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "platform/busy.h"
#include "platform/file_dialog.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

// Status codes of the imaging control used for refusals made here.
constexpr int16_t kCodeCannotCreate = 21;
constexpr int16_t kCodeCannotWrite = 22;

bool NoWriteBits(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
  return (st.st_mode & 0222) == 0;
}

// WriteRefusal(): the status code for a target that must not be written: a
// read-only file (by its permission bits, whoever runs the program) or a
// folder without write permission.  0 when the write may be tried.
int16_t WriteRefusal(const QString& target) {
  const QFileInfo info(target);
  if (info.exists()) {
    if (info.isDir() || !info.isWritable() || NoWriteBits(target)) return kCodeCannotWrite;
    return 0;
  }
  const QString folder = info.absolutePath();
  const QFileInfo dir(folder);
  if (dir.isDir() && (!dir.isWritable() || NoWriteBits(folder))) return kCodeCannotCreate;
  return 0;
}

QString WithoutCarriageReturns(QString text) {
  text.remove('\r');
  return text;
}

}  // namespace

int16_t uRvE::FileTypeCode(const QString& extension) {
  return static_cast<int16_t>(file_rules::FileTypeCode(extension));
}

void uRvE::ShowImagingError() { file_rules::ShowImagingError(seam_->mvImg().ErrorCode(), this); }

// --- Asking about changes -----------------------------------------------------

int32_t uRvE::vCheckSave() {
  const file_rules::CheckSavePlan plan = file_rules::PlanCheckSave(updateMode, editState);
  file_rules::CheckSaveAnswer answer = plan.answer;
  if (plan.ask) {
    answer = file_rules::AskSaveChanges(this);
    if (answer == file_rules::CheckSaveAnswer::kNo) editState = kStateLoaded;
  }
  if (answer == file_rules::CheckSaveAnswer::kYes && HasPicture()) {
    QString none;
    // Changes that could not be saved are kept: the caller must not go on
    // as if they were.
    if (!SaveCore(0, none, false, false)) answer = file_rules::CheckSaveAnswer::kCancel;
  }
  return static_cast<int32_t>(answer);
}

// --- Opening ------------------------------------------------------------------

void uRvE::pcOpen(int16_t job, QString& file, bool no_event) {
  if (job == 1 && vCheckSave() == static_cast<int32_t>(file_rules::CheckSaveAnswer::kCancel)) {
    emit eStFile(currentFile);
    return;
  }
  if (file.isEmpty()) {
    QString folder;
    emit eAskPcPh(&folder);
    const platform::FileDialogAnswer answer =
        platform::CurrentFileDialog().Ask(file_rules::OpenDialogRequest(folder), this);
    if (answer.accepted) file = answer.path;
  }
  if (file.isEmpty()) return;
  ClearRange();
  if (file_rules::IsVectorFile(file)) {
    OpenVectorPicture(file);
  } else {
    LoadFromFile(file, true, no_event);
  }
}

void uRvE::LoadFromFile(QString path, bool from_file, bool no_event) {
  if (viewMode == 0) viewMode = 1;
  MvInstance& mv = seam_->mvImg();
  if (from_file) {
    const QString previous_comment = mv.Comment();
    mv.SetComment(QString());
    mv.SetFileName(path);
    if (!QFileInfo(path).isFile()) {
      // A missing file changes nothing; the picture keeps its own name, so
      // an overwrite cannot put it under the missing file's name.
      mv.SetComment(previous_comment);
      lastOk = false;
      return;
    }
    lastOk = mv.LoadFile(0) && mv.FinishLoad();
    if (!lastOk) {
      // A file that cannot be decoded does not replace the picture; saying
      // so keeps the user from taking the old picture for the new file.
      const int16_t code = mv.ErrorCode();
      mv.SetComment(previous_comment);
      file_rules::ShowImagingError(code, this);
      return;
    }
    currentFile = path;
    comment = WithoutCarriageReturns(mv.Comment());
    mv.SetViewReset(true);
    lastOk = mv.DrawImage(viewMode);
    mv.Redraw();
  } else {
    currentFile = path;
  }
  if (path.isEmpty()) return;
  infoFile = path;
  if (!no_event && from_file) emit eStFile(path);
  undoCount = 0;
  SetEditState(kStateLoaded);
  RefreshPicture(false);
}

// --- Saving -------------------------------------------------------------------

void uRvE::pcSaveAs(QString& file, bool range_only, bool dialog) { SaveCore(1, file, range_only, dialog); }

bool uRvE::SaveCore(int16_t mode, QString& name, bool range_only, bool dialog) {
  MvInstance& mv = seam_->mvImg();
  if (!HasPicture()) return false;

  // An overwrite needs a file of a type that can be written back; a pasted
  // or scanned picture, or one read from a format without a writer, is
  // saved under a new name instead.
  QString none;
  if (mode == 0) {
    const QString ext = file_rules::ExtensionOf(currentFile);
    if (currentFile.isEmpty() || (!ext.isEmpty() && file_rules::FileTypeCode(ext) == 0)) {
      return SaveCore(1, none, range_only, false);
    }
  }

  int32_t left = 0, right = 0, top = 0, bottom = 0;
  if (!GetRange(&left, &right, &top, &bottom)) range_only = false;

  MvInstance* source = &mv;
  if (range_only) {
    if (toolbarShown) SetToolbar(false);
    MvInstance& scratch = seam_->mvImg2();
    if (!HeldPictureToScratch()) {
      ShowImagingError();
      return false;
    }
    scratch.ClipRect(left, right, top, bottom);
    if (!scratch.Trim()) {
      file_rules::ShowImagingError(scratch.ErrorCode(), this);
      return false;
    }
    scratch.SetComment(mv.Comment());
    source = &scratch;
  }

  QString start_folder = lastSaveFolder;
  if (start_folder.isEmpty() && lastJob != QStringLiteral("Mail")) emit eAskPcPh(&start_folder);

  QString target;
  if (mode == 0) {
    source->SetComment(comment + "\r");
    target = currentFile;
  } else if (name.isEmpty()) {
    source->SetFileName(QString());
    QString chosen;
    if (!source->ShowSaveDialog(start_folder, file_rules::kSaveTypesNoName, &chosen) || chosen.isEmpty()) {
      file_rules::ShowImagingError(source->ErrorCode(), this);
      return false;
    }
    target = chosen;
  } else if (dialog) {
    source->SetFileName(name);
    QString chosen;
    if (!source->ShowSaveDialog(start_folder, file_rules::kSaveTypesWithName, &chosen) || chosen.isEmpty()) {
      name.clear();
      file_rules::ShowImagingError(source->ErrorCode(), this);
      return false;
    }
    target = chosen;
    name = chosen;
  } else {
    target = name;
  }

  const file_rules::SaveName resolved = file_rules::ResolveSaveName(target, &saveExtension, dialog);
  target = resolved.target;
  const QString folder = file_rules::SaveFolderOf(target);
  lastSaveFolder = folder;
  if (!folder.isEmpty()) Usr().PictureFolder = folder.endsWith('/') ? folder : folder + "/";
  if (resolved.extension_defaulted) {
    platform::ShowMessage(file_rules::MissingExtensionMessage(resolved.extension), this);
  }
  source->SetFileName(target);

  if (const int16_t refusal = WriteRefusal(target); refusal != 0) {
    file_rules::ShowImagingError(refusal, this);
    return false;
  }

  // The depth the format can hold is made on a copy, so the held picture
  // is never changed by a save.
  source->ReadImageInfo();
  const std::optional<int> convert_to = file_rules::SaveDepthConversion(
      resolved.extension, file_rules::DepthCodeOf(source->BitCount(), source->IsGray()));
  if (convert_to) {
    if (source == &mv) {
      MvInstance& scratch = seam_->mvImg2();
      if (!HeldPictureToScratch()) {
        ShowImagingError();
        return false;
      }
      scratch.SetComment(mv.Comment());
      scratch.SetFileName(target);
      source = &scratch;
    }
    if (!source->ConvertDepth(*convert_to, false, true, 50)) {
      file_rules::ShowImagingError(source->ErrorCode(), this);
      return false;
    }
  }

  if (file_rules::UsesJpegQuality(resolved.extension)) source->SetJpegQuality(jpegQuality == 0 ? 85 : jpegQuality);
  lastOk = source->SaveFile(file_rules::FileTypeCode(resolved.extension), source->ImageHandle());
  if (!lastOk) {
    file_rules::ShowImagingError(source->ErrorCode(), this);
    return false;
  }

  if (lastJob != QStringLiteral("Mail") && Usr().Started) {
    LoadFromFile(target, true, false);
    mv.Redraw();
    emit eChkFld();
  }
  return true;
}

// --- Copy as new and numbered saves ---------------------------------------------

void uRvE::CopyAsNew() {
  const std::optional<QString> candidate =
      file_rules::NextCopyName(currentFile, [](const QString& p) { return QFileInfo::exists(p); });
  if (!candidate) {
    platform::ShowMessage(file_rules::kCopyAsNewFailed, this);
    return;
  }
  if (!HasPicture()) return;
  MvInstance& mv = seam_->mvImg();
  MvInstance* source = &mv;
  int32_t left = 0, right = 0, top = 0, bottom = 0;
  const QString ext = file_rules::ExtensionOf(*candidate);
  const std::optional<int> convert_to = [&] {
    mv.ReadImageInfo();
    return file_rules::SaveDepthConversion(ext, file_rules::DepthCodeOf(mv.BitCount(), mv.IsGray()));
  }();
  const bool range = GetRange(&left, &right, &top, &bottom);
  if (range || convert_to) {
    MvInstance& scratch = seam_->mvImg2();
    if (!HeldPictureToScratch()) {
      ShowImagingError();
      return;
    }
    scratch.SetComment(mv.Comment());
    source = &scratch;
    if (range) {
      scratch.ClipRect(left, right, top, bottom);
      lastOk = scratch.Trim();
      if (!lastOk) {
        file_rules::ShowImagingError(scratch.ErrorCode(), this);
        return;
      }
    }
    if (convert_to && !scratch.ConvertDepth(*convert_to, false, true, 50)) {
      file_rules::ShowImagingError(scratch.ErrorCode(), this);
      return;
    }
  }
  source->SetFileName(*candidate);
  if (const int16_t refusal = WriteRefusal(*candidate); refusal != 0) {
    lastOk = false;
    file_rules::ShowImagingError(refusal, this);
    return;
  }
  if (file_rules::UsesJpegQuality(ext)) source->SetJpegQuality(jpegQuality == 0 ? 85 : jpegQuality);
  lastOk = source->SaveFile(file_rules::FileTypeCode(ext), source->ImageHandle());
  if (!lastOk) {
    file_rules::ShowImagingError(source->ErrorCode(), this);
    return;
  }
  emit eStFile(*candidate);
  emit eChkFld();
}

void uRvE::NumberedSave() {
  const QString names = ListFiles(Usr().UserDataFolder + "Temp/", "*.bmp");
  const int number = file_rules::NextSaveNumber(names.split('\t', Qt::SkipEmptyParts));
  QString target = file_rules::NumberedSavePath(Usr().UserDataFolder, number);
  SaveCore(1, target, false, false);
}

// --- Blank picture and JPEG quality ---------------------------------------------

void uRvE::NewPicture() {
  MvInstance& mv = seam_->mvImg();
  const QSize kept_size = Picture1->size();
  const QPalette kept_palette = Picture1->palette();
  const int width = std::max(1, static_cast<int>(mv.widget()->width() * 0.8));
  const int height = std::max(1, static_cast<int>(mv.widget()->height() * 0.8));
  Picture1->resize(width, height);
  QImage blank(width, height, QImage::Format_RGB32);
  blank.fill(QColor(0xFF, 0xFF, 0xFF));
  Picture1->setPixmap(QPixmap::fromImage(blank));
  platform::LetPendingEventsRun();
  lastOk = mv.SetPicture(blank);
  Picture1->clear();
  Picture1->resize(kept_size);
  Picture1->setPalette(kept_palette);
  if (!lastOk) {
    ShowImagingError();
    return;
  }
  lastOk = mv.DrawImage(viewMode == 0 ? 1 : viewMode);
  RefreshInfo();
}

void uRvE::AskJpegQuality() {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(this, file_rules::kJpegQualityTitle, file_rules::kJpegQualityPrompt, QLineEdit::Normal,
                            QString::number(jpegQuality == 0 ? 85 : jpegQuality), &ok);
  if (!ok) return;
  if (const std::optional<int> quality = file_rules::ParseJpegQualityAnswer(answer)) {
    jpegQuality = static_cast<int16_t>(*quality);
  }
}

}  // namespace ruvel
