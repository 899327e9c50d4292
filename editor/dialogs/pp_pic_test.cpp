#include "editor/dialogs/pp_pic.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <gtest/gtest.h>

#include "editor/shell/usr.h"

namespace ruvel {
namespace {

// A main window stand-in answering the state query.
class FakeMain : public QWidget, public MenuStateSource {
 public:
  bool GtMnState(PopupState* state) override {
    ++asked;
    *state = answer;
    return true;
  }
  PopupState answer;
  int asked = 0;
};

class PpPicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUsr();
    Usr().MainForm = &main_;
  }
  void TearDown() override {
    ppPic::SetMenuRunner(nullptr);
    ResetUsr();
  }
  // Pops up a menu and chooses the item along path.
  std::pair<QString, QString> Choose(int16_t index, const QStringList& path) {
    bool ok = false;
    ppPic::SetMenuRunner([&](QMenu* m, QWidget*) { ok = TriggerMenuPath(m, path); });
    menus_.PopUp(&main_, index);
    EXPECT_TRUE(ok) << path.join('/').toStdString();
    return {menus_.sGrp(), menus_.sCap()};
  }
  static PopupState Everything() {
    PopupState s;
    s.control = MenuState{true, true, true, true, 24, true, false};
    return s;
  }

  FakeMain main_;
  ppPic menus_;
};

struct Case {
  int16_t menu;
  QStringList path;
  QString group;
  QString caption;
};

