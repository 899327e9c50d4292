// File: editor/picture_edit/dialog_seams.h
//
// Where the editing control opens windows that live in editor/dialogs/.
// picture_edit does not link the dialogs: the program plugs each window in
// once at start-up, and until a window is plugged in its seam answers "not
// done" and changes nothing.
//
// How a dialog plugs in (editor/app, at start-up):
//
//   ruvel::dialog_seams::SetDetailDialog(ruvel::DetailDialog::kColour,
//       [](ruvel::DetailDialogArgs& a) { return spImgC::Act(a); });
//   ruvel::dialog_seams::SetResolutionDialog(
//       [](ruvel::ResolutionDialogArgs& a) { return spDpi::Act(a); });
//
// A detail dialog (colour depth, correction, effects, rotation) receives
// the editing control's imaging control `mvImg` through `args.mvImg`.  It
// previews on an imaging control of its own (an ImagingSeam or MvInstance
// it creates over itself), leaves args.mvImg alone while the user tries
// things, and only on OK puts the result into args.mvImg (for example
// `args.mvImg->SetImageHandle(preview.DuplicateImage(preview.ImageHandle()))`
// or by running the chosen operation on args.mvImg).  It returns true when
// the user confirmed and the result was applied, false otherwise (then
// args.mvImg must hold the picture it held on entry).  The editing control
// writes the undo step before and redraws and refreshes afterwards.
//
// The resolution and selection-size dialogs exchange plain numbers and text
// only; the editing control applies what they return.
//
// Every Set* call replaces the previous window; an empty function unplugs
// it.  All of this runs on the user-interface thread.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QWidget;

namespace ruvel {

class MvInstance;

// Codes of the detail dialogs.
enum class DetailDialog : int {
  kColour = 0,      // colour depth
  kCorrection = 1,  // correction filters
  kEffects = 2,     // special effects
  kRotation = 3,    // rotation by any angle
};

struct DetailDialogArgs {
  // The editing control's imaging control; the dialog applies its result
  // here on OK and only then.
  MvInstance* mvImg = nullptr;
  // Parent for the dialog (the editing control; the main window is its
  // window()).
  QWidget* parent = nullptr;
  // View mode 1..5 of the editing control; a dialog may change it.
  int32_t viewMode = 1;
  // Colour and rotation dialogs: the picture's depth code ("24.", "80.");
  // a dialog that changes the depth writes the new code back.
  QString depthCode;
  // Correction and effects dialogs: the selection's left, right, top and
  // bottom in pixels, all 0 when there is none.
  std::array<int32_t, 4> range{};
};
using DetailDialogFn = std::function<bool(DetailDialogArgs& args)>;

struct ResolutionDialogArgs {
  // In: the picture's resolutions (72 when it records none).  Out on OK:
  // the new resolutions.
  int32_t resolutionX = 72;
  int32_t resolutionY = 72;
  // The picture's size in pixels (for the printed-size labels).
  int32_t width = 0;
  int32_t height = 0;
  QWidget* parent = nullptr;
};
// Returns true only when the user confirmed a change.
using ResolutionDialogFn = std::function<bool(ResolutionDialogArgs& args)>;

struct SizeDialogArgs {
  // In/out: the registered ranges ("name,w,h,unit:...").
  QString ranges;
  // The current selection's width and height in pixels.
  int32_t width = 0;
  int32_t height = 0;
  QWidget* parent = nullptr;
};
// Returns true when the dialog closed normally (ranges then holds the
// list the user left; the editing control stores it when it differs).
using SizeDialogFn = std::function<bool(SizeDialogArgs& args)>;

// The vector viewer: shows a vector picture and returns it as a raster
// picture.
struct VectorViewerArgs {
  QString file;      // the vector file, or "" when `data` holds it
  QByteArray data;   // file bytes when there is no file (the clipboard)
  QString format;    // lower-case type: "svg", "emf", "wmf", "dxf"
  QRect geometry;    // suggested window geometry in screen pixels
  QWidget* parent = nullptr;
  QImage result;     // out on OK
};
using VectorViewerFn = std::function<bool(VectorViewerArgs& args)>;

namespace dialog_seams {

void SetDetailDialog(DetailDialog code, DetailDialogFn dialog);
bool HasDetailDialog(DetailDialog code);
// OpenDetailDialog(): false ("not done") when no dialog is plugged in.
bool OpenDetailDialog(DetailDialog code, DetailDialogArgs& args);

void SetResolutionDialog(ResolutionDialogFn dialog);
bool HasResolutionDialog();
bool OpenResolutionDialog(ResolutionDialogArgs& args);

void SetSizeDialog(SizeDialogFn dialog);
bool HasSizeDialog();
bool OpenSizeDialog(SizeDialogArgs& args);

void SetVectorViewer(VectorViewerFn viewer);
bool HasVectorViewer();
bool OpenVectorViewer(VectorViewerArgs& args);

// Unplugs every window (tests).
void ResetAll();

}  // namespace dialog_seams
}  // namespace ruvel
