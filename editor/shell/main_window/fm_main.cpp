// fmMain: building and loading the window, the header strip and the events
// of the editing control.
#include "editor/shell/main_window/fm_main.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QSessionManager>
#include <QSvgRenderer>
#include <QToolButton>

#include "editor/picture_edit/urve.h"
#include "editor/shell/main_window/command_line.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/screen.h"

namespace ruvel {

const std::array<ButtonCommand, 6> kButtonCommands = {{
    {"Ctrl+O ﾌｧｲﾙを指定して開きます", "ﾌｧｲﾙ", "ﾌｧｲﾙを開く", "document-open", "open"},
    {"Ctrl+S 現在の画像を上書き保存します", "ﾌｧｲﾙ", "上書き保存", "document-save", "save"},
    {"Ctrl+V ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規画像に貼り付けます", "画像編集", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規", "edit-paste", "paste"},
    {"Ctrl+C 現在の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付けます", "画像編集", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ", "edit-copy", "copy"},
    {"Ctrl+X 画像のﾄﾘﾐﾝｸﾞ", "画像編集", "ﾄﾘﾐﾝｸﾞ", "transform-crop", "trim"},
    {"Ctrl+Z 編集を一つ手前の状態にします", "画像編集", "編集を一つ戻す", "edit-undo", "undo"},
}};

namespace {

const char* const kLabelCaptions[4] = {"ﾌｧｲﾙ(&F)", "編集(&E)", "設定(&U)", "ﾍﾙﾌﾟ(&H)"};
constexpr int kButtonPixels = 22;
constexpr int kStampPixels = 28;

double TwipsPerPixel() { return platform::CurrentScreen().Metrics().TwipsPerPixelX(); }
int ToPixels(int32_t twips) { return static_cast<int>(twips / TwipsPerPixel() + 0.5); }
int32_t ToTwips(int pixels) { return static_cast<int32_t>(pixels * TwipsPerPixel() + 0.5); }
QRect PixelRect(const TwipsBox& b) { return QRect(ToPixels(b.left), ToPixels(b.top), ToPixels(b.width), ToPixels(b.height)); }

// Our own drawing of a button picture, rendered from the SVG in the
// resources; the desktop's icon theme is preferred when it has the name.
QIcon ButtonIcon(const ButtonCommand& c) {
  QIcon own;
  QSvgRenderer svg(QStringLiteral(":/ruvel/icons/%1.svg").arg(QLatin1String(c.own_icon)));
  for (int size : {16, 22, 24, 32, 48}) {
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    svg.render(&p);
    p.end();
    own.addPixmap(pix);
  }
  return QIcon::fromTheme(QLatin1String(c.theme_icon), own);
}

// A label showing "(&F)" as an underlined F.
QString LabelText(const QString& caption) {
  QString text = caption.toHtmlEscaped();
  const int amp = text.indexOf(QStringLiteral("&amp;"));
  if (amp >= 0 && amp + 5 < text.size()) text = text.left(amp) + "<u>" + text.mid(amp + 5, 1) + "</u>" + text.mid(amp + 6);
  return text;
}

}  // namespace

fmMain::fmMain(const QStringList& arguments, QWidget* parent, CommandSink sink)
    : QWidget(parent), sink_(std::move(sink)) {
  setObjectName(QStringLiteral("fmMain"));
  UsrState& usr = Usr();
  setWindowTitle(usr.ProgramName);
  setWindowIcon(QIcon(QStringLiteral(":/ruvel/icons/ruvel.svg")));
  menus_ = ppPic::Current();
  if (!menus_) {
    ownMenus_ = std::make_unique<ppPic>();
    menus_ = ownMenus_.get();
  }

  // Form_Load.
  usr.InitBusy = true;
  menus_->SetLMenu();
  BuildHeader();
  pic_ = new uRvE(this);
  connect(pic_, &uRvE::eStFile, this, &fmMain::OnStFile);
  connect(pic_, &uRvE::eStPcTyp, this, &fmMain::OnStPcTyp);
  connect(pic_, &uRvE::eEdtMode, this, &fmMain::OnEdtMode);
  connect(pic_, &uRvE::ePopUp, this, [this] { PopUpAndRoute(kMenuEdit); });
  connect(pic_, &uRvE::eShwTBar, this, &fmMain::OnShwTBar);
  connect(pic_, &uRvE::eAskPcPh, this, &fmMain::OnAskPcPh, Qt::DirectConnection);
  LayOutHeaderStrip();
  LoadSettings();
  ReadStamps();
  pic_->cOn(this, usr.UserDataFolder + QStringLiteral("Wrk/"));
  OpenFromCommandLine(arguments);
  usr.InitBusy = false;

  // Keys are previewed for every widget of this window.
  qApp->installEventFilter(this);
  connect(qApp, &QGuiApplication::commitDataRequest, this, &fmMain::OnCommitData);
}

fmMain::~fmMain() {
  qApp->removeEventFilter(this);
  if (Usr().MainForm == this) Usr().MainForm = nullptr;
}

void fmMain::BuildHeader() {
  fMnu_ = new QFrame(this);
  fMnu_->setObjectName(QStringLiteral("fMnu"));
  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(LabelText(QString::fromUtf8(kLabelCaptions[i])), fMnu_);
    label->setObjectName(QStringLiteral("lbCom%1").arg(i + 1));
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignCenter);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    lbCom_[i] = label;
  }
  ssPnl_ = new QFrame(fMnu_);
  ssPnl_->setObjectName(QStringLiteral("ssPnl"));
  ssPnl_->setFrameShape(QFrame::VLine);
  ssPnl_->setFrameShadow(QFrame::Sunken);
  for (int i = 0; i < 6; ++i) {
    auto* button = new QToolButton(fMnu_);
    button->setObjectName(QStringLiteral("imBtn%1").arg(i));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(ButtonIcon(kButtonCommands[i]));
    button->setIconSize(QSize(18, 18));
    button->setToolTip(QString::fromUtf8(kButtonCommands[i].tip));
    connect(button, &QToolButton::clicked, this, [this, i] { RunButton(i); });
    imBtn_[i] = button;
  }
  // The save and undo buttons wait for an edit.
  imBtn_[1]->setEnabled(false);
  imBtn_[5]->setEnabled(false);
  pnBmp_ = new QLabel(fMnu_);
  pnBmp_->setObjectName(QStringLiteral("pnBmp"));
  pnBmp_->setFrameShape(QFrame::Panel);
  pnBmp_->setFrameShadow(QFrame::Sunken);
  pnBmp_->setAlignment(Qt::AlignCenter);
  pnBmp_->setToolTip(QStringLiteral("ｽﾀﾝﾌﾟの画像を変更する場合は､ここをﾀﾞﾌﾞﾙｸﾘｯｸして下さい"));
  pnBmp_->installEventFilter(this);
  pnBmp_->hide();
  ssImg_ = new QLabel(fMnu_);
  ssImg_->setObjectName(QStringLiteral("ssImg"));
  ssImg_->setFrameShape(QFrame::Panel);
  ssImg_->setFrameShadow(QFrame::Sunken);
  ssImg_->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void fmMain::LayOutHeaderStrip() {
  std::array<int32_t, 4> label_widths{};
  for (int i = 0; i < 4; ++i) {
    QString plain = QString::fromUtf8(kLabelCaptions[i]);
    plain.remove(QLatin1Char('&'));
    label_widths[i] = ToTwips(lbCom_[i]->fontMetrics().horizontalAdvance(plain) + 8);
  }
  std::array<int32_t, 6> button_widths{};
  button_widths.fill(ToTwips(kButtonPixels));
  layout_ = LayOutHeader(label_widths, button_widths, ToTwips(width()));
  ApplyLayout();
}

void fmMain::ApplyLayout() {
  for (int i = 0; i < 4; ++i) lbCom_[i]->setGeometry(PixelRect(layout_.labels[i]));
  ssPnl_->setGeometry(PixelRect(layout_.separator));
  for (int i = 0; i < 6; ++i) imBtn_[i]->setGeometry(PixelRect(layout_.buttons[i]));
  pnBmp_->setVisible(layout_.stamp_shown);
  if (layout_.stamp_shown) pnBmp_->setGeometry(PixelRect(layout_.stamp));
  ssImg_->setGeometry(PixelRect(layout_.info));
}

void fmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!Usr().Started || isMinimized() || !pic_) return;
  const int strip = ToPixels(kHeaderStripHeight);
  fMnu_->setGeometry(0, 0, width(), strip);
  pic_->setGeometry(0, strip, width(), std::max(0, height() - strip));
  pic_->StSize();
  WidenInfo(&layout_, ToTwips(width()));
  ssImg_->setGeometry(PixelRect(layout_.info));
}

