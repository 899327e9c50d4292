// The windows plugged into the editing control at start-up.
#include "editor/picture_edit/dialog_seams.h"

namespace ruvel::dialog_seams {
namespace {

struct Plugged {
  std::array<DetailDialogFn, 4> detail;
  ResolutionDialogFn resolution;
  SizeDialogFn size;
  VectorViewerFn vector;
};

Plugged& Windows() {
  static Plugged plugged;
  return plugged;
}

int IndexOf(DetailDialog code) {
  const int i = static_cast<int>(code);
  return i >= 0 && i < 4 ? i : -1;
}

}  // namespace

void SetDetailDialog(DetailDialog code, DetailDialogFn dialog) {
  const int i = IndexOf(code);
  if (i >= 0) Windows().detail[i] = std::move(dialog);
}

bool HasDetailDialog(DetailDialog code) {
  const int i = IndexOf(code);
  return i >= 0 && static_cast<bool>(Windows().detail[i]);
}

bool OpenDetailDialog(DetailDialog code, DetailDialogArgs& args) {
  if (!HasDetailDialog(code) || args.mvImg == nullptr) return false;
  // A copy, so a dialog that plugs in another one meanwhile cannot pull the
  // running function from under itself.
  const DetailDialogFn dialog = Windows().detail[IndexOf(code)];
  return dialog(args);
}

void SetResolutionDialog(ResolutionDialogFn dialog) { Windows().resolution = std::move(dialog); }
bool HasResolutionDialog() { return static_cast<bool>(Windows().resolution); }
bool OpenResolutionDialog(ResolutionDialogArgs& args) {
  if (!HasResolutionDialog()) return false;
  const ResolutionDialogFn dialog = Windows().resolution;
  return dialog(args);
}

void SetSizeDialog(SizeDialogFn dialog) { Windows().size = std::move(dialog); }
bool HasSizeDialog() { return static_cast<bool>(Windows().size); }
bool OpenSizeDialog(SizeDialogArgs& args) {
  if (!HasSizeDialog()) return false;
  const SizeDialogFn dialog = Windows().size;
  return dialog(args);
}

void SetVectorViewer(VectorViewerFn viewer) { Windows().vector = std::move(viewer); }
bool HasVectorViewer() { return static_cast<bool>(Windows().vector); }
bool OpenVectorViewer(VectorViewerArgs& args) {
  if (!HasVectorViewer()) return false;
  const VectorViewerFn viewer = Windows().vector;
  return viewer(args);
}

void ResetAll() { Windows() = Plugged{}; }

}  // namespace ruvel::dialog_seams