TEST_F(PpPicTest, EveryItemRecordsItsPair) {
  main_.answer = Everything();
  main_.answer.marks.rangeHeaderVisible = true;
  main_.answer.marks.rangeCaptions = {QStringLiteral("名刺(9.1 * 5.5 cm)")};
  QApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
  menus_.SetEditorItem(0, QStringLiteral("ﾍﾟｲﾝﾄ"));
  menus_.SetEditorItem(2, QStringLiteral("GIMP"));
  const QString F = QStringLiteral("ﾌｧｲﾙ"), E = QStringLiteral("画像編集");
  std::vector<Case> cases = {
      {1, {"新規作成"}, F, "新規作成"},
      {1, {"ﾌｧｲﾙを開く(&O)"}, F, "ﾌｧｲﾙを開く"},
      {1, {"ｽｷｬﾅｰから読込"}, F, "ｽｷｬﾅｰから読込"},
      {1, {"上書き保存(&S)"}, F, "上書き保存"},
      {1, {"名前を付けて保存(&A)"}, F, "名前を付けて保存"},
      {1, {"別名保存(詳細指定)"}, F, "別名保存(詳細指定)"},
      {1, {"複写して新規"}, F, "複写して新規"},
      {1, {"ｻﾌﾞﾌｫｰﾑを開く"}, F, "ｻﾌﾞﾌｫｰﾑを開く"},
      {1, {"印刷設定(&U)"}, F, "印刷設定"},
      {1, {"印刷(&P)"}, F, "印刷"},
      {1, {"画像を添付してﾒｰﾙ"}, F, "画像を添付してﾒｰﾙ"},
      {1, {"ﾌｧｲﾙの詳細"}, F, "ﾌｧｲﾙの詳細"},
      {1, {"ﾌｧｲﾙを削除"}, F, "ﾌｧｲﾙを削除"},
      {1, {"終了(&X)"}, F, "終了"},
      {3, {"読込時に戻す"}, E, "読込時に戻す"},
      {3, {"編集を一つ戻す"}, E, "編集を一つ戻す"},
      {3, {"ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"}, E, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"},
      {3, {"ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"}, E, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"},
      {3, {"選択範囲", "範囲の登録"}, "範囲", "範囲の登録"},
      {3, {"選択範囲", "範囲のｸﾘｱ"}, "範囲", "範囲のｸﾘｱ"},
      {3, {"選択範囲", "選択範囲を拡大"}, "範囲", "選択範囲を拡大"},
      {3, {"選択範囲", "選択範囲を強調", "相対"}, "範囲", "相対"},
      {3, {"選択範囲", "選択範囲を強調", "ﾏｰｶｰ"}, "範囲", "ﾏｰｶｰ"},
      {3, {"選択範囲", "X-Y変換"}, "範囲", "X-Y変換"},
      {3, {"選択範囲", "名刺(9.1 * 5.5 cm)"}, "範囲", "名刺(9.1 * 5.5 cm)"},
      {3, {"ﾄﾘﾐﾝｸﾞ"}, E, "ﾄﾘﾐﾝｸﾞ"},
      {3, {"ﾘｻｲｽﾞ", "横方向を基準に縮小"}, "ﾘｻｲｽﾞ", "横方向を基準に縮小"},
      {3, {"ﾘｻｲｽﾞ", "縦方向を基準に縮小"}, "ﾘｻｲｽﾞ", "縦方向を基準に縮小"},
      {3, {"ﾘｻｲｽﾞ", "縦横比率を変えて縮小"}, "ﾘｻｲｽﾞ", "縦横比率を変えて縮小"},
      {3, {"綴じ込み", "横方向"}, "綴じ込み", "横方向"},
      {3, {"綴じ込み", "縦方向"}, "綴じ込み", "縦方向"},
      {3, {"色数", "詳細指定"}, "色数", "詳細指定"},
      {3, {"補正", "明度", "やや暗く"}, "明度", "やや暗く"},
      {3, {"補正", "彩度", "淡く"}, "彩度", "淡く"},
      {3, {"補正", "詳細指定"}, "補正", "詳細指定"},
      {3, {"効果", "色反転", "Red Green Blue"}, "色反転", "Red Green Blue"},
      {3, {"効果", "詳細指定"}, "効果", "詳細指定"},
      {3, {"ﾂｰﾙﾊﾞｰを表示"}, E, "ﾂｰﾙﾊﾞｰを表示"},
      {3, {"解像度"}, E, "解像度"},
      {3, {"ｽﾞｰﾑ", " 50%"}, "拡大", " 50%"},
      {3, {"ｽﾞｰﾑ", "1000%"}, "拡大", "1000%"},
      {3, {"画像ｴﾃﾞｨﾀ", "ﾍﾟｲﾝﾄ"}, "APR", "0"},
      {3, {"画像ｴﾃﾞｨﾀ", "GIMP"}, "APR", "2"},
      {3, {"画像ｴﾃﾞｨﾀ", "画像ｴﾃﾞｨﾀの登録"}, "APR", "4"},
      {4, {"更新確認等", "変更画像を閉じる時も確認等はしない"}, "編集更新", "確認無"},
      {4, {"更新確認等", "変更画像を閉じる時には自動的に更新する"}, "編集更新", "自動更新"},
      {4, {"更新確認等", "削除実行前に確認しない"}, "削除前", "確認無"},
      {4, {"更新確認等", "削除実行前に確認をする"}, "削除前", "確認有"},
      {4, {"表示", "ｽﾄﾚｯﾁ"}, "表示", "ｽﾄﾚｯﾁ"},
      {4, {"ﾏｳｽﾄﾞﾗｯｸﾞ", "拡大縮小"}, "ﾏｳｽﾄﾞﾗｯｸﾞ", "拡大縮小"},
      {4, {"ｽｷｬﾝｿｰｽの選択"}, F, "ｽｷｬﾝｿｰｽ"},
      {10, {"画像を更新して閉じる"}, "sbImg", "更新"},
      {10, {"編集はｷｬﾝｾﾙして閉じる"}, "sbImg", "閉じる"},
  };
  for (const char* s : {"左右反転", "上下反転", "右90度", "右180度", "左90度", "左180度", "詳細指定"})
    cases.push_back({3, {"回転", s}, "回転", s});
  for (const char* s : {"白黒", "16色(4bit)", "ｸﾞﾚ-(4bit)", "256色(8bit)", "ｸﾞﾚ-(8bit)", "16ﾋﾞｯﾄ", "24ﾋﾞｯﾄ", "32ﾋﾞｯﾄ"})
    cases.push_back({3, {"色数", s}, "色数", s});
  for (const char* s : {"ﾉｲｽﾞの除去", "淵を滑らかに", "ぼかし", "ｼｬ-ﾌﾟ", "ｽﾌﾟﾗｲﾝ補正"})
    cases.push_back({3, {"補正", s}, "補正", s});
  for (const char* s : {"ｴﾝﾎﾞｽ", "ﾓｻﾞｲｸ", "輪郭", "ﾓｰｼｮﾝ", "波", "波紋", "渦巻", "ﾚﾝｽﾞ", "ｷｬﾝﾊﾞｽ"})
    cases.push_back({3, {"効果", s}, "効果", s});
  for (const Case& c : cases) {
    const auto [group, caption] = Choose(c.menu, c.path);
    EXPECT_EQ(group, c.group) << c.path.join('/').toStdString();
    EXPECT_EQ(caption, c.caption) << c.path.join('/').toStdString();
  }
  EXPECT_GT(main_.asked, 0);
}

TEST_F(PpPicTest, OpeningSubmenusRecordsAndEscapeLeavesNothing) {
  main_.answer = Everything();
  // Opening "ｽﾞｰﾑ" records a pair even when nothing inside is chosen.
  ppPic::SetMenuRunner([](QMenu* m, QWidget*) {
    for (QAction* a : m->actions())
      if (a->property("caption").toString() == QStringLiteral("ｽﾞｰﾑ")) emit a->menu()->aboutToShow();
  });
  menus_.PopUp(&main_, kMenuEdit);
  EXPECT_EQ(menus_.sGrp(), QStringLiteral("画像編集"));
  EXPECT_EQ(menus_.sCap(), QStringLiteral("ｽﾞｰﾑ"));
  // A menu closed without a choice (Escape) leaves both empty.
  ppPic::SetMenuRunner([](QMenu*, QWidget*) {});
  menus_.PopUp(&main_, kMenuEdit);
  EXPECT_EQ(menus_.sGrp(), QString());
  EXPECT_EQ(menus_.sCap(), QString());
  // Opening "明度" records nothing.
  Choose(kMenuEdit, {QStringLiteral("選択範囲"), QStringLiteral("選択範囲を強調"), QStringLiteral("相対")});
  ppPic::SetMenuRunner([](QMenu*, QWidget*) {});
  menus_.PopUp(&main_, kMenuEdit);
  QAction* light = menus_.Find(kMenuEdit, {QStringLiteral("補正"), QStringLiteral("明度")});
  ASSERT_NE(light, nullptr);
  emit light->menu()->aboutToShow();
  EXPECT_EQ(menus_.sGrp(), QString());
}

TEST_F(PpPicTest, ItemsFollowTheEditorState) {
  // No picture: save-as and print are off, the detailed save is on.
  main_.answer = PopupState{};
  menus_.Prepare(kMenuFile);
  auto enabled = [&](int16_t menu, const QStringList& path) {
    QAction* a = menus_.Find(menu, path);
    EXPECT_NE(a, nullptr) << path.join('/').toStdString();
    return a && a->isEnabled();
  };
  EXPECT_FALSE(enabled(kMenuFile, {QStringLiteral("名前を付けて保存(&A)")}));
  EXPECT_FALSE(enabled(kMenuFile, {QStringLiteral("印刷(&P)")}));
  EXPECT_FALSE(enabled(kMenuFile, {QStringLiteral("上書き保存(&S)")}));
  EXPECT_TRUE(enabled(kMenuFile, {QStringLiteral("別名保存(詳細指定)")}));
  EXPECT_TRUE(enabled(kMenuFile, {QStringLiteral("新規作成")}));

  // A picture, unchanged, no selection, a 256-colour depth.
  main_.answer.control = MenuState{true, false, false, false, 8, false, false};
  QApplication::clipboard()->setText(QStringLiteral("only text"));
  menus_.Prepare(kMenuEdit);
  
  EXPECT_FALSE(enabled(kMenuEdit, {QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規")}));
  EXPECT_FALSE(enabled(kMenuEdit, {QStringLiteral("ﾄﾘﾐﾝｸﾞ")}));
  EXPECT_FALSE(enabled(kMenuEdit, {QStringLiteral("編集を一つ戻す")}));
  EXPECT_FALSE(enabled(kMenuEdit, {QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳの表示")}));
  EXPECT_TRUE(enabled(kMenuEdit, {QStringLiteral("回転")}));
  EXPECT_TRUE(enabled(kMenuEdit, {QStringLiteral("選択範囲"), QStringLiteral("範囲の登録")}));
  EXPECT_FALSE(enabled(kMenuEdit, {QStringLiteral("選択範囲"), QStringLiteral("範囲のｸﾘｱ")}));
  QStringList checked;
  for (QAction* a : menus_.Find(kMenuEdit, {QStringLiteral("色数")})->menu()->actions())
    if (a->isChecked()) checked << a->property("caption").toString();
  EXPECT_EQ(checked, QStringList{QStringLiteral("256色(8bit)")});
  EXPECT_FALSE(TriggerMenuPath(menus_.Menu(kMenuEdit), {QStringLiteral("ﾄﾘﾐﾝｸﾞ")}));

  // With the drawing toolbar the selection submenu is off; the pan window
  // is allowed at actual size and shows the control's mark.
  main_.answer.control = MenuState{true, true, true, true, 80, true, true};
  main_.answer.marks.panWindowChecked = true;
  QApplication::clipboard()->setImage(QImage(2, 2, QImage::Format_RGB32));
  menus_.Prepare(kMenuEdit);
  EXPECT_FALSE(enabled(kMenuEdit, {QStringLiteral("選択範囲")}));
  EXPECT_TRUE(enabled(kMenuEdit, {QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規")}));
  QAction* pan = menus_.Find(kMenuEdit, {QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳの表示")});
  EXPECT_TRUE(pan->isEnabled());
  EXPECT_TRUE(pan->isChecked());
  // Choosing it unchecks it and records "非表示".
  const auto [g, c] = Choose(kMenuEdit, {QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳの表示")});
  EXPECT_EQ(c, QStringLiteral("非表示"));

  // "初期" disables the whole edit menu; any other word enables it.
  menus_.prEdtMode(kStateInitial);
  EXPECT_FALSE(menus_.Menu(kMenuEdit)->isEnabled());
  EXPECT_FALSE(TriggerMenuPath(menus_.Menu(kMenuEdit), {QStringLiteral("解像度")}));
  menus_.prEdtMode(kStateLoaded);
  EXPECT_TRUE(menus_.Menu(kMenuEdit)->isEnabled());
}

TEST_F(PpPicTest, UnansweredStateQueryLeavesEverythingOff) {
  Usr().MainForm = nullptr;
  menus_.Prepare(kMenuFile);
  EXPECT_FALSE(menus_.Find(kMenuFile, {QStringLiteral("印刷(&P)")})->isEnabled());
  menus_.Prepare(kMenuEdit);
  for (QAction* a : menus_.Find(kMenuEdit, {QStringLiteral("色数")})->menu()->actions()) EXPECT_FALSE(a->isChecked());
}

TEST_F(PpPicTest, SettingsMarksAndHiddenItems) {
  auto checked = [&](const QStringList& path) { return menus_.Find(kMenuSettings, path)->isChecked(); };
  const QString U = QStringLiteral("更新確認等");
  // Starting marks.
  EXPECT_TRUE(checked({U, QStringLiteral("変更画像を閉じる時には更新確認")}));
  EXPECT_TRUE(checked({U, QStringLiteral("削除実行前に確認をする")}));
  EXPECT_TRUE(checked({QStringLiteral("表示"), QStringLiteral("ｽｹｰﾙ")}));
  EXPECT_TRUE(checked({QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("矩形選択")}));

  menus_.SetParam(2, false, true, QStringLiteral("縦合わせ"), 1, false);
  EXPECT_TRUE(checked({U, QStringLiteral("変更画像を閉じる時には自動的に更新する")}));
  EXPECT_FALSE(checked({U, QStringLiteral("変更画像を閉じる時には更新確認")}));
  EXPECT_TRUE(checked({U, QStringLiteral("削除実行前に確認しない")}));
  EXPECT_FALSE(checked({U, QStringLiteral("削除実行前に確認をする")}));
  EXPECT_TRUE(checked({QStringLiteral("表示"), QStringLiteral("縦合わせ")}));
  EXPECT_FALSE(checked({QStringLiteral("表示"), QStringLiteral("ｽｹｰﾙ")}));
  EXPECT_TRUE(checked({QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("位置移動")}));
  // An unknown display word checks no display item.
  menus_.SetParam(0, true, false, QStringLiteral("?"), 0, false);
  for (QAction* a : menus_.Find(kMenuSettings, {QStringLiteral("表示")})->menu()->actions()) EXPECT_FALSE(a->isChecked());

  // Radio groups: choosing an item moves the mark.
  Choose(kMenuSettings, {QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("拡大縮小")});
  EXPECT_TRUE(checked({QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("拡大縮小")}));
  EXPECT_FALSE(checked({QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("矩形選択")}));

  // The numbered copy to the work folder is hidden in this edition.
  QAction* numbered = menus_.Find(kMenuFile, {QStringLiteral("連番をつけて作業ﾌｫﾙﾀﾞに複写")});
  ASSERT_NE(numbered, nullptr);
  EXPECT_TRUE(numbered->isVisible());
  menus_.SetLMenu();
  EXPECT_FALSE(numbered->isVisible());
  // External editors without a caption stay hidden.
  menus_.SetEditorItem(1, QString());
  EXPECT_FALSE(TriggerMenuPath(menus_.Menu(kMenuEdit), {QStringLiteral("画像ｴﾃﾞｨﾀ"), QString()}));
}

TEST_F(PpPicTest, FirstInstanceIsCurrent) {
  EXPECT_EQ(ppPic::Current(), &menus_);
  ppPic second;
  EXPECT_EQ(ppPic::Current(), &menus_);
}

}  // namespace
}  // namespace ruvel
