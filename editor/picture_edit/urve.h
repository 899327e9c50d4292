// File: editor/picture_edit/urve.h
//
// uRvE: Ruvel's picture editing control.  It holds the current picture
// (inside its imaging control `mvImg`), the picture's file, the edit
// state, the view mode, the selection, the drawing toolbar and the undo
// snapshots in the work folder, and it is the only road from the rest of
// the editor to the imaging control (through imaging_seam/).
//
//   ruvel::uRvE* pic = new ruvel::uRvE(mainWindow);
//   pic->cOn(mainWindow, ruvel::Usr().UserDataFolder + "Wrk/");
//   pic->StSize();
//   pic->SetPram(85, 0, "ｽｹｰﾙ", 0, "jpg");
//   QString file = "/p/a.jpg";
//   pic->pcOpen(1, file, false);
//   ...
//   pic->cOff();
//
// Events are Qt signals named as the host knows them (eStFile, eEdtMode,
// ...); eAskPcPh passes its folder by pointer and needs a direct
// connection.  Message boxes go through platform/prompt.h.
//
// Members are grouped by the file that defines them: urve.cpp (state,
// events, sizing, parameters, menu state, toolbar), urve_undo.cpp
// (snapshots), urve_view.cpp (view modes, mouse modes, selection,
// registered ranges, pan window), urve_dispatch.cpp (pcAct),
// urve_edit.cpp (the editing actions, each one undoable change),
// urve_devices.cpp (printer, scanner, file details), urve_exchange.cpp
// (clipboard, capture, conversion, print trim, stamp), urve_vector.cpp
// (vector pictures) and urve_open_save.cpp (opening, saving, error
// messages).  The fields are private; windows in editor/dialogs/ come in
// through dialog_seams.h.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"

class QLabel;

namespace ruvel {

// Edit-state words.
inline const QString kStateInitial = QStringLiteral("初期");
inline const QString kStateLoaded = QStringLiteral("読込");
inline const QString kStateEdited = QStringLiteral("編集");

// Drop extensions accepted once connected.
inline const QString kExtensionList = QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;SFC");

// What the popup menu shows that the control keeps up to date: the check
// marks of the pan-window and toolbar entries and the registered-range list
// (item 0 is the list's header entry, items 1.. the range captions).
struct PopupMenuState {
  bool panWindowChecked = false;
  bool toolbarChecked = false;
  bool rangeHeaderVisible = false;
  QStringList rangeCaptions;
};

// The menu state of GtMnState().
struct MenuState {
  bool picture = false;
  bool changed = false;
  bool selection = false;
  bool undo = false;
  int16_t depth = 0;
  bool panAllowed = false;
  bool toolbar = false;
};

class uRvE : public QWidget {
  Q_OBJECT

 public:
  explicit uRvE(QWidget* parent = nullptr);
  ~uRvE() override;

  // --- Public members ------------------------------------------------------

  // cOn(): connect to the host form and the work folder (ends in "/"; the
  // undo files are put there).
  void cOn(QWidget* host_form, const QString& work_folder);
  // cOff(): delete the work files, clear the file and folder fields.  Never
  // fails.
  void cOff();
  // GtMnState(): the seven menu-state outputs, in order.
  void GtMnState(bool* picture, bool* changed, bool* selection, bool* undo, int16_t* depth, bool* pan_allowed,
                 bool* toolbar);
  MenuState GtMnState();
  QWidget* GetObject() const;
  int32_t GetHndle() const;
  // pcAct(): the command dispatcher (group word, job word).
  void pcAct(const QString& group, const QString& job);
  // pcStampFL(): the drawing toolbar's stamp picture (any picture file).
  void pcStampFL(const QString& file);
  void StSize();
  void SetPram(int16_t quality, int16_t update_mode, const QString& view_word, int16_t mouse_mode,
               const QString& extension);
  void GetPram(int16_t* quality, int16_t* update_mode, QString* view_word, int16_t* mouse_mode,
               QString* extension);
  QString sComent() const { return comment; }
  void setSComent(const QString& text) { comment = text; }
  QString prFile() const { return currentFile; }
  int32_t nFileSZ() const;
  QString UsrHani() const { return registeredRanges; }
  void setUsrHani(const QString& value);
  void SetDpi(int32_t dpi);
  int32_t DispImage() const;
  void setDispImage(int32_t handle);
  QWidget* dGetImg() const { return GetObject(); }
  void SetRect(float width, float height);

