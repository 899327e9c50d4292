// File: editor/picture_edit/testing/urve_file_test.h
//
// What the tests of uRvE's file routes share: a temporary user-data,
// work and picture folder, a uRvE on them, scripted message boxes and file
// dialogs, and a picture whose every pixel differs from its neighbours,
// so a lost edit, a trim or a conversion shows.
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "platform/file_dialog.h"
#include "platform/prompt.h"

namespace ruvel::testing {

inline QImage Pattern(int w, int h, QImage::Format format = QImage::Format_RGB32) {
  QImage img(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgba(x * 20 % 256, y * 30 % 256, (x + y) * 7 % 256, 255));
  return img;
}

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class UrveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    root_ = dir_.path() + "/";
    ResetUsr();
    Usr().Started = true;
    Usr().UserDataFolder = root_ + "user/";
    ASSERT_TRUE(QDir().mkpath(root_ + "user/Temp"));
    ASSERT_TRUE(QDir().mkpath(root_ + "work"));
    ASSERT_TRUE(QDir().mkpath(root_ + "pics"));
    pic_ = std::make_unique<uRvE>();
    pic_->resize(400, 300);
    pic_->cOn(nullptr, root_ + "work/");
    pic_->SetPram(85, 0, QStringLiteral("ｽｹｰﾙ"), 0, QString());
  }
  void TearDown() override {
    pic_.reset();
    ResetUsr();
  }

  // The held picture, as 32-bit RGB.
  QImage Held() { return pic_->Seam().mvImg().Picture().convertToFormat(QImage::Format_RGB32); }

  QTemporaryDir dir_;
  QString root_;
  std::unique_ptr<uRvE> pic_;
  platform::ScriptedPrompt prompt_;
  platform::ScopedPrompt use_prompt_{&prompt_};
  platform::ScriptedFileDialog dialog_;
  platform::ScopedFileDialog use_dialog_{&dialog_};
};

}  // namespace ruvel::testing
