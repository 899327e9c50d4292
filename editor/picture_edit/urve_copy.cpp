// uRvE: writing a copy of the picture (for mail and other hand-overs) and
// forgetting the picture's file once it is gone.  Neither touches the held
// picture, its undo history or its edit state.
#include "editor/picture_edit/file_rules/file_types.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/file_rules/save_names.h"
#include "editor/picture_edit/urve.h"

namespace ruvel {

bool uRvE::HeldPictureToScratch() {
  MvInstance& mv = seam_->mvImg();
  const imaging::MemHandle copy = mv.DuplicateImage(mv.ImageHandle());
  if (copy != 0 && seam_->mvImg2().SetImageHandle(copy)) return true;
  if (copy != 0) mv.ReleaseImage(copy);
  return false;
}

bool uRvE::SaveCopy(const QString& file) {
  MvInstance& mv = seam_->mvImg();
  if (mv.ImageHandle() == 0 || file.isEmpty()) return false;
  const QString ext = file_rules::ExtensionOf(file);
  if (file_rules::FileTypeCode(ext) == 0) return false;
  // The copy is made in the scratch instance, so the held picture, the
  // imaging control's file name and its comment stay as they are.
  MvInstance& scratch = seam_->mvImg2();
  if (!HeldPictureToScratch()) {
    ShowImagingError();
    return false;
  }
  scratch.SetComment(mv.Comment());
  scratch.SetFileName(file);
  scratch.ReadImageInfo();
  const std::optional<int> convert_to =
      file_rules::SaveDepthConversion(ext, file_rules::DepthCodeOf(scratch.BitCount(), scratch.IsGray()));
  bool ok = !convert_to || scratch.ConvertDepth(*convert_to, false, true, 50);
  if (ok) {
    if (file_rules::UsesJpegQuality(ext)) scratch.SetJpegQuality(jpegQuality == 0 ? 85 : jpegQuality);
    ok = scratch.SaveFile(file_rules::FileTypeCode(ext), scratch.ImageHandle());
  }
  if (!ok) file_rules::ShowImagingError(scratch.ErrorCode(), this);
  return ok;
}

void uRvE::ForgetFile() {
  currentFile.clear();
  infoFile.clear();
  emit eStFile(QString());
  RefreshInfo();
}

}  // namespace ruvel
