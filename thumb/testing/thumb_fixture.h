// File: thumb/testing/thumb_fixture.h
//
// Shared pieces of the thumbnail control's tests: a temporary picture
// folder with pictures written by Qt's own writers, a control created
// through the server object (dispatch) with every event recorded, and
// packed-DIB handles made in libmv7com.so's table.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPoint>
#include <string>
#include <vector>

#include "imaging/dlls/mv7.h"
#include "thumb/morvik_thumb.h"
#include "viewer_common/hosting/control_object.h"

namespace thumb::testing {

struct Event {
  hosting::DispId id;
  std::vector<hosting::Variant> args;
  std::u16string Text(size_t i) const { return args.at(i).AsString(); }
  int Int(size_t i) const { return args.at(i).AsI4(); }
};

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes a w x h picture in one colour (format from the extension).
  bool Picture(const std::string& name, int w, int h, QColor color) const;
  // Writes bytes that begin like a PNG but cannot be decoded.
  bool BrokenPng(const std::string& name) const;

 private:
  std::string path_;
};

// A TIFF of `pages` pages of 16 x 12, page k in grey level 40 k + 20,
// written with libtiff itself.
bool MultiPageTiff(const std::string& path, int pages);

class ThumbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  hosting::HRESULT Put(hosting::DispId id, hosting::Variant v);
  hosting::Variant Get(hosting::DispId id);
  bool Call(hosting::DispId id, std::vector<hosting::Variant> args = {});
  int16_t Status() { return Get(kErrorStatus).AsI2(); }
  std::vector<Event> EventsOf(hosting::DispId id) const;
  std::vector<std::string> Names() const;
  // The centre of the cell showing `image` (1-based), in the control's
  // coordinates; a failure when no cell shows it.
  QPoint CentreOf(int image);

  hosting::ComPtr<hosting::IDispatch> disp_;
  CMorvikThumb* control_ = nullptr;
  std::vector<Event> events_;
  std::vector<hosting::DispId> changed_;
  TempFolder dir_;
  // The shared thumbnail cache of every test ($XDG_CACHE_HOME): its own
  // folder, never the user's.
  TempFolder cache_;
};

// A packed DIB of one colour in a block of libmv7com.so's table.
MVHANDLE SolidHandle(int w, int h, QColor color);
// The colour at the centre of a handle's picture.
QColor CentreColor(MVHANDLE h);
// The size of a handle's picture.
QSize HandleSize(MVHANDLE h);

}  // namespace thumb::testing
