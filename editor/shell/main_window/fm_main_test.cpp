// The main window with its popup menus, settings document and folders in a
// temporary tree; the prompt, mail, shell-open and window seams scripted.
#include "editor/shell/main_window/fm_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "editor/dialogs/other_windows.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/main_window/command_line.h"
#include "editor/shell/sb_mapi.h"
#include "editor/shell/startup.h"
#include "editor/shell/usr.h"
#include "editor/shell/y_ini.h"
#include "platform/file_dialog.h"
#include "platform/mail.h"
#include "platform/prompt.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "platform/shell_open.h"
#include "platform/special_folders.h"

namespace ruvel {
namespace {

using Pair = std::pair<QString, QString>;

class RecordingWindows : public OtherWindows {
 public:
  void OpenDetailedSave(QWidget*, int32_t handle) override { calls.push_back("save:" + QString::number(handle)); }
  void OpenSubWindow(QWidget*) override { calls.push_back("sub"); }
  bool EditExternalEditors(QWidget*, std::array<QString, 3>* editors) override {
    calls.push_back("editors:" + (*editors)[0]);
    (*editors)[1] = QStringLiteral("ﾋﾞｭｰｱ,/usr/bin/viewer");
    return true;
  }
  QStringList calls;
};

class FmMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    bin_ = dir_.path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin_ + "/apData"));
    WriteFile(bin_ + "/UserData.ini", "%applicaion data%");
    userData_ = dir_.path() + "/share/Osmund/ruvel/";
    folders_.Set(platform::kAppDataFolderId, dir_.path() + "/share");
    platform::SetSpecialFolders(&folders_);
    platform::SetRegistry(&registry_);
    platform::SetScreen(&screen_);
    platform::SetPrompt(&prompt_);
    platform::SetMailer(&mailer_);
    platform::SetShellOpener(&opener_);
    platform::SetFileDialog(&files_);
    SetOtherWindows(&windows_);
    QApplication::clipboard()->clear();
    ResetUsr();
  }
  void TearDown() override {
    window_.reset();
    ppPic::SetMenuRunner(nullptr);
    ReleaseSettings();
    ResetUsr();
    platform::SetSpecialFolders(nullptr);
    platform::SetRegistry(nullptr);
    platform::SetScreen(nullptr);
    platform::SetPrompt(nullptr);
    platform::SetMailer(nullptr);
    platform::SetShellOpener(nullptr);
    platform::SetFileDialog(nullptr);
    SetOtherWindows(nullptr);
  }
  static void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QString MakePicture(const QString& name, int w = 40, int h = 20) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    const QString path = dir_.path() + "/" + name;
    EXPECT_TRUE(image.save(path));
    return path;
  }
  // Starts the editor as `ruvel` would, with the given arguments.
  void Start(const QStringList& args = {}, bool record = true) {
    StartupOptions options;
    options.program_path = bin_ + "/ruvel";
    QStringList arguments = QStringList{bin_ + "/ruvel"} + args;
    fmMain::CommandSink sink;
    if (record) sink = [this](const QString& g, const QString& c) { sent_.push_back({g, c}); };
    options.create_main_window = [arguments, sink] { return new fmMain(arguments, nullptr, sink); };
    window_.reset(static_cast<fmMain*>(Main(options)));
    ASSERT_NE(window_, nullptr);
  }
  void Key(int key, Qt::KeyboardModifiers mods) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(window_->Picture(), &press);
  }
  QByteArray SettingsFile() {
    QFile f(userData_ + "User.xml");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }

  QTemporaryDir dir_;
  QString bin_, userData_;
  platform::FixedSpecialFolders folders_;
  platform::MemoryRegistry registry_;
  platform::FixedScreen screen_{
      platform::ScreenMetrics{QRect(0, 0, 1280, 1000), QRect(0, 0, 1280, 1024), 96.0, 96.0}};
  platform::ScriptedPrompt prompt_;
  platform::RecordingMailer mailer_;
  platform::RecordingShellOpener opener_;
  platform::ScriptedFileDialog files_;
  RecordingWindows windows_;
  std::unique_ptr<fmMain> window_;
  std::vector<Pair> sent_;
};