  // Exchange (urve_exchange.cpp).
  // pcPrTrim(): paints everything outside the area (pixels) white, as one
  // change with its undo step.  False when nothing was changed.
  bool pcPrTrim(float left, float top, float width, float height);
  // aeSaveClp(): saves the clipboard's picture to `file` (the held picture
  // is not touched).  False, with a message, when there is none or the
  // save failed.
  bool aeSaveClp(const QString& file);
  // aeCnvPic(): converts `source` into `target` (format by its extension,
  // "jpg" when it has none); a quality of 0 becomes 100 and is written
  // back.  The held picture, its file and state stay as they are.
  bool aeCnvPic(const QString& source, const QString& target, int16_t& quality);
  // aeSaveCapt(): grabs the screen (or the active window) and saves it
  // under `file`; the saved file becomes the current picture.  False, with
  // a message, when nothing could be grabbed or saved.
  bool aeSaveCapt(const QString& file, bool active_window);
  // ClearPicture(): drops the held picture ("初期化"); the file name and the
  // edit state stay.
  void ClearPicture();

  // Opening and saving (urve_open_save.cpp).
  // vCheckSave(): 0 unchanged, 6 yes (saved), 7 no, 2 cancel.
  int32_t vCheckSave();
  // pcOpen(): job 1 asks about changes first; an empty file shows the open
  // dialog and receives the chosen name; no_event suppresses eStFile.
  void pcOpen(int16_t job, QString& file, bool no_event);
  // pcSaveAs(): SaveCore(1, ...); `file` receives the name used when the
  // dialog was shown, "" when it was cancelled.
  void pcSaveAs(QString& file, bool range_only, bool dialog);
  // SaveCopy(): writes a copy of the whole picture to file (format by its
  // extension); the held picture, file name, undo history and edit state
  // stay as they were.  False (after a message) when it could not be written.
  bool SaveCopy(const QString& file);
  // ForgetFile(): the picture no longer has a file (it was deleted).
  void ForgetFile();

  // --- State readers (host, dialogs, tests) --------------------------------

  QString EditState() const { return editState; }
  QWidget* HostForm() const { return hostForm; }
  QString ExtensionList() const { return extensionList; }
  QString LastSaveFolder() const { return lastSaveFolder; }
  QString SaveExtension() const { return saveExtension; }
  int16_t JpegQuality() const { return jpegQuality; }
  // The held picture's size and resolution as the last RefreshInfo() read
  // them (72 per inch when the picture records none).
  float PictureWidth() const { return imageWidth; }
  float PictureHeight() const { return imageHeight; }
  int32_t DpiX() const { return dpiX; }
  int32_t DpiY() const { return dpiY; }
  bool Edited() const { return edited; }
  bool ToolbarEdited() const { return toolbarEdited; }
  QString DepthCode() const { return depthCode; }
  QString WorkFolder() const { return workFolder; }
  QString InfoFile() const { return infoFile; }
  int16_t UndoCount() const { return undoCount; }
  int32_t ViewMode() const { return viewMode; }
  int16_t MouseMode() const { return mouseMode; }
  bool LastOk() const { return lastOk; }
  bool Initialising() const { return initialising; }
  bool ToolbarShown() const { return toolbarShown; }
  int16_t CurrentTool() const { return currentTool; }
  const std::array<int32_t, 4>& RegionX() const { return regionX; }
  const std::array<int32_t, 4>& RegionY() const { return regionY; }
  const PopupMenuState& PopupMenu() const { return popupMenu; }
  ImagingSeam& Seam() { return *seam_; }

