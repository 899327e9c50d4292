// File: editor/picture_edit/urve_test_support.h
//
// Helpers for the editing control's tests: pictures with a known pattern,
// a shown control connected to a temporary work folder, scripted message
// boxes, and a recorder of the control's events.
#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include <gtest/gtest.h>

#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "imaging/global_memory.h"
#include "imaging/image.h"
#include "platform/prompt.h"

namespace ruvel::testing {

// Pattern(): pixel (x, y) has red x, green y, blue x + y (mod 256).  At 8
// bits and below the index is (x + 3y) mod 2^bpp over the grey palette,
// unless `gray` is false, when the palette gets colours.
inline imaging::Image Pattern(int w, int h, int bpp = 24, bool gray = false) {
  imaging::Image img;
  if (!imaging::Image::Create(w, h, bpp, &img).ok()) return {};
  if (bpp >= 16) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.SetPixelRgb(x, y, (uint32_t(x % 256) << 16) | (uint32_t(y % 256) << 8) | uint32_t((x + y) % 256));
    return img;
  }
  const int colours = 1 << bpp;
  if (!gray) {
    for (int i = 0; i < colours && i < static_cast<int>(img.palette().size()); ++i) {
      img.palette()[i].red = static_cast<uint8_t>(i * 7);
      img.palette()[i].green = static_cast<uint8_t>(255 - i);
      img.palette()[i].blue = static_cast<uint8_t>(i * 13);
    }
  }
  img.set_gray(gray);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = img.row(y);
    for (int x = 0; x < w; ++x) {
      const int v = (x + 3 * y) % colours;
      if (bpp == 8) {
        row[x] = static_cast<uint8_t>(v);
      } else if (bpp == 4) {
        row[x / 2] = static_cast<uint8_t>(x % 2 ? (row[x / 2] & 0xF0) | v : (row[x / 2] & 0x0F) | (v << 4));
      } else if (bpp == 1 && v) {
        row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
      }
    }
  }
  return img;
}

// One control in a shown host window, connected to a fresh work folder,
// with message boxes answered by a script.
class ControlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(work_.isValid());
    host_ = std::make_unique<QWidget>();
    host_->resize(660, 500);
    pic_ = new uRvE(host_.get());
    pic_->setGeometry(0, 0, 640, 480);
    host_->show();
    QApplication::processEvents();
    pic_->cOn(host_.get(), WorkFolder());
    pic_->StSize();
  }
  void TearDown() override {
    pic_->cOff();
    host_.reset();
    ResetUsr();
  }

  QString WorkFolder() const { return work_.path() + "/"; }

  // Load(): hands the picture over as a freshly loaded one.
  void Load(const imaging::Image& img) {
    const imaging::MemHandle h = imaging::ImageToHandle(img);
    ASSERT_NE(h, 0u);
    pic_->setDispImage(static_cast<int32_t>(h));
    ASSERT_NE(pic_->GetHndle(), 0);
  }

  QImage Shown() { return pic_->Seam().mvImg().Picture(); }

  // Edit(): one change the way the editing commands make it: snapshot
  // first, then the change, then the edit state.
  bool InvertEdit() {
    if (!pic_->SaveUndoStep()) return false;
    MvInstance& mv = pic_->Seam().mvImg();
    mv.SetRegionMode(1);
    if (!mv.InvertChannels(SeamCorners{}, true, true, true)) return false;
    pic_->SetEditState(kStateEdited);
    return true;
  }

  QTemporaryDir work_;
  std::unique_ptr<QWidget> host_;
  uRvE* pic_ = nullptr;
  platform::ScriptedPrompt prompt_;
  platform::ScopedPrompt use_prompt_{&prompt_};
};

// Records the control's events as short texts, in order.
class EventLog : public QObject {
 public:
  explicit EventLog(uRvE* pic) {
    connect(pic, &uRvE::eStFile, this, [this](const QString& f) { events << "eStFile(" + f + ")"; });
    connect(pic, &uRvE::eStPcTyp, this,
            [this](const QString& f, const QString& d, const QString&) { events << "eStPcTyp(" + f + "," + d + ")"; });
    connect(pic, &uRvE::eEdtMode, this, [this](const QString& s) { events << "eEdtMode(" + s + ")"; });
    connect(pic, &uRvE::ePopUp, this, [this] { events << "ePopUp"; });
    connect(pic, &uRvE::eChgViewMode, this, [this](int32_t m) { events << QString("eChgViewMode(%1)").arg(m); });
    connect(pic, &uRvE::eShwTBar, this, [this](bool s) { events << QString("eShwTBar(%1)").arg(s); });
    connect(pic, &uRvE::eChkFld, this, [this] { events << "eChkFld"; });
    connect(pic, &uRvE::eAskPcPh, this, [this](QString*) { events << "eAskPcPh"; });
  }
  QStringList events;
};

}  // namespace ruvel::testing
