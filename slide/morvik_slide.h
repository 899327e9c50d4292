// File: slide/morvik_slide.h
//
// CMorvikSlide, the slideshow control: shows the pictures of a slide list
// file or of folders one after another, at once or as a scrolling
// transition, stepped by a timer (IntervalTime seconds) or by the Go*
// methods.  It reports through Progress, StartSlide and EndSlide and the
// stock mouse and key events.  Usable as a plain widget, or as a server
// object through the library's class object (libmorvik7slide.so).
//
//   slide::CMorvikSlide s;
//   s.PutProperty(slide::kFileReadWay, hosting::Variant::I2(1));
//   s.PutProperty(slide::kFilePath, hosting::Variant::Bstr(u"/pictures"));
//   hosting::Variant ok;
//   s.CallMethod(slide::kOpen, nullptr, 0, &ok);     // ok.AsI2() == 1
//   s.CallMethod(slide::kStart, nullptr, 0, &ok);
#pragma once

#include <QBasicTimer>
#include <QImage>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "imaging/dlls/mv7.h"
#include "slide/slide_geometry.h"
#include "slide/slide_ids.h"
#include "viewer_common/file_list/thumbnail_entry.h"
#include "viewer_common/hosting/control.h"

class QFileSystemWatcher;

namespace slide {

class CMorvikSlide : public hosting::Control {
 public:
  static const hosting::ControlClass& Class();
  explicit CMorvikSlide(QWidget* parent = nullptr);
  ~CMorvikSlide() override;

  // Draws the control into a painter.  A display painter gets the picture
  // as the window shows it, with StartSlide/EndSlide; a printer or PDF
  // painter (display false) gets the picture at the control's place in its
  // parent's coordinates and raises no event.
  void DrawTo(QPainter* painter, bool display);

  // State for hosts and tests.
  int16_t ErrorStatus() const { return error_status_; }
  bool ListOpen() const { return list_open_; }
  bool TimerRunning() const { return timer_.isActive(); }
  MVHANDLE CurrentPicture() const { return picture_; }
  // The entry shown for position `pos` of the play order (-1 when none).
  int EntryAt(int32_t pos) const;
  const file_list::EntryList& Entries() const { return list_; }
  // Seeds the shuffle order (tests use a fixed seed).
  void SeedShuffle(uint32_t seed) { rng_.seed(seed); }

 protected:
  hosting::PutVerdict ValidatePut(hosting::DispId id, hosting::Variant* value) override;
  void OnPropertyChanged(hosting::DispId id) override;
  hosting::HRESULT GetComputed(hosting::DispId id, hosting::Variant* out) override;
  hosting::HRESULT InvokeMethod(hosting::DispId id, const hosting::Variant* args, size_t count,
                                hosting::Variant* result) override;

  void DrawContent(QPainter* painter, const QRect& bounds, bool display) override;
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }  // arrows and Tab are keys to the host

 private:
  enum class Move { kNext, kPrevious, kSame, kFirst, kLast };

  // Methods.
  bool Open();
  bool Close();
  bool Start();
  bool Stop();
  bool Go(Move move);
  void Clear();

  // Engine.
  bool BuildList();
  void FreeList();
  void FreePicture();
  void StopTimer();
  void MoveTo(Move move);
  bool LoadCurrent();
  void Tick();
  void ShowSlide(QPainter* painter, bool display);
  void Render(QPainter* painter, bool display, const InnerRect& inner);
  void Transition(const QImage& off, const InnerRect& inner);
  void PutStrip(const QImage& off, const QRect& from, const QPoint& to);
  void PaintBackground(QPainter* p, const QRect& area);
  void DrawAt(QPainter* painter, const QPoint& origin, bool display);
  void DrawBorder(QPainter* p, const QRect& area);
  InnerRect Inner() const;
  std::string CurrentPath() const;
  std::string EntryFileName(const file_list::ThumbnailEntry& e) const;
  void FireSlideEvent(hosting::DispId id);

  // Shuffle and folder watching.
  void MakeOrder(bool new_round);
  void UpdateWatch();
  void FolderChanged(const QString& folder);
  void RescanPending();
  bool CurrentFileGone() const;
  void SkipGoneFiles(Move move);
  int32_t Count() const;

  // Stock events.
  int16_t ShiftState() const;
  void FireMouse(hosting::DispId id, int16_t buttons, const QPointF& pos);

  file_list::EntryList list_;
  bool list_cut_ = false;  // the last list built stopped at the list's limit
  bool list_open_ = false;
  std::vector<int> order_;  // play position -> list index
  MVHANDLE picture_ = 0;
  int picture_entry_ = -1;  // list index the picture belongs to
  std::string current_path_;
  std::string shown_path_;
  int16_t shown_page_ = 0;
  QBasicTimer timer_;
  bool drawing_ = false;
  int16_t error_status_ = 0;
  uint32_t vector_token_ = 0;
  std::mt19937 rng_{std::random_device{}()};
  std::unique_ptr<QFileSystemWatcher> watcher_;
  std::vector<std::string> watch_exts_;
  bool watch_pending_ = false;  // a matching file was not a picture yet
  std::string last_event_path_;
  std::string last_event_name_;

  // The strip being put on the screen by a synchronous repaint.
  const QImage* blit_source_ = nullptr;
  QRect blit_from_;
  QPoint blit_to_;
  QPoint print_origin_;  // where a printed slide goes on the page

  // Stock event state.
  int16_t buttons_ = 0;
  bool double_clicked_ = false;
  int16_t last_shift_ = 0;
};

}  // namespace slide