TEST_F(FmMainTest, HeaderStripInTwips) {
  Start();
  const HeaderLayout& l = window_->Layout();
  EXPECT_EQ(l.labels[0].left, 50);
  EXPECT_EQ(l.labels[0].top, 80);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(l.labels[i].left, l.labels[i - 1].left + l.labels[i - 1].width + 100);
  EXPECT_EQ(l.separator.left, l.labels[3].left + l.labels[3].width + 100 + 80);
  EXPECT_EQ(l.buttons[0].left, l.separator.left + 100);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(l.buttons[i].left, l.buttons[i - 1].left + l.buttons[i - 1].width + 150);
  EXPECT_EQ(l.info.left, l.buttons[5].left + l.buttons[5].width + 150 + 120);
  // At 96 dpi a pixel is 15 twips.
  EXPECT_EQ(window_->Button(0)->x(), (l.buttons[0].left + 7) / 15);
  EXPECT_EQ(window_->Label(1)->y(), 5);
  // Tips and captions.
  EXPECT_EQ(window_->Button(4)->toolTip(), QStringLiteral("Ctrl+X 画像のﾄﾘﾐﾝｸﾞ"));
  EXPECT_EQ(window_->StampPanel()->toolTip(), QStringLiteral("ｽﾀﾝﾌﾟの画像を変更する場合は､ここをﾀﾞﾌﾞﾙｸﾘｯｸして下さい"));
  EXPECT_TRUE(window_->Label(3)->text().contains(QStringLiteral("設定")));
  // Every picture button has a picture.
  for (int i = 0; i < 6; ++i) EXPECT_FALSE(window_->Button(i)->icon().isNull()) << i;
  // The drawing toolbar shows the stamp panel after the buttons.
  emit window_->Picture()->eShwTBar(true);
  EXPECT_TRUE(window_->Layout().stamp_shown);
  EXPECT_EQ(window_->Layout().stamp.left, l.buttons[5].left + l.buttons[5].width + 50);
  EXPECT_EQ(window_->Layout().info.left, window_->Layout().stamp.left + window_->Layout().stamp.width + 120);
}

