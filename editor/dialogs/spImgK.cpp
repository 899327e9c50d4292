// spImgK: the effects dialog.
#include "editor/dialogs/spImgK.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/uSld.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/shell/usr.h"

namespace ruvel {

namespace {

struct Slider {
  double minimum, maximum;
  int16_t large;
  double step;
  const char* caption;
  double start;
};

void SetUp(ruvel::uSld* s, const Slider& p) {
  int16_t large = p.large;
  s->cOn(p.minimum, p.maximum, large, p.step, QString::fromUtf8(p.caption));
  s->SetValS(p.start);
}

void Fill(QComboBox* list, const char* entries) {
  list->clear();
  list->addItems(QString::fromUtf8(entries).split(QLatin1Char(',')));
  list->setCurrentIndex(0);
}

}  // namespace

QStringList spImgK::TabNames() {
  return {QStringLiteral("ｴﾝﾎﾞｽ"), QStringLiteral("ﾓｻﾞｲｸ"), QStringLiteral("輪郭"),   QStringLiteral("ﾓｰｼｮﾝ"),
          QStringLiteral("波"),     QStringLiteral("波紋"),   QStringLiteral("渦巻"),   QStringLiteral("ﾚﾝｽﾞ"),
          QStringLiteral("ｷｬﾝﾊﾟｽ"), QStringLiteral("色反転")};
}

spImgK::spImgK(QWidget* parent) : EffectDialog(QStringLiteral("特殊効果"), TabNames(), parent) {
  for (int g = 0; g < 3; ++g) fr_img_[g] = new QGroupBox(GroupArea());
  for (int i = 0; i < 6; ++i) label_[i] = new QLabel;
  for (int i = 0; i < 3; ++i) {
    cb_img_[i] = new QComboBox;
    cb_img_[i]->setMinimumWidth(140);
    sld_[i] = new ruvel::uSld;
  }
  // Group 1: the three channel boxes.
  auto* g1 = new QVBoxLayout(fr_img_[0]);
  const QStringList rgb = {QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")};
  for (int i = 0; i < 3; ++i) {
    ch_rgb_[i] = new QCheckBox(rgb[i]);
    g1->addWidget(ch_rgb_[i]);
  }
  g1->addStretch(1);
  // Group 2: a list and two sliders, each under its label.
  auto* g2 = new QVBoxLayout(fr_img_[1]);
  g2->addWidget(label_[0]);
  g2->addWidget(cb_img_[0], 0, Qt::AlignLeft);
  g2->addWidget(label_[1]);
  g2->addWidget(sld_[0]);
  g2->addWidget(label_[2]);
  g2->addWidget(sld_[1]);
  g2->addStretch(1);
  // Group 3: two lists and a slider.
  auto* g3 = new QVBoxLayout(fr_img_[2]);
  g3->addWidget(label_[3]);
  g3->addWidget(cb_img_[1], 0, Qt::AlignLeft);
  g3->addWidget(label_[4]);
  g3->addWidget(cb_img_[2], 0, Qt::AlignLeft);
  g3->addWidget(label_[5]);
  g3->addWidget(sld_[2]);
  g3->addStretch(1);
  for (QGroupBox* g : fr_img_) {
    g->setMinimumWidth(360);
    AddGroup(g);
  }

  for (QCheckBox* c : ch_rgb_) connect(c, &QCheckBox::clicked, this, [this] { RequestPreview(); });
  for (QComboBox* c : cb_img_) connect(c, &QComboBox::activated, this, [this] { RequestPreview(); });
  for (ruvel::uSld* s : sld_) connect(s, &uSld::eCngVL, this, [this] { RequestPreview(); });
}

void spImgK::Act(MvInstance& xImg, int& iDmd, const DialogRegion& vPs, bool& bOkC) {
  spImgK dialog(Usr().MainForm.data());
  bOkC = dialog.RunAct(xImg, iDmd, vPs);
}

QGroupBox* spImgK::SetUpTab(const QString& name) {
  const auto is = [&name](const char* s) { return name == QString::fromUtf8(s); };
  int group = 2;
  if (is("色反転")) group = 1;
  else if (is("輪郭") || is("ｷｬﾝﾊﾟｽ") || is("ﾚﾝｽﾞ")) group = 3;
  label_[4]->setVisible(is("輪郭"));
  cb_img_[2]->setVisible(is("輪郭"));
  cb_img_[0]->setVisible(!(is("ﾓｻﾞｲｸ") || is("渦巻")));

  const auto labels2 = [this](const char* a, const char* b, const char* c) {
    label_[0]->setText(QString::fromUtf8(a));
    label_[1]->setText(QString::fromUtf8(b));
    label_[2]->setText(QString::fromUtf8(c));
  };
  if (is("ｴﾝﾎﾞｽ")) {
    labels2("ﾌｨﾙﾀ ﾏｽｸ", "ｴｯｼﾞ強調", "背景の輝度");
    Fill(cb_img_[0], "0,1,2,3,4,5,6,7");
    SetUp(sld_[0], {1, 5, 1, 1, "弱⇒", 3});
    SetUp(sld_[1], {0, 255, 10, 1, "暗⇒", 100});
  } else if (is("ﾓｻﾞｲｸ")) {
    labels2("ﾓｻﾞｲｸのｻｲｽﾞ(ﾋﾟｸｾﾙ)", "幅(1~100)", "高(1~100)");
    SetUp(sld_[0], {1, 100, 10, 1, "", 10});
    SetUp(sld_[1], {1, 100, 10, 1, "", 10});
  } else if (is("ﾓｰｼｮﾝ")) {
    labels2("ﾌｨﾙﾀ ﾏｽｸ", "ぼかし長さ", "ぼかし角度");
    Fill(cb_img_[0], "線形,放射状,拡大");
    SetUp(sld_[0], {0, 255, 10, 2, "", 30});
    SetUp(sld_[1], {0, 360, 10, 1, "", 20});
  } else if (is("波")) {
    labels2("波の方向", "波長", "位相");
    Fill(cb_img_[0], "横,縦");
    SetUp(sld_[0], {0, 500, 10, 1, "", 100});
    SetUp(sld_[1], {0, 1, 1, 0.1, "", 0.5});
  } else if (is("波紋")) {
    labels2("波の反射", "波長", "位相");
    Fill(cb_img_[0], "しない,する");
    SetUp(sld_[0], {0, 20, 1, 0.1, "", 10});
    SetUp(sld_[1], {0, 10, 1, 0.1, "", 0.5});
  } else if (is("渦巻")) {
    labels2("", "角度", "ねじり");
    SetUp(sld_[0], {1, 360, 10, 1, "", 360});
    SetUp(sld_[1], {0, 1, 0, 0.1, "", 1});
  } else if (is("輪郭")) {
    label_[3]->setText(QStringLiteral("処理ﾌﾞﾚｰﾝ"));
    label_[4]->setText(QStringLiteral("行列ﾊﾟﾀﾝ"));
    label_[5]->setText(QStringLiteral("輪郭線の明るさ"));
    Fill(cb_img_[1], "Yellow,Red,Green,Blue");
    Fill(cb_img_[2], "差分,Roberts,Sobel");
    SetUp(sld_[2], {0, 100, 10, 1, "暗⇒", 10});
  } else if (is("ﾚﾝｽﾞ")) {
    label_[3]->setText(QStringLiteral("外側の背景色の描画"));
    label_[5]->setText(QStringLiteral("ﾚﾝｽﾞの倍率"));
    Fill(cb_img_[1], "塗る,塗らない");
    SetUp(sld_[2], {0, 10, 1, 0.1, "", 3});
  } else if (is("ｷｬﾝﾊﾟｽ")) {
    label_[3]->setText(QStringLiteral("目地方向"));
    label_[5]->setText(QStringLiteral("目地の深さ"));
    Fill(cb_img_[1], "上→右,上→左,下→左,下→右");
    SetUp(sld_[2], {0, 255, 10, 2, "", 20});
  } else if (is("色反転")) {
    for (QCheckBox* c : ch_rgb_) c->setChecked(false);
  }
  return fr_img_[group - 1];
}

bool spImgK::ApplyOperation(MvInstance& mv, const SeamCorners& c) {
  const QString& name = EffectName();
  const auto is = [&name](const char* s) { return name == QString::fromUtf8(s); };
  const auto v = [this](int i) { return sld_[i]->ValS(); };
  const auto n = [this](int i) { return RoundHalfEven(sld_[i]->ValS()); };
  const auto list = [this](int i) { return cb_img_[i]->currentIndex(); };
  if (is("ｴﾝﾎﾞｽ")) return mv.Emboss(c, list(0), n(0), n(1));
  if (is("ﾓｻﾞｲｸ")) return mv.Mosaic(c, n(0), n(1));
  if (is("輪郭")) return mv.EdgeExtract(c, list(1), list(2), n(2));
  if (is("ﾓｰｼｮﾝ")) return mv.MotionBlur(c, list(0), n(0), n(1));
  if (is("波")) return mv.Wave(c, list(0), n(0), 10, v(1));
  if (is("波紋")) return mv.Ripple(c, 20.0, v(0), v(1), list(0) == 1);
  if (is("渦巻")) return mv.Whirl(c, v(0), 1.0, v(1));
  if (is("ﾚﾝｽﾞ")) return mv.Lens(c, v(2), list(1) == 0);
  if (is("ｷｬﾝﾊﾟｽ")) return mv.Canvas(c, list(1), n(2));
  if (is("色反転"))
    return mv.InvertChannels(c, ch_rgb_[0]->isChecked(), ch_rgb_[1]->isChecked(), ch_rgb_[2]->isChecked());
  return false;
}

}  // namespace ruvel
