// The editing control's vector route with the vector viewer scripted.
#include <QFile>
#include <QMimeData>
#include <QScreen>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/urve_test_support.h"
#include "editor/picture_edit/vector_open.h"

namespace ruvel {
namespace {

using testing::ControlFixture;
using testing::Pattern;

// A DXF page of 200 x 100 mm (756 x 378 pixels) with a red square.
const char kDxf[] =
    "0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n4\n9\n$EXTMIN\n10\n0\n20\n0\n9\n$EXTMAX\n10\n200\n20\n100\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n0\nSOLID\n8\n0\n62\n1\n10\n0\n20\n0\n11\n50\n21\n0\n12\n0\n22\n50\n13\n50\n23\n50\n"
    "0\nENDSEC\n0\nEOF\n";

class VectorOpen : public ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    dialog_seams::SetVectorViewer([this](VectorViewerArgs& a) {
      calls_.push_back(a);
      if (!answer_) return false;
      a.result = QImage(30, 20, QImage::Format_RGB32);
      a.result.fill(Qt::red);
      return true;
    });
    path_ = work_.path() + "/drawing.dxf";
    QFile f(path_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kDxf);
  }
  void TearDown() override {
    dialog_seams::ResetAll();
    ControlFixture::TearDown();
  }
  // A picture with a file name and an unsaved change.
  void EditedPicture() {
    Load(Pattern(40, 30));
    pic_->LoadFromFile("/pics/kept.png", false, true);
    ASSERT_TRUE(InvertEdit());
  }

  std::vector<VectorViewerArgs> calls_;
  bool answer_ = true;
  QString path_;
};

TEST_F(VectorOpen, TheViewerMakesTheNewPicture) {
  EditedPicture();
  QString file = path_;
  pic_->pcOpen(0, file, false);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].file, path_);
  EXPECT_EQ(calls_[0].format, "dxf");
  // The window has the page's natural shape, centred on the main window.
  EXPECT_NEAR(static_cast<double>(calls_[0].geometry.width()) / calls_[0].geometry.height(), 2.0, 0.05);
  EXPECT_NEAR(calls_[0].geometry.center().x(), host_->frameGeometry().center().x(), 1);
  EXPECT_TRUE(pic_->LastOk());
  EXPECT_EQ(Shown().size(), QSize(30, 20));
  EXPECT_EQ(Shown().pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(pic_->prFile(), "");
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
}

TEST_F(VectorOpen, CancelAndDamagedFilesKeepTheUsersWork) {
  EditedPicture();
  const QImage before = Shown();
  const int16_t undo = pic_->UndoCount();
  answer_ = false;
  QString file = path_;
  pic_->pcOpen(0, file, false);
  EXPECT_EQ(calls_.size(), 1u);
  EXPECT_FALSE(pic_->LastOk());
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(pic_->prFile(), "/pics/kept.png");
  EXPECT_EQ(pic_->UndoCount(), undo);
  EXPECT_EQ(pic_->EditState(), kStateEdited);

  QFile f(path_);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QByteArray(kDxf).left(120));
  f.close();
  answer_ = true;
  file = path_;
  pic_->pcOpen(0, file, false);
  EXPECT_EQ(calls_.size(), 1u);  // the viewer never opened
  EXPECT_EQ(prompt_.texts().size(), 1u);
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(pic_->prFile(), "/pics/kept.png");
}

TEST_F(VectorOpen, ClipboardVectorDataAtAThirdOfTheScreen) {
  QMimeData mime;
  mime.setData(kEmfMime, QByteArray("not a metafile"));
  mime.setData(kSvgMime, QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"300\" height=\"100\">"
                                     "<rect width=\"300\" height=\"100\" fill=\"blue\"/></svg>"));
  QByteArray data;
  QString format;
  ASSERT_TRUE(ClipboardVectorData(mime, &data, &format));
  EXPECT_EQ(format, "svg");
  EXPECT_TRUE(pic_->PasteVectorPicture(data, format));
  ASSERT_EQ(calls_.size(), 1u);
  const QSize screen = pic_->screen()->size();
  const QSize start = calls_[0].geometry.size();
  EXPECT_TRUE(start.width() == (screen.width() + 1) / 3 || start.width() == screen.width() / 3 ||
              start.height() == screen.height() / 3 || start.height() == (screen.height() + 1) / 3);
  EXPECT_EQ(Shown().size(), QSize(30, 20));

  EXPECT_EQ(ThirdOfScreen(QSize(200, 100), QSize(1800, 900)), QSize(600, 300));
  EXPECT_EQ(ThirdOfScreen(QSize(3000, 300), QSize(1500, 1000)), QSize(500, 50));
  answer_ = false;
  EXPECT_FALSE(pic_->PasteVectorPicture(data, format));
  EXPECT_FALSE(pic_->PasteVectorPicture(QByteArray("junk"), "emf"));
}

}  // namespace
}  // namespace ruvel
