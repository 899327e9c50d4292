// File: slide/slide_test_support.h
//
// Helpers for the slideshow tests: pictures written by Qt's own writers
// (and a multi-page TIFF by libtiff), slide list files, Shift-JIS text by
// iconv, a control wrapped as a server object with its events recorded as
// text, and waiting with the event loop running.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <functional>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "slide/morvik_slide.h"
#include "viewer_common/hosting/interfaces.h"

namespace slidetest {

// WritePicture(): a w x h picture of one colour; format from the suffix.
bool WritePicture(const QString& path, int w, int h, QColor color);
// WriteMultiPageTiff(): `pages` pages of w x h, page i in colours[i].
bool WriteMultiPageTiff(const QString& path, int w, int h, const std::vector<QColor>& colours);
bool WriteBytes(const QString& path, const std::string& bytes);
std::string ToCp932(const std::string& utf8);
// Runs the event loop for `ms` milliseconds.
void Wait(int ms);
// Runs the event loop until `done` or `ms` milliseconds; the last `done`.
bool WaitUntil(const std::function<bool()>& done, int ms);
// What the screen holds of a shown widget's window (no repaint).
QImage ScreenShot(QWidget* w);
// Shows a widget and waits until its window is exposed.
void ShowExposed(QWidget* w);

// A control behind its dispatch interface, with every event and change
// notice recorded as a line ("event Progress(24)", "changed MaxImage (27)").
class Harness {
 public:
  Harness();
  ~Harness();
  slide::CMorvikSlide* control() const { return control_; }
  hosting::IDispatch* dispatch() const { return dispatch_.Get(); }

  hosting::HRESULT Put(hosting::DispId id, hosting::Variant v);
  hosting::HRESULT Put(hosting::DispId id, const std::u16string& s) { return Put(id, hosting::Variant::Bstr(s)); }
  hosting::HRESULT Put(hosting::DispId id, int v) { return Put(id, hosting::Variant::I4(v)); }
  hosting::Variant Get(hosting::DispId id);
  int GetInt(hosting::DispId id) { return Get(id).AsI4(); }
  // Call(): the RetVal of a method (-99 when the call itself failed).
  int Call(hosting::DispId id);
  int Status() { return GetInt(slide::kErrorStatus); }

  // Events since the last TakeEvents(), change notices left out.
  std::vector<std::string> TakeEvents();
  // Only the lines starting with `prefix`.
  std::vector<std::string> TakeEvents(const std::string& prefix);

 private:
  slide::CMorvikSlide* control_ = nullptr;
  hosting::ComPtr<hosting::IUnknown> object_;
  hosting::ComPtr<hosting::IDispatch> dispatch_;
  hosting::ComPtr<hosting::IUnknown> sink_;
  std::vector<std::string> lines_;
};

}  // namespace slidetest
