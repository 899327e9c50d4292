// fmMain: the user's settings, the stamp pictures, closing and shutdown.
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QSessionManager>

#include "editor/picture_edit/urve.h"
#include "editor/shell/main_window/fm_main.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/screen.h"

namespace ruvel {

void fmMain::LoadSettings() {
  UsrState& usr = Usr();
  if (usr.Ini) {
    settings_ = LoadUserSettings(*usr.Ini, platform::CurrentScreen().Metrics());
  } else {
    // Without a settings document the defaults of an empty one apply.
    yIni blank;
    settings_ = LoadUserSettings(blank, platform::CurrentScreen().Metrics());
  }
  usr.PictureFolder = settings_.picture_folder;
  pic_->setUsrHani(settings_.user_range);

  menus_->SetParam(static_cast<int16_t>(settings_.edit_update), settings_.confirm_delete, true, settings_.display,
                   static_cast<int16_t>(settings_.mouse_mode), true);
  SetEditorCaptions();
  pic_->SetPram(static_cast<int16_t>(settings_.jpeg_quality), static_cast<int16_t>(settings_.edit_update),
                settings_.display, static_cast<int16_t>(settings_.mouse_mode), settings_.save_extension);

  if (settings_.width < 1 || settings_.height < 1) {
    setWindowState(Qt::WindowMaximized);
  } else {
    int32_t left = settings_.left, top = settings_.top, width = settings_.width, height = settings_.height;
    FitWorkArea(&left, &top, &width, &height);
    MoveWindowTwips(this, {left, top, width, height});
  }
}

void fmMain::SaveSettings() {
  UsrState& usr = Usr();
  const TwipsGeometry g = WindowTwips(this);
  settings_.left = g.left;
  settings_.top = g.top;
  settings_.width = g.width;
  settings_.height = g.height;
  settings_.picture_folder = usr.PictureFolder;
  settings_.user_range = pic_->UsrHani();
  int16_t quality = 0, update = 0, mouse = 0;
  QString display = settings_.display, extension;
  pic_->GetPram(&quality, &update, &display, &mouse, &extension);
  settings_.jpeg_quality = quality;
  settings_.display = display;
  settings_.mouse_mode = mouse;
  settings_.save_extension = extension;
  if (usr.Ini) SaveUserSettings(*usr.Ini, settings_);
}

// --- Stamps ---------------------------------------------------------------------------

void fmMain::ReadStamps() {
  const QString names = ListFiles(Usr().AppDataFolder, QStringLiteral("*.bmp"));
  stamps_ = names.isEmpty() ? QStringList{QString()} : names.split(QLatin1Char('\t'));
  stampIndex_ = 0;
  if (names.isEmpty()) return;
  const int found = stamps_.indexOf(settings_.stamp);
  if (found >= 0) stampIndex_ = found;
  ApplyStamp(false);
}

void fmMain::ApplyStamp(bool advance) {
  // Without stamp pictures there is nothing to show or hand over.
  if (stamps_.isEmpty() || stamps_.first().isEmpty()) return;
  if (advance) stampIndex_ = (stampIndex_ + 1) % stamps_.size();
  settings_.stamp = stamps_[stampIndex_];
  const QString path = Usr().AppDataFolder + settings_.stamp;
  const QPixmap picture(path);
  pnBmp_->setPixmap(picture.isNull() ? QPixmap()
                                     : picture.scaled(pnBmp_->size() - QSize(4, 4), Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation));
  stampFile_ = path;
  pic_->pcStampFL(path);
}

// --- Closing --------------------------------------------------------------------------

void fmMain::closeEvent(QCloseEvent* event) {
  if (shutDown_) {
    event->accept();
    return;
  }
  // Only the user's close runs the shutdown; closes by program code save
  // nothing.
  if (!event->spontaneous()) {
    event->accept();
    return;
  }
  if (pic_->vCheckSave() == 2) {
    event->ignore();
    return;
  }
  Shutdown(false);
  event->accept();
}

void fmMain::Shutdown(bool from_exit) {
  if (shutDown_) return;
  shutDown_ = true;
  UsrState& usr = Usr();
  // 1. The settings into the document.
  SaveSettings();
  // 2, 3. The picture's file is let go and the work files deleted.
  currentFile_.clear();
  pic_->cOff();
  // 4. The document to "User.xml" (atomically; a failure keeps the old file).
  if (usr.Ini) (void)usr.Ini->SetTxt();
  // 5. The editor's other windows close through their own close question.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == this || !w->isVisible() || qobject_cast<QMenu*>(w) || w == menus_) continue;
    w->close();
  }
  // 6.
  if (from_exit) close();
}

void fmMain::OnCommitData(QSessionManager& manager) {
  if (shutDown_) return;
  // The session is ending: ask about unsaved changes when the session
  // manager lets us, and keep the settings either way.
  if (manager.allowsInteraction()) {
    const int32_t answer = pic_->vCheckSave();
    manager.release();
    if (answer == 2) {
      manager.cancel();
      return;
    }
  }
  SaveSettings();
  if (Usr().Ini) (void)Usr().Ini->SetTxt();
}

}  // namespace ruvel