TEST_F(FmMainTest, SettingsRoundTripThroughUserXml) {
  ASSERT_TRUE(QDir().mkpath(userData_));
  const QString pics = dir_.path() + "/pics";
  ASSERT_TRUE(QDir().mkpath(pics));
  WriteFile(userData_ + "User.xml", QByteArray());
  {
    // Write through the settings object so the bytes are Shift-JIS.
    yIni seed;
    ASSERT_TRUE(seed.GetTxt(userData_ + "User.xml"));
    seed.GetGtx(QStringLiteral("画面"));
    seed.SetVal("LEFT", 1500);
    seed.SetVal("TOP", 1200);
    seed.SetVal("WIDTH", 9000);
    seed.SetVal("HEIGHT", 6000);
    seed.SetVal("PC_PATH", pics + "/");
    seed.SetVal("PC_EXE1", QStringLiteral("ﾍﾟｲﾝﾄ,/usr/bin/paint"));
    seed.SetGtx();
    seed.GetGtx(QStringLiteral("設定"));
    seed.SetVal(QStringLiteral("JPG品質"), 70);
    seed.SetVal(QStringLiteral("編集更新"), 1);
    seed.SetVal(QStringLiteral("削除前"), QStringLiteral("確認無"));
    seed.SetVal("DISP", QStringLiteral("横合わせ"));
    seed.SetVal("MOUSE_D", 1);
    seed.SetVal(QStringLiteral("保存時拡張子"), "PNG");
    seed.SetGtx();
    ASSERT_TRUE(seed.SetTxt());
  }
  Start();
  const UserSettings& s = window_->Settings();
  EXPECT_EQ(s.width, 9000);
  EXPECT_FALSE(s.confirm_delete);
  EXPECT_EQ(Usr().PictureFolder, pics + "/");
  EXPECT_EQ(window_->size(), QSize(600, 400));
  int16_t quality = 0, update = 0, mouse = 0;
  QString view, ext;
  window_->Picture()->GetPram(&quality, &update, &view, &mouse, &ext);
  EXPECT_EQ(quality, 70);
  EXPECT_EQ(update, 1);
  EXPECT_EQ(view, QStringLiteral("横合わせ"));
  EXPECT_EQ(mouse, 1);
  EXPECT_EQ(ext, QStringLiteral("png"));
  // The popup menus start with the same marks and the editor's caption.
  ppPic* menus = window_->Menus();
  EXPECT_TRUE(menus->Find(kMenuSettings, {QStringLiteral("更新確認等"), QStringLiteral("削除実行前に確認しない")})->isChecked());
  EXPECT_TRUE(menus->Find(kMenuSettings, {QStringLiteral("表示"), QStringLiteral("横合わせ")})->isChecked());
  EXPECT_NE(menus->Find(kMenuEdit, {QStringLiteral("画像ｴﾃﾞｨﾀ"), QStringLiteral("ﾍﾟｲﾝﾄ")}), nullptr);

  // The user changes the delete question and closes: both groups go back.
  window_->Route(QStringLiteral("削除前"), QStringLiteral("確認有"));
  window_->resize(700, 450);
  window_->Shutdown(false);
  yIni back;
  ASSERT_TRUE(back.GetTxt(userData_ + "User.xml"));
  back.GetGtx(QStringLiteral("画面"));
  EXPECT_EQ(back.vGtVal("WIDTH", 0).toInt(), 700 * 15);
  EXPECT_EQ(back.vGtVal("PC_EXE1", QString()).toString(), QStringLiteral("ﾍﾟｲﾝﾄ,/usr/bin/paint"));
  back.GetGtx(QStringLiteral("設定"));
  EXPECT_EQ(back.vGtVal(QStringLiteral("削除前"), QString()).toString(), QStringLiteral("確認有"));
  EXPECT_EQ(back.vGtVal(QStringLiteral("JPG品質"), 0).toInt(), 70);
  EXPECT_EQ(back.vGtVal(QStringLiteral("保存時拡張子"), QString()).toString(), QStringLiteral("png"));
  // The raw bytes are Shift-JIS (read by the text codec, not by our reader).
  const QByteArray raw = SettingsFile();
  EXPECT_TRUE(raw.contains("\x8d\xed\x8f\x9c\x91\x4f"));  // 削除前 in Shift-JIS
  EXPECT_TRUE(window_->IsShutDown());
}

TEST_F(FmMainTest, SavedWidthZeroStartsMaximised) {
  ASSERT_TRUE(QDir().mkpath(userData_));
  {
    yIni seed;
    ASSERT_TRUE(seed.GetTxt(userData_ + "User.xml"));
    seed.GetGtx(QStringLiteral("画面"));
    seed.SetVal("WIDTH", 0);
    seed.SetGtx();
    ASSERT_TRUE(seed.SetTxt());
  }
  Start();
  EXPECT_TRUE(window_->windowState() & Qt::WindowMaximized);
}

TEST_F(FmMainTest, CommandLineWithQuotesAndTab) {
  const QString picture = MakePicture("a b.png");
  EXPECT_EQ(PicturePathFromArguments({"ruvel", "\"" + picture + "\"\tignored"}), picture);
  EXPECT_EQ(PicturePathFromArguments({"ruvel", "\"" + dir_.path() + "/missing.png\""}), QString());
  Start({"\"" + picture + "\tx\""});
  EXPECT_EQ(window_->CurrentFile(), picture);
  EXPECT_EQ(window_->Picture()->prFile(), picture);
  EXPECT_EQ(window_->windowTitle(), picture);
  EXPECT_TRUE(window_->InfoPanel()->text().startsWith(QStringLiteral(" ")));
  EXPECT_EQ(Usr().PictureFolder, dir_.path() + "/");
  EXPECT_TRUE(sent_.empty());
}

TEST_F(FmMainTest, ClipboardBitmapStartsANewPicture) {
  QApplication::clipboard()->setImage(QImage(8, 8, QImage::Format_RGB32));
  Start();
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0], Pair(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規")));
  // A file on the command line wins over the clipboard.
  window_.reset();
  ReleaseSettings();
  ResetUsr();
  sent_.clear();
  Start({MakePicture("c.png")});
  EXPECT_TRUE(sent_.empty());
  // Text on the clipboard is no picture.
  window_.reset();
  ReleaseSettings();
  ResetUsr();
  QApplication::clipboard()->setText("text");
  Start();
  EXPECT_TRUE(sent_.empty());
}

