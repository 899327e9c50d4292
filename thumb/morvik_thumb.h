// File: thumb/morvik_thumb.h
//
// CMorvikThumb, the thumbnail grid control (libmorvik7thumb.so, type
// library MORVIK7THUMBLib): the pictures of one or more folders, or images
// handed in as handles, shown as ColCount x RowCount thumbnails with a
// scroll bar, sorting, single and multiple selection, keyboard, mouse and
// wheel, a thumbnail file kept between runs, and drag and drop.  Hosts drive
// it through IMorvikThumb (thumb_ids.h holds every DISPID) and hear from it
// through _IMorvikThumbEvents; C++ programs may use it as a plain widget.
//
//   thumb::CMorvikThumb t;
//   t.PutProperty(thumb::kFilePath, hosting::Variant::Bstr(u"/home/me/pictures"));
//   t.PutProperty(thumb::kReadMode, hosting::Variant::I2(thumb::mvThumbRd));
//   if (t.GetFiles()) t.Display();
//
// Drag and drop.  As a drop target (EnableDragTarget) the control takes
// the control's own entry format (below), and otherwise, with EnableOLEDrag
// off, every local file of a "text/uri-list" (file managers and other
// programs), in order; with EnableOLEDrag on, one file: the last text line
// (or file URL) that names an existing file, with an optional "|N" image
// number.  As a drag source (EnableDragSource) it offers the
// selected entries, last selected first, as:
//   - "text/uri-list": file:// URLs of the files;
//   - "text/plain": the full paths, one a line;
//   - "application/x-morvik7-thumb-entries": the control's own format,
//     carrying what the legacy window-text hand-over carried: UTF-8 text,
//     one line per entry, "folder<TAB>name<TAB>image number" (image
//     numbers 0-based inside multi-image files).  A Morvik7 control
//     receiving it inserts exactly those images.
// Every selected entry is offered at once in one drag (the legacy path
// posted one drop per entry, in the same order).  A drag that ends on the
// control itself with EnableMove on moves the selected entries instead.
#pragma once

#include <QPoint>
#include <QRect>
#include <memory>
#include <string>
#include <vector>

#include "imaging/dlls/mv7.h"
#include "thumb/grid_layout.h"
#include "thumb/thumb_ids.h"
#include "viewer_common/file_list/path_services.h"
#include "viewer_common/file_list/thumbnail_entry.h"
#include "viewer_common/hosting/control.h"

class QCursor;
class QMimeData;
class QScrollBar;
class QImage;

namespace hosting {
struct PageSpec;
struct ModuleInfo;
}  // namespace hosting

namespace thumb {

inline constexpr char kEntriesMimeType[] = "application/x-morvik7-thumb-entries";

class LoadPool;
struct ThumbnailJob;

class CMorvikThumb : public hosting::Control {
 public:
  static const hosting::ControlClass& Class();
  explicit CMorvikThumb(QWidget* parent = nullptr);
  ~CMorvikThumb() override;

  // The methods, as the dispatch interface runs them.
  bool GetFiles();
  bool Display();
  void Refresh();
  bool Scroll();
  void UpdateThumbnailFile();
  void Clear();
  bool IsSelected(int image);
  bool SelectImage(int image);
  bool DeSelectImage(int image);
  bool Delete(int image);

  // SetLoadThreads(): the number of worker threads that make thumbnails
  // ahead of the events (0: every thumbnail is made on the control's own
  // thread).  One per core unless MORVIK7_THUMB_THREADS says otherwise.
  // Ignored while a load runs.
  void SetLoadThreads(int threads);
  int LoadThreads() const;

  // ErrorStatus(): the Status codes of thumb_ids.h.  Among them
  // kStatusListFull (7): the list holds 32 767 entries, the most a 16-bit
  // image number addresses; GetFiles kept the entries found first.
  int16_t ErrorStatus() const { return error_status_; }
  // SetMaxEntries(): lowers the list's limit below 32 767, so tests reach
  // a full list with a small folder.
  void SetMaxEntries(size_t n) { list_.SetMaxEntries(n); }
  const file_list::EntryList& Entries() const { return list_; }
  int StartNum() const { return start_num_; }
  const GridLayout& Layout() const { return layout_; }
  // The client area: the widget less its visible scroll bar.
  QRect ClientRect() const;
  // EntryAtPoint(): the entry under a client point, or -1.
  int EntryAtPoint(QPoint p) const;
  // CellOfEntry(): the cell showing entry e, or nullptr.
  const Cell* CellOfEntry(int e) const;

  // DropFiles(): files dropped at a client point join the list before the
  // entry there (at the end past the last entry) and load at once; each
  // item names a file and an image number, -1 for every image the read
  // mode takes.  Returns the entries added.
  struct DropItem {
    std::string path;
    int image = -1;
  };
  int DropFiles(const std::vector<DropItem>& items, QPoint client_point);
  // DragData(): what a drag of the selected entries carries (nullptr when
  // nothing is selected).
  std::unique_ptr<QMimeData> DragData() const;
  // MoveSelected(): the block move of the selected entries to position p.
  void MoveSelected(int position);