void fmMain::OpenFromCommandLine(const QStringList& arguments) {
  QString file = PicturePathFromArguments(arguments);
  if (!file.isEmpty()) {
    pic_->pcOpen(0, file, false);
    return;
  }
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data && data->hasImage()) SendToControl(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"));
}

bool fmMain::GtMnState(PopupState* state) {
  if (!pic_) return false;
  state->control = pic_->GtMnState();
  state->folder_mode = 2;
  state->marks = pic_->PopupMenu();
  return true;
}

// --- Events of uRvE -------------------------------------------------------------

void fmMain::OnStFile(const QString& file) {
  const int slash = file.lastIndexOf(QLatin1Char('/'));
  if (!file.isEmpty() && slash >= 0) Usr().PictureFolder = file.left(slash + 1);
  currentFile_ = file;
}

void fmMain::OnStPcTyp(const QString& file, const QString& /*depth*/, const QString& info) {
  setWindowTitle(file.isEmpty() ? Usr().ProgramName : file);
  ssImg_->setText(QStringLiteral(" ") + info);
}

void fmMain::OnEdtMode(const QString& mode) {
  if (mode == editMode_) return;
  editMode_ = mode;
  menus_->prEdtMode(mode);
  const bool edited = mode == kStateEdited;
  imBtn_[1]->setEnabled(edited);
  imBtn_[5]->setEnabled(edited);
}

void fmMain::OnShwTBar(bool shown) {
  PlaceAfterButtons(&layout_, shown, ToTwips(kStampPixels + 4), ToTwips(width()));
  ApplyLayout();
}

void fmMain::OnAskPcPh(QString* folder) {
  if (folder) *folder = Usr().PictureFolder;
}

// --- Header clicks ----------------------------------------------------------------

bool fmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (HandleKey(key->key(), key->modifiers())) return true;
    }
    return false;
  }
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int i = 0; i < 4; ++i) {
      if (watched == lbCom_[i]) {
        ClickLabel(i + 1);
        return true;
      }
    }
  }
  if (watched == pnBmp_ && event->type() == QEvent::MouseButtonDblClick) {
    ApplyStamp(true);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void fmMain::PopUpAndRoute(int16_t index) {
  menus_->PopUp(this, index);
  Route(menus_->sGrp(), menus_->sCap());
}

void fmMain::ClickLabel(int i) {
  if (i == 4) {
    if (Usr().Ini) Usr().Ini->W_Help(QStringLiteral("ruvel.htm"));
    return;
  }
  static constexpr int16_t kMenus[] = {0, kMenuFile, kMenuEdit, kMenuSettings};
  if (i >= 1 && i <= 3) PopUpAndRoute(kMenus[i]);
}

}  // namespace ruvel