  // --- Routines shared by the control's files ------------------------------

  // urve.cpp
  void SetEditState(const QString& word);
  void RefreshPicture(bool clear_range);
  void RefreshInfo();
  void BusyPointer(bool on);
  // SetRestingPointer(): the pointer shape shown whenever the control is
  // not busy (the mouse mode's).
  void SetRestingPointer(int shape);
  void SetToolbar(bool show);
  // urve_view.cpp
  void SetView(const QString& word, double zoom = 0);
  void SetMouseMode(const QString& job);
  void ClearRange();
  // GetRange(): left, right, top, bottom of the selection; returns present.
  bool GetRange(int32_t* left, int32_t* right, int32_t* top, int32_t* bottom);
  bool HasRange();
  bool BuildRegion();
  void RangeCommand(const QString& job);
  void ApplyRangeSize(const QString& job);
  void RegisterRange();
  void SwapRange();
  void HighlightRange(const QString& job);
  void PanCommand(const QString& job);
  void ZoomCommand(const QString& job);
  // urve_undo.cpp
  // SaveUndoStep(): writes the next snapshot.  False when it could not be
  // written: the count is unchanged and the caller must not make the change.
  [[nodiscard]] bool SaveUndoStep();
  // UndoOneStep(): restores the newest snapshot; false when none could be
  // read (the picture and the count are then unchanged).
  bool UndoOneStep();
  QString UndoFileName(int step) const;
  // urve_open_save.cpp
  void LoadFromFile(QString path, bool from_file, bool no_event);
  bool SaveCore(int16_t mode, QString& name, bool range_only, bool dialog);
  static int16_t FileTypeCode(const QString& extension);
  // urve_vector.cpp
  // OpenVectorPicture(): the vector viewer turns the file into the new
  // picture; cancelled or failed, nothing changes.
  void OpenVectorPicture(const QString& file);
  // PasteVectorPicture(): the clipboard's vector data (ClipboardVectorData,
  // vector_open.h) through the vector viewer at a third of the screen; on
  // OK the raster picture is put into mvImg and the result is true (the
  // caller then finishes the paste as for a bitmap).  Cancelled or failed,
  // nothing changes and the result is false.
  bool PasteVectorPicture(const QByteArray& data, const QString& format);
  void CopyAsNew();
  void NumberedSave();
  void NewPicture();
  void AskJpegQuality();
  void ShowImagingError();
  // HeldPictureToScratch(): the scratch instance (mvImg2) takes a copy of
  // the held picture.  False when it cannot; the copy is then released and
  // mvImg's error code says why.
  bool HeldPictureToScratch();

  // Hook for the range-registration dialog: receives the ranges, width and
  // height, may edit the ranges, returns whether the user confirmed.  Unset:
  // nothing is registered.
  using RangeDialog = bool (*)(QString* ranges, int32_t width, int32_t height);
  void SetRangeDialog(RangeDialog dialog) { rangeDialog_ = dialog; }

 signals:
  void eStFile(const QString& file);
  void eStPcTyp(const QString& file, const QString& depth_code, const QString& info);
  void eEdtMode(const QString& state);
  void ePopUp();
  void eChgViewMode(int32_t mode);
  void eShwTBar(bool shown);
  void eChkFld();
  // The host fills in the folder to start in (connect directly).
  void eAskPcPh(QString* folder);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // What a dispatched action did: nothing (no picture, no selection,
  // refused, cancelled or failed), changed the picture, or saved it.
  enum class Outcome { kNone, kChanged, kSaved };
  // The state a change goes back to when it fails.
  struct PendingChange {
    imaging::MemHandle handle = 0;
    int16_t undo_count = 0;
    QString info_file;
  };