 protected:
  hosting::PutVerdict ValidatePut(hosting::DispId id, hosting::Variant* value) override;
  void OnPropertyChanged(hosting::DispId id) override;
  hosting::HRESULT GetComputed(hosting::DispId id, hosting::Variant* out) override;
  hosting::HRESULT InvokeMethod(hosting::DispId id, const hosting::Variant* args, size_t count,
                                hosting::Variant* result) override;
  void DrawContent(QPainter* painter, const QRect& bounds, bool display) override;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  struct CustomPicture {
    MVBITMAP bitmap = 0;
    MVBITMAP mask = 0;
  };

  // Properties (morvik_thumb.cpp).
  void SetStatus(int16_t s) { error_status_ = s; }
  int LineLength() const;
  int VisibleLines() const;
  bool Horizontal() const;
  bool SetStartNum(int value);
  // CheckedEntry(): the 0-based index of image `image` (1-based), or -1 with
  // ErrorStatus 16 for an empty list and 5 for a bad number (or, when
  // `need_thumbnail`, an entry without one or no cell table yet).
  int CheckedEntry(int image, bool need_thumbnail);
  void RebuildCustomPicture(hosting::DispId id);
  void FreeCustomPicture(CustomPicture* pic);
  bool LoadCustomPictureFile(hosting::DispId picture_id, const std::u16string& file);
  void UpdateCursors();
  QCursor MakeCursor(int type, const std::u16string& file, bool* loaded) const;

  // Loading (thumb_loading.cpp).
  bool CountExtensions();
  void ReadThumbnailFile();
  void LoadEntry(size_t index);
  // JobFor(): the work for entry `index`; false when it has its thumbnail
  // already or its path cannot be loaded.
  bool JobFor(size_t index, ThumbnailJob* job) const;
  // WantAhead(): the pool works on the entries from `index` on, in list
  // order, a few ahead of the events.
  void WantAhead(size_t index);
  // WantForView(): the entries of the cells from `start` in cell order,
  // then the next screenful in list order.
  void WantForView(int start);
  bool AppendImageHandle(MVHANDLE handle);
  std::u16string Label(const file_list::ThumbnailEntry& e) const;

  // Layout and painting (thumb_paint.cpp).
  GridParams Params() const;
  void RebuildScrollState(bool reset_first_line);
  void PlaceScrollBars();
  bool RebuildLayout();
  void PaintAll(QPainter* p, const QRect& client, bool display);
  void PaintBackground(QPainter* p, const QRect& client);
  void PaintBorder(QPainter* p, const QRect& client);
  void DrawGrid(QPainter* p, const QRect& client, bool display);
  struct CellCanvas;
  void PutFace(CellCanvas* canvas, const Rect& face, bool selected);
  void DrawCell(QPainter* p, size_t cell, bool display, CellCanvas* canvas);
  void PaintFace(QImage* buffer, const Rect& face, bool selected);
  void DrawCaption(QPainter* p, const Cell& cell, const std::u16string& label, bool selected, bool display);

  // Input and selection (thumb_input.cpp).
  void SelectionStep(int e, bool press, int modifiers);
  void HoverStep(int e, int modifiers);
  void RaiseSelectFile(hosting::DispId event, int e);
  void RaiseEmptySelect(hosting::DispId event);
  void DeselectAll();
  void ScrollTo(int first_line);
  void ScrollRequest(int action);
  void OnScrollAction(int action);
  void ArrowKey(int key);
  int SelectedCount() const;
  int ModifierState() const;
  void FireMouse(hosting::DispId id, int button, QPointF pos);

  // Drag and drop (thumb_drag.cpp).
  bool AcceptsDrag(const QMimeData* data) const;
  void StartDrag();

  file_list::EntryList list_;
  std::unique_ptr<file_list::PathServices> paths_;
  std::unique_ptr<LoadPool> pool_;  // after what its work may use: it goes first
  file_list::ExtensionTable extensions_;
  GridLayout layout_;
  bool have_cells_ = false;
  int start_num_ = 0;
  int last_drawn_start_ = -1;
  int last_cols_ = -1, last_rows_ = -1;
  int last_display_w_ = -1, last_display_h_ = -1;
  int16_t error_status_ = 0;
  int16_t failures_ = 0;
  bool busy_ = false;
  bool bar_disabled_ = false;
  std::u16string file_name_;
  std::u16string thumb_array_file_, thumb_array_path_;
  int16_t thumb_array_page_ = 0;
  CustomPicture picture_up_, picture_down_;
  QScrollBar* vbar_ = nullptr;
  QScrollBar* hbar_ = nullptr;

  // Selection state.
  int anchor_ = -1, extent_ = -1;
  int last_clicked_ = -1;
  int press_entry_ = -1, drop_entry_ = -1;
  int hover_entry_ = -1;
  int button_state_ = 0;
  bool double_clicked_ = false;
  bool pressed_inside_ = false;
  bool dragging_ = false;
  QPoint press_pos_;
  int wheel_remainder_ = 0;
  int wheel_unit_ = 120;
  uint32_t vector_token_ = 0;
  std::unique_ptr<QCursor> normal_cursor_, select_cursor_;
};

// The property page and the server module of the library.
const hosting::PageSpec& ThumbPageSpec();
const hosting::ModuleInfo& ThumbModule();

}  // namespace thumb
