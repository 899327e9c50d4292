// ppPic: the menu tree.  Every item records its pair through Record(); the
// items that the preparation, SetParam and SetLMenu reach are kept in
// items_ under a short key.
#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "editor/dialogs/pp_pic.h"
#include "editor/shell/usr.h"
#include "editor/shell/y_ini.h"

namespace ruvel {

namespace {

const QString kFile = QStringLiteral("ﾌｧｲﾙ");
const QString kEdit = QStringLiteral("画像編集");

}  // namespace

QMenu* ppPic::NewMenu(QMenu* parent, const QString& caption) {
  auto* menu = new QMenu(caption, parent ? static_cast<QWidget*>(parent) : this);
  menu->menuAction()->setProperty("caption", caption);
  if (parent) parent->addMenu(menu);
  return menu;
}

QAction* ppPic::AddItem(QMenu* menu, const QString& caption, const QString& group, const QString& shortcut) {
  // The text after a TAB is shown as the item's shortcut; the keys
  // themselves belong to the main window.
  QAction* action = menu->addAction(shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcut);
  action->setProperty("caption", caption);
  if (!group.isEmpty()) {
    connect(action, &QAction::triggered, this, [this, group, caption] { Record(group, caption); });
  }
  return action;
}

QActionGroup* ppPic::AddRadioGroup(QMenu* menu, const QStringList& captions, const QString& group,
                                   const QStringList& jobs) {
  auto* radio = new QActionGroup(menu);
  radio->setExclusive(true);
  for (int i = 0; i < captions.size(); ++i) {
    const QString job = jobs.isEmpty() ? captions[i] : jobs[i];
    QAction* action = menu->addAction(captions[i]);
    action->setProperty("caption", captions[i]);
    action->setCheckable(true);
    action->setChecked(i == 0);
    radio->addAction(action);
    // The exclusive group has checked the item before triggered() arrives.
    connect(action, &QAction::triggered, this, [this, group, job] { Record(group, job); });
  }
  return radio;
}

void ppPic::BuildFileMenu() {
  QMenu* m = NewMenu(nullptr, kFile);
  top_[kMenuFile] = m;
  AddItem(m, QStringLiteral("新規作成"), kFile);
  AddItem(m, QStringLiteral("ﾌｧｲﾙを開く(&O)"), kFile, QStringLiteral("Ctrl+O"));
  AddItem(m, QStringLiteral("ｽｷｬﾅｰから読込"), kFile);
  m->addSeparator();
  items_["save"] = AddItem(m, QStringLiteral("上書き保存(&S)"), kFile, QStringLiteral("F8"));
  items_["saveAs"] = AddItem(m, QStringLiteral("名前を付けて保存(&A)"), kFile);
  AddItem(m, QStringLiteral("別名保存(詳細指定)"), kFile);
  m->addSeparator();
  items_["copyNew"] = AddItem(m, QStringLiteral("複写して新規"), kFile);
  items_["numbered"] = AddItem(m, QStringLiteral("連番をつけて作業ﾌｫﾙﾀﾞに複写"), kFile, QStringLiteral("Ctrl+W"));
  items_["numberedSep"] = m->addSeparator();
  AddItem(m, QStringLiteral("ｻﾌﾞﾌｫｰﾑを開く"), kFile);
  m->addSeparator();
  AddItem(m, QStringLiteral("印刷設定(&U)"), kFile);
  items_["print"] = AddItem(m, QStringLiteral("印刷(&P)"), kFile, QStringLiteral("Ctrl+P"));
  m->addSeparator();
  items_["mail"] = AddItem(m, QStringLiteral("画像を添付してﾒｰﾙ"), kFile, QStringLiteral("Ctrl+M"));
  items_["details"] = AddItem(m, QStringLiteral("ﾌｧｲﾙの詳細"), kFile);
  m->addSeparator();
  items_["delete"] = AddItem(m, QStringLiteral("ﾌｧｲﾙを削除"), kFile);
  m->addSeparator();
  AddItem(m, QStringLiteral("終了(&X)"), kFile);
}

void ppPic::BuildEditMenu() {
  QMenu* m = NewMenu(nullptr, kEdit);
  top_[kMenuEdit] = m;
  items_["revert"] = AddItem(m, QStringLiteral("読込時に戻す"), kEdit);
  items_["undo"] = AddItem(m, QStringLiteral("編集を一つ戻す"), kEdit, QStringLiteral("Ctrl+Z"));
  m->addSeparator();
  items_["copy"] = AddItem(m, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"), kEdit, QStringLiteral("Ctrl+C"));
  items_["paste"] = AddItem(m, QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"), kEdit, QStringLiteral("Ctrl+V"));
  m->addSeparator();
  BuildRangeMenu(m);
  m->addSeparator();
  items_["trim"] = AddItem(m, QStringLiteral("ﾄﾘﾐﾝｸﾞ"), kEdit, QStringLiteral("Ctrl+T"));

  QMenu* resize = NewMenu(m, QStringLiteral("ﾘｻｲｽﾞ"));
  items_["resize"] = resize->menuAction();
  const QString kResize = QStringLiteral("ﾘｻｲｽﾞ");
  AddItem(resize, QStringLiteral("横方向を基準に縮小"), kResize);
  AddItem(resize, QStringLiteral("縦方向を基準に縮小"), kResize);
  resize->addSeparator();
  AddItem(resize, QStringLiteral("縦横比率を変えて縮小"), kResize);

  QMenu* gap = NewMenu(m, QStringLiteral("綴じ込み"));
  items_["gap"] = gap->menuAction();
  AddItem(gap, QStringLiteral("横方向"), QStringLiteral("綴じ込み"));
  AddItem(gap, QStringLiteral("縦方向"), QStringLiteral("綴じ込み"));

  QMenu* rotate = NewMenu(m, QStringLiteral("回転"));
  items_["rotate"] = rotate->menuAction();
  const QString kRotate = QStringLiteral("回転");
  AddItem(rotate, QStringLiteral("左右反転"), kRotate);
  AddItem(rotate, QStringLiteral("上下反転"), kRotate);
  rotate->addSeparator();
  AddItem(rotate, QStringLiteral("右90度"), kRotate, QStringLiteral("Ctrl+R"));
  AddItem(rotate, QStringLiteral("右180度"), kRotate);
  AddItem(rotate, QStringLiteral("左90度"), kRotate, QStringLiteral("Ctrl+L"));
  AddItem(rotate, QStringLiteral("左180度"), kRotate);
  rotate->addSeparator();
  AddItem(rotate, QStringLiteral("詳細指定"), kRotate);
  m->addSeparator();

  BuildDepthMenu(m);
  BuildCorrectionMenu(m);
  BuildEffectsMenu(m);
  items_["toolbar"] = AddItem(m, QStringLiteral("ﾂｰﾙﾊﾞｰを表示"), kEdit);
  items_["toolbar"]->setCheckable(true);
  // The check mark follows the control's toolbar, not the click.
  connect(items_["toolbar"], &QAction::triggered, items_["toolbar"], [a = items_["toolbar"]] { a->setChecked(!a->isChecked()); });
  m->addSeparator();
  items_["resolution"] = AddItem(m, QStringLiteral("解像度"), kEdit);
  m->addSeparator();

  QMenu* zoom = NewMenu(m, QStringLiteral("ｽﾞｰﾑ"));
  items_["zoom"] = zoom->menuAction();
  connect(zoom, &QMenu::aboutToShow, this, [this] { Record(QStringLiteral("画像編集"), QStringLiteral("ｽﾞｰﾑ")); });
  for (const char* z : {" 50%", " 60%", " 70%", " 80%", " 90%", "100%", "150%", "200%", "300%", "500%", "750%",
                        "1000%"}) {
    AddItem(zoom, QString::fromLatin1(z), QStringLiteral("拡大"));
  }

  QMenu* editors = NewMenu(m, QStringLiteral("画像ｴﾃﾞｨﾀ"));
  items_["editors"] = editors->menuAction();
  for (int k = 0; k < 3; ++k) {
    editors_[k] = AddItem(editors, QString(), QString());
    connect(editors_[k], &QAction::triggered, this,
            [this, k] { Record(QStringLiteral("APR"), QString::number(k)); });
    editors_[k]->setVisible(false);
  }
  editors->addSeparator();
  QAction* reg = AddItem(editors, QStringLiteral("画像ｴﾃﾞｨﾀの登録"), QString());
  connect(reg, &QAction::triggered, this, [this] { Record(QStringLiteral("APR"), QStringLiteral("4")); });
  m->addSeparator();

  QAction* pan = AddItem(m, QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳの表示"), QString());
  items_["pan"] = pan;
  pan->setCheckable(true);
  connect(pan, &QAction::triggered, this, [this, pan] {
    Record(QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳ"), pan->isChecked() ? QStringLiteral("表示") : QStringLiteral("非表示"));
  });
}

void ppPic::BuildRangeMenu(QMenu* parent) {
  const QString kRange = QStringLiteral("範囲");
  QMenu* r = NewMenu(parent, QStringLiteral("選択範囲"));
  rangeMenu_ = r;
  items_["range"] = r->menuAction();
  AddItem(r, QStringLiteral("範囲の登録"), kRange);
  items_["rangeClear"] = AddItem(r, QStringLiteral("範囲のｸﾘｱ"), kRange);
  r->addSeparator();
  items_["rangeGrow"] = AddItem(r, QStringLiteral("選択範囲を拡大"), kRange);
  QMenu* emph = NewMenu(r, QStringLiteral("選択範囲を強調"));
  items_["rangeEmph"] = emph->menuAction();
  connect(emph, &QMenu::aboutToShow, this, [this] { Record(QStringLiteral("範囲"), QStringLiteral("選択範囲を強調")); });
  AddItem(emph, QStringLiteral("相対"), kRange);
  AddItem(emph, QStringLiteral("ﾏｰｶｰ"), kRange);
  items_["rangeSwap"] = AddItem(r, QStringLiteral("X-Y変換"), kRange);
  // The registered ranges follow a separator of their own (the list's
  // header entry), filled before the menu opens.
  rangeSeparator_ = r->addSeparator();
  rangeSeparator_->setVisible(false);
}

void ppPic::BuildDepthMenu(QMenu* parent) {
  QMenu* d = NewMenu(parent, QStringLiteral("色数"));
  items_["depth"] = d->menuAction();
  const QString kDepth = QStringLiteral("色数");
  const std::pair<const char*, int> entries[] = {{"白黒", 1},          {"16色(4bit)", 4}, {"ｸﾞﾚ-(4bit)", 40},
                                                 {"256色(8bit)", 8},   {"ｸﾞﾚ-(8bit)", 80}, {"16ﾋﾞｯﾄ", 16},
                                                 {"24ﾋﾞｯﾄ", 24},       {"32ﾋﾞｯﾄ", 32}};
  for (const auto& [caption, code] : entries) {
    QAction* a = AddItem(d, QString::fromUtf8(caption), kDepth);
    a->setCheckable(true);
    a->setProperty("depth", code);
    // Checks show the picture's depth, not the click.
    connect(a, &QAction::triggered, a, [a] { a->setChecked(!a->isChecked()); });
    depthItems_ << a;
  }
  d->addSeparator();
  AddItem(d, QStringLiteral("詳細指定"), kDepth);
}

void ppPic::BuildCorrectionMenu(QMenu* parent) {
  QMenu* c = NewMenu(parent, QStringLiteral("補正"));
  items_["correct"] = c->menuAction();
  for (const char* s : {"ﾉｲｽﾞの除去", "淵を滑らかに", "ぼかし", "ｼｬ-ﾌﾟ", "ｽﾌﾟﾗｲﾝ補正"})
    AddItem(c, QString::fromUtf8(s), QStringLiteral("補正"));
  QMenu* light = NewMenu(c, QStringLiteral("明度"));
  for (const char* s : {"明るく", "やや明るく", "やや暗く", "暗く"}) AddItem(light, QString::fromUtf8(s), QStringLiteral("明度"));
  QMenu* sat = NewMenu(c, QStringLiteral("彩度"));
  for (const char* s : {"鮮やか", "やや鮮やか", "やや淡く", "淡く"}) AddItem(sat, QString::fromUtf8(s), QStringLiteral("彩度"));
  c->addSeparator();
  AddItem(c, QStringLiteral("詳細指定"), QStringLiteral("補正"));
}

void ppPic::BuildEffectsMenu(QMenu* parent) {
  QMenu* e = NewMenu(parent, QStringLiteral("効果"));
  items_["effects"] = e->menuAction();
  for (const char* s : {"ｴﾝﾎﾞｽ", "ﾓｻﾞｲｸ", "輪郭", "ﾓｰｼｮﾝ", "波", "波紋", "渦巻", "ﾚﾝｽﾞ", "ｷｬﾝﾊﾞｽ"})
    AddItem(e, QString::fromUtf8(s), QStringLiteral("効果"));
  QMenu* inv = NewMenu(e, QStringLiteral("色反転"));
  for (const char* s : {"Red", "Green", "Blue", "Red Green Blue"}) AddItem(inv, QString::fromUtf8(s), QStringLiteral("色反転"));
  e->addSeparator();
  AddItem(e, QStringLiteral("詳細指定"), QStringLiteral("効果"));
}

void ppPic::BuildSettingsMenu() {
  QMenu* m = NewMenu(nullptr, QStringLiteral("設定"));
  top_[kMenuSettings] = m;
  QMenu* update = NewMenu(m, QStringLiteral("更新確認等"));
  updateGroup_ = AddRadioGroup(update,
                               {QStringLiteral("変更画像を閉じる時には更新確認"),
                                QStringLiteral("変更画像を閉じる時も確認等はしない"),
                                QStringLiteral("変更画像を閉じる時には自動的に更新する")},
                               QStringLiteral("編集更新"),
                               {QStringLiteral("確認有"), QStringLiteral("確認無"), QStringLiteral("自動更新")});
  update->addSeparator();
  deleteGroup_ = AddRadioGroup(update, {QStringLiteral("削除実行前に確認をする"), QStringLiteral("削除実行前に確認しない")},
                               QStringLiteral("削除前"), {QStringLiteral("確認有"), QStringLiteral("確認無")});
  QMenu* display = NewMenu(m, QStringLiteral("表示"));
  displayGroup_ = AddRadioGroup(display,
                                {QStringLiteral("ｽｹｰﾙ"), QStringLiteral("実寸"), QStringLiteral("横合わせ"),
                                 QStringLiteral("縦合わせ"), QStringLiteral("ｽﾄﾚｯﾁ")},
                                QStringLiteral("表示"));
  QMenu* mouse = NewMenu(m, QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"));
  mouseGroup_ = AddRadioGroup(mouse, {QStringLiteral("矩形選択"), QStringLiteral("位置移動"), QStringLiteral("拡大縮小")},
                              QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"));
  m->addSeparator();
  QAction* source = AddItem(m, QStringLiteral("ｽｷｬﾝｿｰｽの選択"), QString());
  connect(source, &QAction::triggered, this, [this] { Record(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ｽｷｬﾝｿｰｽ")); });
  m->addSeparator();
  QAction* send_to = AddItem(m, QStringLiteral("「送る」にｼｮｰﾄｶｯﾄ作成"), QString());
  connect(send_to, &QAction::triggered, this, [] {
    if (Usr().Ini) Usr().Ini->W_SendTo();
  });
  // Options of the folder-tree edition; kept for SetParam, never shown here.
  items_["thumbSep"] = m->addSeparator();
  items_["selectOnEnter"] = AddItem(m, QStringLiteral("ｴﾝﾀｰで選択"), QString());
  items_["selectOnEnter"]->setCheckable(true);
  items_["thumbsPerFolder"] = AddItem(m, QStringLiteral("ﾌｫﾙﾀﾞ毎にｻﾑﾈｲﾙ"), QString());
  items_["thumbsPerFolder"]->setCheckable(true);
}

void ppPic::BuildPictureMenu() {
  QMenu* m = NewMenu(nullptr, QStringLiteral("画像"));
  top_[kMenuPicture] = m;
  QAction* apply = AddItem(m, QStringLiteral("画像を更新して閉じる"), QString());
  connect(apply, &QAction::triggered, this, [this] { Record(QStringLiteral("sbImg"), QStringLiteral("更新")); });
  QAction* close = AddItem(m, QStringLiteral("編集はｷｬﾝｾﾙして閉じる"), QString());
  connect(close, &QAction::triggered, this, [this] { Record(QStringLiteral("sbImg"), QStringLiteral("閉じる")); });
}

}  // namespace ruvel
