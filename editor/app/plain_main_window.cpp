// File: editor/app/plain_main_window.cpp
#include "editor/app/plain_main_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/screen.h"

namespace ruvel {

PlainMainWindow::PlainMainWindow(const QString& picture_path, QWidget* parent)
    : QMainWindow(parent), picture_path_(picture_path) {
  UsrState& usr = Usr();
  usr.InitBusy = true;
  setWindowTitle(usr.ProgramName);
  BuildMenus();

  view_ = new QLabel(this);
  view_->setAlignment(Qt::AlignCenter);
  view_->setMinimumSize(1, 1);
  setCentralWidget(view_);

  if (usr.Ini) settings_ = LoadUserSettings(*usr.Ini, platform::CurrentScreen().Metrics());
  usr.PictureFolder = settings_.picture_folder;

  if (settings_.width < 1 || settings_.height < 1) {
    setWindowState(Qt::WindowMaximized);
  } else {
    int32_t left = settings_.left, top = settings_.top;
    int32_t width = settings_.width, height = settings_.height;
    FitWorkArea(&left, &top, &width, &height);
    MoveWindowTwips(this, {left, top, width, height});
  }

  if (!picture_path_.isEmpty()) {
    usr.PictureFolder = QFileInfo(picture_path_).absolutePath() + "/";
    statusBar()->showMessage(picture_path_);
  } else {
    statusBar()->showMessage(QStringLiteral("画像ﾌｧｲﾙが指定されていません"));
  }
  ShowPicture();
  usr.InitBusy = false;
}

void PlainMainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  file->addAction(QStringLiteral("終了"), this, [this] {
    Shutdown();
    close();
  });
  QMenu* settings = menuBar()->addMenu(QStringLiteral("設定(&U)"));
  settings->addAction(QStringLiteral("「送る」にｼｮｰﾄｶｯﾄ作成"), this, [] {
    if (Usr().Ini) Usr().Ini->W_SendTo();
  });
  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  help->addAction(QStringLiteral("ﾍﾙﾌﾟ"), this, [] {
    if (Usr().Ini) Usr().Ini->W_Help(QStringLiteral("ruvel.htm"));
  });
}

void PlainMainWindow::ShowPicture() {
  if (picture_path_.isEmpty()) {
    view_->setText(QStringLiteral("画像編集 ツール　ライト"));
    return;
  }
  QImageReader reader(picture_path_);
  reader.setAutoTransform(true);
  const QImage image = reader.read();
  if (image.isNull()) {
    view_->setText(picture_path_ + QStringLiteral(" を表示できません"));
    return;
  }
  view_->setPixmap(QPixmap::fromImage(image));
}

void PlainMainWindow::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  UsrState& usr = Usr();
  const TwipsGeometry g = WindowTwips(this);
  settings_.left = g.left;
  settings_.top = g.top;
  settings_.width = g.width;
  settings_.height = g.height;
  settings_.picture_folder = usr.PictureFolder;
  if (!usr.Ini) return;
  SaveUserSettings(*usr.Ini, settings_);
  // A failed save leaves the old file as it was; the start-up has already
  // told the user when the folder is missing.
  (void)usr.Ini->SetTxt();
}

void PlainMainWindow::closeEvent(QCloseEvent* event) {
  // Only a close by the user saves; closes from program code do not.
  if (event->spontaneous()) Shutdown();
  event->accept();
}

}  // namespace ruvel
