// sbPic: the sub picture window.
#include "editor/dialogs/sbPic.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <cmath>

#include "editor/dialogs/pp_pic.h"
#include "editor/dialogs/spImgSV.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"

namespace ruvel {
namespace {

QPointer<sbPic>& OpenWindow() {
  static QPointer<sbPic> window;
  return window;
}

// The caption a menu item records: cut before "(&".
QString RecordedCaption(const QString& caption) {
  const int cut = caption.indexOf(QStringLiteral("(&"));
  return cut < 0 ? caption : caption.left(cut);
}

// Depth items and the depth code each is checked for.
struct DepthItem {
  const char* caption;
  int code;
};
constexpr DepthItem kDepthItems[] = {{"白黒", 1},      {"16色(4bit)", 4}, {"ｸﾞﾚ-(4bit)", 40}, {"256色(8bit)", 8},
                                     {"ｸﾞﾚ-(8bit)", 80}, {"16ﾋﾞｯﾄ", 16},   {"24ﾋﾞｯﾄ", 24},     {"32ﾋﾞｯﾄ", 32}};

}  // namespace

sbPic::sbPic(QWidget* parent) : QMainWindow(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  picture_ = new uRvE(this);
  setCentralWidget(picture_);
  BuildMenus();

  connect(picture_, &uRvE::eStPcTyp, this,
          [this](const QString& file, const QString&, const QString&) { setWindowTitle(file); });
  connect(picture_, &uRvE::eAskPcPh, this, [](QString* folder) { *folder = Usr().PictureFolder; },
          Qt::DirectConnection);
  connect(picture_, &uRvE::ePopUp, this, &sbPic::PopUpEditMenu);
  // Key preview: the window sees its keys before the picture does.
  qApp->installEventFilter(this);
}

sbPic::~sbPic() {
  qApp->removeEventFilter(this);
  if (OpenWindow() == this) OpenWindow() = nullptr;
}

sbPic* sbPic::Current() { return OpenWindow().data(); }

sbPic* sbPic::Act() {
  if (sbPic* open = Current()) {
    open->showNormal();
    open->raise();
    open->activateWindow();
    return open;
  }
  auto* window = new sbPic;
  OpenWindow() = window;
  if (QWidget* main = Usr().MainForm.data()) {
    const QRect m = main->geometry();
    window->resize(static_cast<int>(std::lround(m.width() * 0.9)), static_cast<int>(std::lround(m.height() * 0.9)));
    window->move(static_cast<int>(std::lround(main->frameGeometry().left() + m.width() * 0.1)),
                 static_cast<int>(std::lround(main->frameGeometry().top() + m.height() * 0.1)));
  } else {
    window->resize(800, 600);
  }
  const QString work = Usr().UserDataFolder + kSubWorkFolder;
  QDir().mkpath(work);
  window->picture_->cOn(window, work);
  window->show();
  window->picture_->StSize();
  return window;
}

// --- Menus ------------------------------------------------------------------------

QAction* sbPic::AddItem(QMenu* menu, const QString& caption, const QString& group, const QString& shortcut) {
  QAction* action = menu->addAction(shortcut.isEmpty() ? caption : caption + "\t" + shortcut);
  const QString recorded = RecordedCaption(caption);
  action->setData(QStringList{group, recorded});
  connect(action, &QAction::triggered, this, [this, group, recorded] { Route(group, recorded); });
  return action;
}

void sbPic::BuildMenus() {
  QMenuBar* bar = menuBar();
  const QString file = QStringLiteral("ﾌｧｲﾙ");
  fileMenu_ = bar->addMenu(file);
  AddItem(fileMenu_, QStringLiteral("新規作成"), file);
  AddItem(fileMenu_, QStringLiteral("ﾌｧｲﾙを開く(&O)"), file, "Ctrl+O");
  AddItem(fileMenu_, QStringLiteral("ｽｷｬﾅｰから読込"), file);
  fileMenu_->addSeparator();
  AddItem(fileMenu_, QStringLiteral("上書き保存(&S)"), file, "F8");
  AddItem(fileMenu_, QStringLiteral("名前を付けて保存(&A)"), file);
  AddItem(fileMenu_, QStringLiteral("別名保存(詳細指定)"), file);
  fileMenu_->addSeparator();
  AddItem(fileMenu_, QStringLiteral("終了(&X)"), file);
  connect(fileMenu_, &QMenu::aboutToShow, this, &sbPic::PrepareFileMenu);

  const QString edit = QStringLiteral("画像編集");
  editMenu_ = bar->addMenu(edit);
  AddItem(editMenu_, QStringLiteral("読込時に戻す"), edit);
  AddItem(editMenu_, QStringLiteral("編集を一つ戻す"), edit, "Ctrl+Z");
  editMenu_->addSeparator();
  AddItem(editMenu_, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"), edit, "Ctrl+C");
  AddItem(editMenu_, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"), edit, "Ctrl+V");
  editMenu_->addSeparator();

  const QString range = QStringLiteral("範囲");
  rangeMenu_ = editMenu_->addMenu(QStringLiteral("選択範囲"));
  rangeMenuAction_ = rangeMenu_->menuAction();
  AddItem(rangeMenu_, QStringLiteral("範囲の登録"), range);
  AddItem(rangeMenu_, QStringLiteral("範囲のｸﾘｱ"), range);
  rangeMenu_->addSeparator();
  AddItem(rangeMenu_, QStringLiteral("現在のｻｲｽﾞを保存"), range);
  AddItem(rangeMenu_, QStringLiteral("前回のｻｲｽﾞを呼出"), range)->setEnabled(false);
  rangeMenu_->addSeparator();
  AddItem(rangeMenu_, QStringLiteral("選択範囲を拡大"), range);
  emphasisMenu_ = rangeMenu_->addMenu(QStringLiteral("選択範囲を強調"));
  AddItem(emphasisMenu_, QStringLiteral("相対"), range);
  AddItem(emphasisMenu_, QStringLiteral("ﾏｰｶｰ"), range);
  AddItem(rangeMenu_, QStringLiteral("X-Y変換"), range);
  editMenu_->addSeparator();

  AddItem(editMenu_, QStringLiteral("ﾄﾘﾐﾝｸﾞ"), edit, "Ctrl+T");
  QMenu* resize = editMenu_->addMenu(QStringLiteral("ﾘｻｲｽﾞ"));
  const QString resizeGroup = QStringLiteral("ﾘｻｲｽﾞ");
  AddItem(resize, QStringLiteral("横方向を基準に縮小"), resizeGroup);
  AddItem(resize, QStringLiteral("縦方向を基準に縮小"), resizeGroup);
  resize->addSeparator();
  AddItem(resize, QStringLiteral("縦横比率を変えて縮小"), resizeGroup);
  QMenu* gap = editMenu_->addMenu(QStringLiteral("綴じ込み"));
  AddItem(gap, QStringLiteral("横方向"), QStringLiteral("綴じ込み"));
  AddItem(gap, QStringLiteral("縦方向"), QStringLiteral("綴じ込み"));
  QMenu* rotate = editMenu_->addMenu(QStringLiteral("回転"));
  const QString rot = QStringLiteral("回転");
  AddItem(rotate, QStringLiteral("左右反転"), rot);
  AddItem(rotate, QStringLiteral("上下反転"), rot);
  rotate->addSeparator();
  AddItem(rotate, QStringLiteral("右90度"), rot, "Ctrl+R");
  AddItem(rotate, QStringLiteral("右180度"), rot);
  AddItem(rotate, QStringLiteral("左90度"), rot, "Ctrl+L");
  AddItem(rotate, QStringLiteral("左180度"), rot);
  rotate->addSeparator();
  AddItem(rotate, QStringLiteral("詳細指定"), rot);
  editMenu_->addSeparator();

  const QString depth = QStringLiteral("色数");
  depthMenu_ = editMenu_->addMenu(depth);
  for (const DepthItem& item : kDepthItems) AddItem(depthMenu_, QString::fromUtf8(item.caption), depth)->setCheckable(true);
  depthMenu_->addSeparator();
  AddItem(depthMenu_, QStringLiteral("詳細指定"), depth);

  QMenu* correct = editMenu_->addMenu(QStringLiteral("補正"));
  const QString corr = QStringLiteral("補正");
  for (const char* c : {"ﾉｲｽﾞの除去", "淵を滑らかに", "ぼかし", "ｼｬ-ﾌﾟ", "ｽﾌﾟﾗｲﾝ補正"})
    AddItem(correct, QString::fromUtf8(c), corr);
  QMenu* light = correct->addMenu(QStringLiteral("明度"));
  for (const char* c : {"明るく", "やや明るく", "やや暗く", "暗く"}) AddItem(light, QString::fromUtf8(c), QStringLiteral("明度"));
  QMenu* satur = correct->addMenu(QStringLiteral("彩度"));
  for (const char* c : {"鮮やか", "やや鮮やか", "やや淡く", "淡く"}) AddItem(satur, QString::fromUtf8(c), QStringLiteral("彩度"));
  correct->addSeparator();
  AddItem(correct, QStringLiteral("詳細指定"), corr);

  QMenu* effect = editMenu_->addMenu(QStringLiteral("効果"));
  const QString eff = QStringLiteral("効果");
  for (const char* c : {"ｴﾝﾎﾞｽ", "ﾓｻﾞｲｸ", "輪郭", "ﾓｰｼｮﾝ", "波", "波紋", "渦巻", "ﾚﾝｽﾞ", "ｷｬﾝﾊﾞｽ"})
    AddItem(effect, QString::fromUtf8(c), eff);
  QMenu* invert = effect->addMenu(QStringLiteral("色反転"));
  for (const char* c : {"Red", "Green", "Blue", "Red Green Blue"}) AddItem(invert, QString::fromUtf8(c), QStringLiteral("色反転"));
  effect->addSeparator();
  AddItem(effect, QStringLiteral("詳細指定"), eff);

  AddItem(editMenu_, QStringLiteral("ﾂｰﾙﾊﾞｰを表示"), edit)->setCheckable(true);
  editMenu_->addSeparator();
  AddItem(editMenu_, QStringLiteral("解像度"), edit);
  editMenu_->addSeparator();
  QMenu* zoom = editMenu_->addMenu(QStringLiteral("ｽﾞｰﾑ"));
  for (const char* c : {" 50%", " 60%", " 70%", " 80%", " 90%", "100%", "150%", "200%", "300%", "500%", "750%", "1000%"})
    AddItem(zoom, QString::fromUtf8(c), QStringLiteral("拡大"));
  connect(editMenu_, &QMenu::aboutToShow, this, &sbPic::PrepareEditMenu);

  // The view items are shown as in the main popup; they do nothing here.
  viewMenu_ = bar->addMenu(QStringLiteral("表示"));
  for (const char* c : {"ｽｹｰﾙ", "実寸", "横合わせ", "縦合わせ", "ｽﾄﾚｯﾁ"}) {
    QAction* a = viewMenu_->addAction(QString::fromUtf8(c));
    a->setCheckable(true);
    a->setChecked(QString::fromUtf8(c) == QStringLiteral("ｽｹｰﾙ"));
  }
}

QAction* sbPic::FindAction(const QString& group, const QString& caption) const {
  const QStringList wanted{group, caption};
  for (QAction* a : menuBar()->findChildren<QAction*>()) {
    if (a->data().toStringList() == wanted) return a;
  }
  return nullptr;
}

void sbPic::PrepareFileMenu() {
  const MenuState s = picture_->GtMnState();
  FindAction(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("上書き保存"))->setEnabled(s.changed);
  FindAction(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("名前を付けて保存"))->setEnabled(s.picture);
  FindAction(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("別名保存(詳細指定)"))->setEnabled(s.picture);
}

void sbPic::BuildRangeMenu() {
  for (QAction* a : rangeItems_) {
    rangeMenu_->removeAction(a);
    a->deleteLater();
  }
  rangeItems_.clear();
  const PopupMenuState& popup = picture_->PopupMenu();
  if (!popup.rangeHeaderVisible || popup.rangeCaptions.isEmpty()) return;
  rangeItems_ << rangeMenu_->addSeparator();
  for (const QString& caption : popup.rangeCaptions) rangeItems_ << AddItem(rangeMenu_, caption, QStringLiteral("範囲"));
}

void sbPic::PrepareEditMenu() {
  const MenuState s = picture_->GtMnState();
  const QString edit = QStringLiteral("画像編集");
  const QString range = QStringLiteral("範囲");
  FindAction(edit, QStringLiteral("読込時に戻す"))->setEnabled(s.changed);
  FindAction(edit, QStringLiteral("編集を一つ戻す"))->setEnabled(s.undo);
  FindAction(edit, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"))->setEnabled(s.picture);
  FindAction(edit, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"))->setEnabled(ClipboardHasPicture());
  rangeMenuAction_->setEnabled(!s.toolbar);
  for (const char* c : {"範囲のｸﾘｱ", "現在のｻｲｽﾞを保存", "選択範囲を拡大", "X-Y変換"})
    FindAction(range, QString::fromUtf8(c))->setEnabled(s.selection);
  emphasisMenu_->menuAction()->setEnabled(s.selection);
  FindAction(edit, QStringLiteral("ﾄﾘﾐﾝｸﾞ"))->setEnabled(s.selection);
  for (QAction* a : editMenu_->actions()) {
    if (a->menu() == nullptr) continue;
    const QString title = a->text();
    if (title == QStringLiteral("ﾘｻｲｽﾞ") || title == QStringLiteral("綴じ込み")) a->setEnabled(s.selection);
    if (title == QStringLiteral("回転") || title == QStringLiteral("色数") || title == QStringLiteral("補正") ||
        title == QStringLiteral("効果") || title == QStringLiteral("ｽﾞｰﾑ"))
      a->setEnabled(s.picture);
  }
  QAction* toolbar = FindAction(edit, QStringLiteral("ﾂｰﾙﾊﾞｰを表示"));
  toolbar->setEnabled(s.picture);
  toolbar->setChecked(picture_->PopupMenu().toolbarChecked);
  FindAction(edit, QStringLiteral("解像度"))->setEnabled(s.picture);
  for (QAction* a : depthMenu_->actions()) {
    const QStringList d = a->data().toStringList();
    if (!a->isCheckable() || d.size() != 2) continue;
    bool checked = false;
    for (const DepthItem& item : kDepthItems)
      if (d[1] == QString::fromUtf8(item.caption)) checked = item.code == s.depth;
    a->setChecked(checked);
  }
  BuildRangeMenu();
}

void sbPic::PopUpEditMenu() {
  PrepareEditMenu();
  editMenu_->exec(QCursor::pos());
}

// --- Routing and keys ------------------------------------------------------------------

void sbPic::Route(const QString& group, const QString& caption) {
  if (group.isEmpty() || caption.isEmpty()) return;
  if (group == QStringLiteral("ﾌｧｲﾙ") && caption == QStringLiteral("別名保存(詳細指定)")) {
    spImgSV::Act(static_cast<imaging::MemHandle>(picture_->GetHndle()), this);
  } else if (group == QStringLiteral("ﾌｧｲﾙ") && caption == QStringLiteral("終了")) {
    if (picture_->vCheckSave() != 2) {
      closeConfirmed_ = true;
      close();
    }
  } else {
    picture_->pcAct(group, caption);
  }
}

bool sbPic::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  modifiers &= ~Qt::KeypadModifier;
  const QString file = QStringLiteral("ﾌｧｲﾙ");
  const QString edit = QStringLiteral("画像編集");
  if (modifiers == Qt::NoModifier) {
    if (key != Qt::Key_F8) return false;
    picture_->pcAct(file, QStringLiteral("上書き保存"));
    return true;
  }
  if (modifiers != Qt::ControlModifier) return false;
  switch (key) {
    case Qt::Key_O: picture_->pcAct(file, QStringLiteral("ﾌｧｲﾙを開く")); return true;
    case Qt::Key_S: picture_->pcAct(file, QStringLiteral("上書き保存")); return true;
    case Qt::Key_V: picture_->pcAct(edit, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規")); return true;
    case Qt::Key_C: picture_->pcAct(edit, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ")); return true;
    case Qt::Key_T: picture_->pcAct(edit, QStringLiteral("ﾄﾘﾐﾝｸﾞ")); return true;
    case Qt::Key_Z: picture_->pcAct(edit, QStringLiteral("編集を一つ戻す")); return true;
    case Qt::Key_W: picture_->pcAct(file, QStringLiteral("連番をつけて作業ﾌｫﾙﾀﾞに複写")); return true;
    case Qt::Key_P: picture_->pcAct(file, QStringLiteral("印刷")); return true;
    case Qt::Key_R: picture_->pcAct(QStringLiteral("回転"), QStringLiteral("右90度")); return true;
    case Qt::Key_L: picture_->pcAct(QStringLiteral("回転"), QStringLiteral("左90度")); return true;
    case Qt::Key_M: return true;  // mail is the main window's
    default: return false;
  }
}

bool sbPic::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys of this window only, and not while one of its menus is open.
    if (widget != nullptr && widget->window() == this && qobject_cast<QMenu*>(widget) == nullptr) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (HandleKey(key->key(), key->modifiers())) return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void sbPic::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (Usr().Started && !isMinimized()) picture_->StSize();
}

void sbPic::closeEvent(QCloseEvent* event) {
  if (!closeConfirmed_ && picture_->vCheckSave() == 2) {
    event->ignore();
    return;
  }
  closeConfirmed_ = true;
  picture_->cOff();
  event->accept();
}

}  // namespace ruvel
