// ppPic: popping up, recording, preparing the menus from the editor's
// state, and the starting marks.  The menu tree is in pp_pic_menus.cpp.
#include "editor/dialogs/pp_pic.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include "editor/shell/usr.h"

namespace ruvel {

namespace {

QPointer<ppPic>& CurrentInstance() {
  static QPointer<ppPic> instance;
  return instance;
}

ppPic::MenuRunner& Runner() {
  static ppPic::MenuRunner runner;
  return runner;
}

QString CaptionOf(const QAction* action) { return action->property("caption").toString(); }

}  // namespace

ppPic::ppPic(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ppPic"));
  hide();
  BuildFileMenu();
  BuildEditMenu();
  BuildSettingsMenu();
  BuildPictureMenu();
  if (!CurrentInstance()) CurrentInstance() = this;
}

ppPic::~ppPic() {
  // The top-level menus are this window's children and go with it.
}

ppPic* ppPic::Current() { return CurrentInstance().data(); }

void ppPic::SetMenuRunner(MenuRunner runner) { Runner() = std::move(runner); }

QMenu* ppPic::Menu(int16_t index) const {
  const auto it = top_.find(index);
  return it == top_.end() ? nullptr : it->second;
}

QAction* ppPic::Item(const QString& key) const {
  const auto it = items_.find(key);
  return it == items_.end() ? nullptr : it->second;
}

void ppPic::Record(const QString& group, const QString& caption) {
  group_ = group;
  const int cut = caption.indexOf(QStringLiteral("(&"));
  caption_ = cut >= 0 ? caption.left(cut) : caption;
}

void ppPic::PopUp(QWidget* form, int16_t index) {
  group_.clear();
  caption_.clear();
  QMenu* menu = Menu(index);
  if (!menu) return;
  Prepare(index);
  if (Runner()) {
    Runner()(menu, form);
  } else {
    menu->exec(QCursor::pos());
  }
}

void ppPic::Prepare(int16_t index) {
  PopupState state;
  // Values that could not be obtained keep their starting values.
  state.control.depth = -1;
  if (auto* source = dynamic_cast<MenuStateSource*>(Usr().MainForm.data())) {
    PopupState asked;
    if (source->GtMnState(&asked)) state = asked;
  }
  if (index == kMenuFile) PrepareFile(state);
  if (index == kMenuEdit) PrepareEdit(state);
}

void ppPic::PrepareFile(const PopupState& s) {
  const MenuState& c = s.control;
  Item("save")->setEnabled(c.changed);
  for (const char* key : {"saveAs", "copyNew", "print", "mail", "details", "delete"}) Item(key)->setEnabled(c.picture);
}

void ppPic::PrepareEdit(const PopupState& s) {
  const MenuState& c = s.control;
  Item("revert")->setEnabled(c.changed);
  Item("undo")->setEnabled(c.undo);
  Item("copy")->setEnabled(c.picture);
  Item("paste")->setEnabled(ClipboardHasPicture());
  Item("range")->setEnabled(!c.toolbar);
  for (const char* key : {"trim", "resize", "gap"}) Item(key)->setEnabled(c.selection);
  for (const char* key : {"rotate", "depth", "correct", "effects", "toolbar", "resolution", "zoom", "editors"})
    Item(key)->setEnabled(c.picture);
  Item("pan")->setEnabled(c.picture && c.panAllowed);
  Item("pan")->setChecked(s.marks.panWindowChecked);
  Item("toolbar")->setChecked(s.marks.toolbarChecked);
  // Selection submenu.
  for (const char* key : {"rangeClear", "rangeGrow", "rangeEmph", "rangeSwap"}) Item(key)->setEnabled(c.selection);
  FillRanges(s.marks);
  // Depth marks.
  for (QAction* a : depthItems_) a->setChecked(a->property("depth").toInt() == c.depth);
}

void ppPic::FillRanges(const PopupMenuState& marks) {
  rangeSeparator_->setVisible(marks.rangeHeaderVisible);
  while (rangeItems_.size() > marks.rangeCaptions.size()) delete rangeItems_.takeLast();
  while (rangeItems_.size() < marks.rangeCaptions.size()) {
    QAction* a = rangeMenu_->addAction(QString());
    connect(a, &QAction::triggered, this, [this, a] { Record(QStringLiteral("範囲"), CaptionOf(a)); });
    rangeItems_ << a;
  }
  for (int i = 0; i < rangeItems_.size(); ++i) {
    rangeItems_[i]->setText(marks.rangeCaptions[i]);
    rangeItems_[i]->setProperty("caption", marks.rangeCaptions[i]);
  }
}

void ppPic::SetLMenu() {
  Item("numbered")->setVisible(false);
  Item("thumbSep")->setVisible(false);
  Item("selectOnEnter")->setVisible(false);
  Item("thumbsPerFolder")->setVisible(false);
}

void ppPic::SetParam(int16_t edit_update, bool confirm_delete, bool select_on_enter, const QString& display,
                     int16_t mouse_mode, bool thumbs_per_folder) {
  const QList<QAction*> updates = updateGroup_->actions();
  if (edit_update >= 0 && edit_update < updates.size()) updates[edit_update]->setChecked(true);
  deleteGroup_->actions()[confirm_delete ? 0 : 1]->setChecked(true);
  // A display word that matches no item leaves every item unchecked.
  displayGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (QAction* a : displayGroup_->actions()) a->setChecked(CaptionOf(a) == display);
  displayGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  const QList<QAction*> mice = mouseGroup_->actions();
  if (mouse_mode >= 0 && mouse_mode < mice.size()) mice[mouse_mode]->setChecked(true);
  Item("selectOnEnter")->setChecked(select_on_enter);
  Item("thumbsPerFolder")->setChecked(thumbs_per_folder);
}

void ppPic::prEdtMode(const QString& mode) { Menu(kMenuEdit)->setEnabled(mode != kStateInitial); }

void ppPic::SetEditorItem(int k, const QString& caption) {
  if (k < 0 || k > 2) return;
  editors_[k]->setText(caption);
  editors_[k]->setProperty("caption", caption);
  editors_[k]->setVisible(!caption.isEmpty());
}

QAction* ppPic::Find(int16_t index, const QStringList& path) const {
  QMenu* menu = Menu(index);
  QAction* found = nullptr;
  for (int i = 0; menu && i < path.size(); ++i) {
    found = nullptr;
    for (QAction* a : menu->actions()) {
      if (!a->isSeparator() && CaptionOf(a) == path[i]) {
        found = a;
        break;
      }
    }
    if (!found) return nullptr;
    menu = found->menu();
  }
  return found;
}

bool TriggerMenuPath(QMenu* menu, const QStringList& captions) {
  if (!menu || captions.isEmpty() || !menu->isEnabled()) return false;
  for (int i = 0; i < captions.size(); ++i) {
    QAction* found = nullptr;
    for (QAction* a : menu->actions()) {
      if (!a->isSeparator() && CaptionOf(a) == captions[i]) {
        found = a;
        break;
      }
    }
    if (!found || !found->isVisible() || !found->isEnabled()) return false;
    if (i + 1 == captions.size()) {
      found->trigger();
      return true;
    }
    menu = found->menu();
    if (!menu) return false;
    emit menu->aboutToShow();
  }
  return false;
}

bool ClipboardHasPicture() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return false;
  return data->hasImage() || data->hasFormat(QStringLiteral("image/x-emf")) ||
         data->hasFormat(QStringLiteral("image/bmp"));
}

}  // namespace ruvel