TEST_F(FmMainTest, EveryKeyReachesItsPair) {
  Start();
  // The save and undo buttons work only after an edit.
  window_->Picture()->SetEditState(kStateEdited);
  const QString F = QStringLiteral("ﾌｧｲﾙ"), E = QStringLiteral("画像編集");
  const std::vector<std::tuple<int, Qt::KeyboardModifiers, Pair>> table = {
      {Qt::Key_F8, Qt::NoModifier, {F, "上書き保存"}},
      {Qt::Key_O, Qt::ControlModifier, {F, "ﾌｧｲﾙを開く"}},
      {Qt::Key_S, Qt::ControlModifier, {F, "上書き保存"}},
      {Qt::Key_V, Qt::ControlModifier, {E, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"}},
      {Qt::Key_C, Qt::ControlModifier, {E, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"}},
      {Qt::Key_T, Qt::ControlModifier, {E, "ﾄﾘﾐﾝｸﾞ"}},
      {Qt::Key_Z, Qt::ControlModifier, {E, "編集を一つ戻す"}},
      {Qt::Key_W, Qt::ControlModifier, {F, "連番をつけて作業ﾌｫﾙﾀﾞに複写"}},
      {Qt::Key_P, Qt::ControlModifier, {F, "印刷"}},
      {Qt::Key_R, Qt::ControlModifier, {"回転", "右90度"}},
      {Qt::Key_L, Qt::ControlModifier, {"回転", "左90度"}},
  };
  for (const auto& [key, mods, pair] : table) {
    sent_.clear();
    Key(key, mods);
    ASSERT_EQ(sent_.size(), 1u) << pair.second.toStdString();
    EXPECT_EQ(sent_[0], pair);
  }
  // Shift, Alt, more than Ctrl, and keys outside the table do nothing.
  sent_.clear();
  Key(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  Key(Qt::Key_R, Qt::AltModifier);
  Key(Qt::Key_F8, Qt::ShiftModifier);
  Key(Qt::Key_X, Qt::ControlModifier);
  Key(Qt::Key_R, Qt::NoModifier);
  EXPECT_TRUE(sent_.empty());
  // Ctrl+M mails: with no picture nothing is sent.
  Key(Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(mailer_.sent().empty());
}

TEST_F(FmMainTest, CtrlSWhileSaveButtonIsDisabledDoesNothing) {
  Start();
  EXPECT_FALSE(window_->Button(1)->isEnabled());
  Key(Qt::Key_S, Qt::ControlModifier);
  Key(Qt::Key_F8, Qt::NoModifier);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(sent_.empty());
  window_->Picture()->SetEditState(kStateEdited);
  EXPECT_TRUE(window_->Button(1)->isEnabled());
  EXPECT_TRUE(window_->Button(5)->isEnabled());
  window_->Button(1)->click();
  ASSERT_EQ(sent_.size(), 1u);
  // Back to "読込": both buttons are off again.
  window_->Picture()->SetEditState(kStateLoaded);
  EXPECT_FALSE(window_->Button(1)->isEnabled());
  EXPECT_FALSE(window_->Button(5)->isEnabled());
}

TEST_F(FmMainTest, RoutingTable) {
  Start();
  window_->Route(QString(), QStringLiteral("x"));
  window_->Route(QStringLiteral("ﾌｧｲﾙ"), QString());
  EXPECT_TRUE(sent_.empty());

  window_->Route(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("別名保存(詳細指定)"));
  window_->Route(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ｻﾌﾞﾌｫｰﾑを開く"));
  window_->Route(QStringLiteral("APR"), QStringLiteral("4"));
  EXPECT_EQ(windows_.calls, (QStringList{"save:0", "sub", "editors:"}));
  // The dialog's new entry becomes the popup's item 1.
  EXPECT_NE(window_->Menus()->Find(kMenuEdit, {QStringLiteral("画像ｴﾃﾞｨﾀ"), QStringLiteral("ﾋﾞｭｰｱ")}), nullptr);
  EXPECT_EQ(window_->Settings().external_editors[1], QStringLiteral("ﾋﾞｭｰｱ,/usr/bin/viewer"));

  window_->Route(QStringLiteral("削除前"), QStringLiteral("確認無"));
  EXPECT_FALSE(window_->Settings().confirm_delete);
  window_->Route(QStringLiteral("削除前"), QStringLiteral("確認有"));
  EXPECT_TRUE(window_->Settings().confirm_delete);
  EXPECT_TRUE(sent_.empty());

  // Everything else goes to the control.
  window_->Route(QStringLiteral("色数"), QStringLiteral("256色(8bit)"));
  window_->Route(QStringLiteral("編集更新"), QStringLiteral("確認無"));
  EXPECT_EQ(sent_, (std::vector<Pair>{{"色数", "256色(8bit)"}, {"編集更新", "確認無"}}));

  // "終了" with nothing changed shuts down.
  window_->Route(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("終了"));
  EXPECT_TRUE(window_->IsShutDown());
  EXPECT_TRUE(QFile::exists(userData_ + "User.xml"));
}

TEST_F(FmMainTest, LabelsPopUpTheirMenusAndHelpOpensThePage) {
  Start();
  ppPic::SetMenuRunner([](QMenu* m, QWidget*) { TriggerMenuPath(m, {QStringLiteral("ﾌｧｲﾙを開く(&O)")}); });
  window_->ClickLabel(1);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0], Pair(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ﾌｧｲﾙを開く")));
  ppPic::SetMenuRunner([](QMenu* m, QWidget*) { TriggerMenuPath(m, {QStringLiteral("表示"), QStringLiteral("実寸")}); });
  window_->ClickLabel(3);
  EXPECT_EQ(sent_.back(), Pair(QStringLiteral("表示"), QStringLiteral("実寸")));
  // Closed without a choice: nothing is routed.
  ppPic::SetMenuRunner([](QMenu*, QWidget*) {});
  window_->ClickLabel(2);
  EXPECT_EQ(sent_.size(), 2u);
  window_->ClickLabel(4);
  ASSERT_EQ(opener_.opened().size(), 1u);
  EXPECT_TRUE(opener_.opened()[0].toString().contains(QStringLiteral("ruvel")));
  // The popup window asks the main window for the menu state; the eighth
  // value is the folder-tree mode 2.
  PopupState state;
  state.folder_mode = 0;
  ASSERT_TRUE(window_->GtMnState(&state));
  EXPECT_EQ(state.folder_mode, 2);
}

TEST_F(FmMainTest, StampsCycle) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
    QImage stamp(16, 16, QImage::Format_RGB888);
    stamp.fill(Qt::blue);
    ASSERT_TRUE(stamp.save(bin_ + "/apData/" + name, "BMP"));
  }
  Start();
  ASSERT_EQ(window_->StampList().size(), 3);
  EXPECT_EQ(window_->StampIndex(), 0);
  std::vector<int> seen{window_->StampIndex()};
  for (int i = 0; i < 3; ++i) {
    window_->ApplyStamp(true);
    seen.push_back(window_->StampIndex());
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(window_->StampFile(), bin_ + "/apData/" + window_->StampList()[0]);
  // The stamp in use is remembered and found again at the next start.
  window_->ApplyStamp(true);
  const QString chosen = window_->StampList()[1];
  window_->Shutdown(false);
  window_.reset();
  ReleaseSettings();
  ResetUsr();
  Start();
  EXPECT_EQ(window_->StampList()[window_->StampIndex()], chosen);
  EXPECT_FALSE(window_->StampPanel()->pixmap().isNull());
}

TEST_F(FmMainTest, NoStampPicturesLeavesThePanelEmpty) {
  Start();
  EXPECT_EQ(window_->StampList(), QStringList{QString()});
  window_->ApplyStamp(true);
  EXPECT_EQ(window_->StampFile(), QString());
}

TEST_F(FmMainTest, MailWritesACopyAndLeavesThePictureAlone) {
  const QString picture = MakePicture("m.png", 64, 32);
  Start({picture}, /*record=*/false);
  uRvE* pic = window_->Picture();
  const QString state = pic->EditState();
  const int16_t undo = pic->UndoCount();
  window_->MailPicture();
  const QString attachment = userData_ + "Wrk/pic.jpg";
  ASSERT_EQ(mailer_.sent().size(), 1u);
  EXPECT_EQ(mailer_.sent()[0].subject, QStringLiteral("画像を送ります"));
  EXPECT_EQ(mailer_.sent()[0].attachments, QStringList{attachment});
  // A JPEG that Qt's own reader reads at the picture's size.
  QImageReader reader(attachment);
  EXPECT_EQ(reader.format(), QByteArray("jpeg"));
  EXPECT_EQ(reader.read().size(), QSize(64, 32));
  // The editor still holds the original file, state and history.
  EXPECT_EQ(pic->prFile(), picture);
  EXPECT_EQ(window_->CurrentFile(), picture);
  EXPECT_EQ(pic->EditState(), state);
  EXPECT_EQ(pic->UndoCount(), undo);
  EXPECT_TRUE(prompt_.shown().empty());

  // The mail program fails: the message of the mail path.
  mailer_.SetResult(false);
  window_->MailPicture();
  ASSERT_EQ(prompt_.texts().size(), 1u);
  EXPECT_EQ(prompt_.texts()[0], kMailFailed);
}

TEST_F(FmMainTest, DeleteAsksAndMovesToTheTrash) {
  // The user's data folder always exists on a desktop; the trash goes in it.
  ASSERT_TRUE(QDir().mkpath(dir_.path() + "/xdg"));
  qputenv("XDG_DATA_HOME", (dir_.path() + "/xdg").toUtf8());
  const QString picture = MakePicture("gone.png");
  Start({picture}, /*record=*/false);
  // Asked first; "No" keeps the file.
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  window_->Route(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ﾌｧｲﾙを削除"));
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.shown()[0].buttons, platform::PromptButtons::kYesNo);
  EXPECT_TRUE(QFile::exists(picture));
  // Yes: the file leaves for the trash and the editor forgets it.
  prompt_.QueueAnswer(platform::PromptAnswer::kYes);
  window_->Route(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ﾌｧｲﾙを削除"));
  EXPECT_FALSE(QFile::exists(picture));
  EXPECT_TRUE(QFile::exists(dir_.path() + "/xdg/Trash/files/gone.png"));
  EXPECT_EQ(window_->CurrentFile(), QString());
  EXPECT_EQ(window_->Picture()->prFile(), QString());
  qunsetenv("XDG_DATA_HOME");
}

TEST_F(FmMainTest, ExternalEditors) {
  const QString picture = MakePicture("with space.png");
  // A stand-in editor that writes its arguments, one a line.
  const QString out = dir_.path() + "/args.txt";
  const QString program = dir_.path() + "/editor.sh";
  WriteFile(program, QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"%1\"\n").arg(out).toUtf8());
  QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(QDir().mkpath(userData_));
  {
    yIni seed;
    ASSERT_TRUE(seed.GetTxt(userData_ + "User.xml"));
    seed.GetGtx(QStringLiteral("画面"));
    seed.SetVal("PC_EXE1", QStringLiteral("ﾃｽﾄ,") + program);
    seed.SetVal("PC_EXE2", QStringLiteral("ﾅｼ,/no/such/editor"));
    seed.SetGtx();
    ASSERT_TRUE(seed.SetTxt());
  }
  Start({picture}, /*record=*/false);
  window_->Route(QStringLiteral("APR"), QStringLiteral("1"));
  ASSERT_EQ(prompt_.texts().size(), 1u);
  EXPECT_EQ(prompt_.texts()[0], QStringLiteral("/no/such/editor Not Found"));
  window_->Route(QStringLiteral("APR"), QStringLiteral("0"));
  for (int i = 0; i < 100 && !QFile::exists(out); ++i) QThread::msleep(50);
  QThread::msleep(100);
  QFile args(out);
  ASSERT_TRUE(args.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(args.readAll()), picture + "\n");
  // An empty slot does nothing.
  window_->Route(QStringLiteral("APR"), QStringLiteral("2"));
  EXPECT_EQ(prompt_.texts().size(), 1u);
}

}  // namespace
}  // namespace ruvel