  // urve_dispatch.cpp
  Outcome Dispatch(const QString& group, const QString& job);
  Outcome FileCommand(const QString& job);
  Outcome PictureCommand(const QString& job);
  // RequireEffectDepth(): false, with its message, for depth codes below
  // 24 bits (grey codes pass).
  bool RequireEffectDepth();
  // urve_edit.cpp
  bool BeginChange();
  Outcome EndChange(bool ok, bool clear_range, int16_t code);
  void RollBackChange(int16_t code);
  SeamCorners PrepareRegion();
  Outcome ApplyFilter(const QString& job);
  Outcome InvertColours(const QString& job);
  Outcome AdjustSaturationBy(const QString& job);
  Outcome AdjustBrightnessBy(const QString& job);
  Outcome RotateBy(const QString& job);
  Outcome ChangeDepth(const QString& job);
  Outcome TrimToRange();
  Outcome ReduceToRange(int mode);
  Outcome CloseGap(bool horizontal);
  Outcome AddFrame();
  void ResolutionDialog();
  Outcome OpenDetailDialog(DetailDialog code);
  // urve_devices.cpp
  void PrinterSetup();
  void PrintPicture();
  bool OpenScanner();
  void ScanSource();
  void Scan();
  void FileDetails();
  // urve_exchange.cpp
  void NewBlankPicture();
  void CopyPictureToClipboard();
  bool NewFromClipboard();
  void WaitClipboard();
  bool TakeClipboardPicture(QImage* picture);
  bool SaveConvertedCopy(MvInstance& source, const QString& file, int type_code, int quality);
  void BecomeNewPicture();

  // Handlers of the imaging control's events (urve.cpp).
  void OnToolSelected(int tool);
  void OnToolbarClosed(bool visible);
  void OnImageClick(int button);
  void OnFileDropped(const QString& path);
  void OnPanWindowChanged(bool visible);
  void OnImageAcquired(imaging::MemHandle handle);
  bool HasPicture() const;

  // --- Fields, in declaration order ----------------------------------------
  // Private: the host, the dialogs and the tests use the members above.
  QWidget* hostForm = nullptr;
  QString comment;
  QString editState;
  QString depthCode;
  QString currentFile;
  QString infoFile;
  QString workFolder;
  QString extensionList;
  int16_t jpegQuality = 0;
  int16_t updateMode = 0;
  bool scannerOpen = false;
  bool lastOk = false;
  float imageWidth = 0;
  float imageHeight = 0;
  int32_t hostWindow = 0;
  int32_t dpiX = 0;
  int32_t dpiY = 0;
  int16_t undoCount = 0;
  bool edited = false;
  std::array<int32_t, 4> regionX{};
  std::array<int32_t, 4> regionY{};
  bool initialising = false;
  int16_t mouseMode = 0;
  int32_t viewMode = 0;
  QString saveExtension;
  bool toolbarShown = false;
  bool toolbarEdited = false;
  int16_t currentTool = 0;
  QString registeredRanges;
  QString lastJob;
  QString lastSaveFolder;

  // Hidden picture box that stages pictures (clipboard, vector files,
  // frames).
  QLabel* Picture1 = nullptr;
  PopupMenuState popupMenu;

  std::unique_ptr<ImagingSeam> seam_;
  RangeDialog rangeDialog_ = nullptr;
  PendingChange change_;
  int busyDepth_ = 0;
  int restingPointer_ = 0;
};

// DepthCode helpers: "24." from a bit count and grey flag, and the
// membership test (".24." in ".80.16.24.32.").
QString DepthCodeOf(int bit_count, bool gray);
bool DepthCodeIn(const QString& depth_code, const QString& list);
// "##,###": thousands grouped with commas, nothing for 0.
QString FormatThousands(int64_t value);
// View words by number (1..5), "" for others.
QString ViewWordOf(int32_t mode);

}  // namespace ruvel
