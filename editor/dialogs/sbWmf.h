// File: editor/dialogs/sbWmf.h
//
// sbWmf: the vector viewer "ﾍﾞｸﾀ⇒変換　ｻｲｽﾞを指定して下さい".  It shows a
// vector picture stretched over its window; the user sizes the window to
// choose the pixel size of the raster picture, then "Ok(&O)" renders the
// picture at that size and "Cancel(&C)" returns nothing.
//
//   sbWmf viewer(mainWindow);
//   viewer.Image1()->SetPicture(picture.get());     // before Act
//   QImage raster; bool ok = false;
//   viewer.Act(left, top, width, height, &raster, &ok);   // twips
//
// PlugInVectorViewer() makes it the editing control's vector viewer
// (dialog_seams), called once at start-up.
#pragma once

#include <QDialog>
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "editor/picture_edit/dialog_seams.h"

class QAction;
class QMenuBar;

namespace ruvel {

class VectorPicture;

inline const QString kVectorViewerTitle = QStringLiteral("ﾍﾞｸﾀ⇒変換　ｻｲｽﾞを指定して下さい");

// Image1: an image that stretches its vector picture to its own size.
class VectorImage : public QWidget {
 public:
  explicit VectorImage(QWidget* parent = nullptr);
  void SetPicture(const VectorPicture* picture);
  const VectorPicture* picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const VectorPicture* picture_ = nullptr;
};

class sbWmf : public QDialog {
  Q_OBJECT

 public:
  explicit sbWmf(QWidget* parent = nullptr);
  ~sbWmf() override;

  // Act(): left, top, width and height of the picture area in twips;
  // shows the viewer modally.  With *ok true, *picture is the picture
  // rendered at the size Image1 had when "Ok(&O)" was chosen; otherwise
  // *picture is left as it was.
  void Act(int32_t left, int32_t top, int32_t width, int32_t height, QImage* picture, bool* ok);

  VectorImage* Image1() const { return image1_; }
  QMenuBar* mnRet() const { return mnRet_; }
  QAction* mnRetItem(int index) const { return index == 0 ? ok_item_ : cancel_item_; }

  // View(): the seam function: loads args.file (or args.data), shows the
  // viewer over args.geometry and returns the raster picture in args.result.
  static bool View(VectorViewerArgs& args);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void ChooseOk();
  void ChooseCancel();
  void PlaceImage();

  VectorImage* image1_ = nullptr;
  QImage picture1_;  // the rendered raster picture (Picture1)
  QMenuBar* mnRet_ = nullptr;
  QAction* ok_item_ = nullptr;
  QAction* cancel_item_ = nullptr;
  bool busy_ = false;
  bool ok_ = false;
};

// PlugInVectorViewer(): sbWmf becomes the editing control's vector viewer.
void PlugInVectorViewer();

}  // namespace ruvel
