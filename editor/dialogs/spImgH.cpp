// spImgH: the correction dialog.
#include "editor/dialogs/spImgH.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <vector>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/uSld.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/shell/usr.h"

namespace ruvel {

ToneCurvePoints ComputeToneCurve(double e, double l) {
  ToneCurvePoints p;
  for (int i = 0; i < 5; ++i) {
    const double xi = l > 0 ? 256.0 - (4 - i) * 64.0 * l / 100.0 : i * 64.0 * (l / 100.0 + 1.0);
    p.x[i] = std::min(RoundHalfEven(xi), 255);
  }
  p.y = p.x;
  if (e > 0) {
    p.y[1] = RoundHalfEven(p.y[1] - e / 100.0 * (p.y[1] - p.y[0]));
    p.y[3] = RoundHalfEven(e / 100.0 * (p.y[4] - p.y[3]) + p.y[3]);
  } else {
    p.y[1] = RoundHalfEven(p.y[1] + e / -100.0 * (p.y[2] - p.y[1]));
    p.y[3] = RoundHalfEven(p.y[3] - e / -100.0 * (p.y[3] - p.y[2]));
  }
  return p;
}

QStringList spImgH::TabNames() {
  return {QStringLiteral("ﾉｲｽﾞの除去"), QStringLiteral("淵を滑らかに"), QStringLiteral("ぼかし"),
          QStringLiteral("ｼｬｰﾌﾟ"),      QStringLiteral("ｽﾌﾟﾗｲﾝ補正"),   QStringLiteral("明度"),
          QStringLiteral("彩度")};
}

spImgH::spImgH(QWidget* parent) : EffectDialog(QStringLiteral("画像の補正"), TabNames(), parent) {
  for (int g = 0; g < 5; ++g) {
    fr_img_[g] = new QGroupBox(GroupArea());
    fr_img_[g]->setMinimumWidth(380);
  }
  for (auto*& s : sld_) s = new ruvel::uSld;

  // Group 1: red, green and blue brightness side by side under one
  // heading, optionally linked.
  auto* g1 = new QVBoxLayout(fr_img_[0]);
  lb_color_ = new QLabel(QStringLiteral(
      "値 -255 ~255               Red                                 Green                                   Blue"));
  g1->addWidget(lb_color_);
  auto* colour_row = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    sld_[i]->slider()->setMinimumWidth(100);
    colour_row->addWidget(sld_[i]);
  }
  g1->addLayout(colour_row);
  ch_color_ = new QCheckBox(QStringLiteral("連動"));
  g1->addWidget(ch_color_);
  g1->addStretch(1);

  // Group 2: one level.
  auto* g2 = new QVBoxLayout(fr_img_[1]);
  level_label_ = new QLabel;
  g2->addWidget(level_label_);
  g2->addWidget(sld_[3]);
  g2->addStretch(1);

  // Group 3: no parameters.
  auto* g3 = new QVBoxLayout(fr_img_[2]);
  auto* hint = new QLabel(QStringLiteral("ﾊﾟﾗﾒﾀの指定は無いので､上の Drawﾎﾞﾀﾝを押して下さい"));
  hint->setWordWrap(true);
  g3->addWidget(hint);
  g3->addStretch(1);

  // Group 4: noise removal.
  auto* g4 = new QVBoxLayout(fr_img_[3]);
  ch_img_ = new QCheckBox(QStringLiteral("RGB別のﾉｲｽﾞ除去"));
  noise_label_ = new QLabel(QStringLiteral("ﾚﾍﾞﾙ(0~255) RGB別の場合有効"));
  g4->addWidget(ch_img_);
  g4->addWidget(noise_label_);
  g4->addWidget(sld_[4]);
  g4->addStretch(1);

  // Group 5: the tone curve.
  auto* g5 = new QVBoxLayout(fr_img_[4]);
  auto* space_row = new QHBoxLayout;
  op_spline_[0] = new QRadioButton(QStringLiteral("RGB値"));
  op_spline_[1] = new QRadioButton(QStringLiteral("YCrCb値"));
  op_spline_[0]->setChecked(true);
  space_row->addWidget(op_spline_[0]);
  space_row->addWidget(op_spline_[1]);
  space_row->addStretch(1);
  g5->addLayout(space_row);
  auto* channel_row = new QHBoxLayout;
  const QStringList rgb = {QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")};
  for (int i = 0; i < 3; ++i) {
    ch_spline_[i] = new QCheckBox(rgb[i]);
    ch_spline_[i]->setChecked(true);
    channel_row->addWidget(ch_spline_[i]);
  }
  channel_row->addStretch(1);
  g5->addLayout(channel_row);
  g5->addWidget(new QLabel(QStringLiteral("強調度合")));
  g5->addWidget(sld_[5]);
  g5->addWidget(sld_[6]);
  g5->addStretch(1);

  for (QGroupBox* g : fr_img_) AddGroup(g);

  for (int i = 0; i < 3; ++i) connect(sld_[i], &uSld::eCngVL, this, [this, i] { slotColourSlider(i); });
  for (int i = 3; i < 7; ++i) connect(sld_[i], &uSld::eCngVL, this, [this] { RequestPreview(); });
  connect(ch_img_, &QCheckBox::clicked, this, [this] { RequestPreview(); });
  for (QCheckBox* c : ch_spline_) connect(c, &QCheckBox::clicked, this, [this] { RequestPreview(); });
  for (QRadioButton* b : op_spline_) connect(b, &QRadioButton::clicked, this, &spImgH::slotColourSpace);
}

void spImgH::Act(MvInstance& xImg, int& iDmd, const DialogRegion& vPs, bool& bOkC) {
  spImgH dialog(Usr().MainForm.data());
  bOkC = dialog.RunAct(xImg, iDmd, vPs);
}

void spImgH::slotColourSlider(int index) {
  if (Muted()) return;
  if (ch_color_->isChecked()) {
    // Linked: the other two follow, and one preview serves all three.
    Usr().InitBusy = true;
    const double v = sld_[index]->ValS();
    for (int i = 0; i < 3; ++i)
      if (i != index) sld_[i]->SetValS(v);
    Usr().InitBusy = false;
  }
  RequestPreview();
}

void spImgH::slotColourSpace() {
  const bool rgb = op_spline_[0]->isChecked();
  const QStringList names = rgb ? QStringList{QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")}
                                : QStringList{QStringLiteral("Y"), QStringLiteral("Cr"), QStringLiteral("Cb")};
  for (int i = 0; i < 3; ++i) ch_spline_[i]->setText(names[i]);
  RequestPreview();
}

QGroupBox* spImgH::SetUpTab(const QString& name) {
  const auto is = [&name](const char* s) { return name == QString::fromUtf8(s); };
  const auto set = [](ruvel::uSld* s, double mn, double mx, int16_t lc, double sc, const char* cap, double v) {
    s->cOn(mn, mx, lc, sc, QString::fromUtf8(cap));
    s->SetValS(v);
  };
  if (is("明度")) {
    for (int i = 0; i < 3; ++i) set(sld_[i], -255, 255, 10, 2, "", 0);
    return fr_img_[0];
  }
  if (is("ぼかし") || is("ｼｬｰﾌﾟ") || is("彩度")) {
    if (is("ぼかし")) {
      level_label_->setText(QStringLiteral("ﾚﾍﾞﾙ(1~20)"));
      set(sld_[3], 1, 20, 2, 1, "", 2);
    } else if (is("ｼｬｰﾌﾟ")) {
      level_label_->setText(QStringLiteral("ﾚﾍﾞﾙ(0~100)"));
      set(sld_[3], 0, 100, 10, 1, "", 5);
    } else {
      level_label_->setText(QStringLiteral("ﾚﾍﾞﾙ(-100~1000)"));
      set(sld_[3], -100, 1000, 10, 1, "淡⇒", 0);
    }
    return fr_img_[1];
  }
  if (is("淵を滑らかに")) return fr_img_[2];
  if (is("ﾉｲｽﾞの除去")) {
    ch_img_->setChecked(true);
    set(sld_[4], 0, 255, 10, 2, "", 50);
    return fr_img_[3];
  }
  // "ｽﾌﾟﾗｲﾝ補正"
  op_spline_[0]->setChecked(true);
  const QStringList rgb = {QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")};
  for (int i = 0; i < 3; ++i) ch_spline_[i]->setText(rgb[i]);
  set(sld_[5], -100, 100, 10, 1, "弱⇒", 0);
  set(sld_[6], -100, 100, 10, 1, "低⇒", 0);
  return fr_img_[4];
}

bool spImgH::ApplyOperation(MvInstance& mv, const SeamCorners& c) {
  const QString& name = EffectName();
  const auto is = [&name](const char* s) { return name == QString::fromUtf8(s); };
  const auto n = [this](int i) { return RoundHalfEven(sld_[i]->ValS()); };
  if (is("明度")) return mv.AdjustBrightness(c, n(0), n(1), n(2));
  if (is("ぼかし")) return mv.Blur(c, n(3));
  if (is("ｼｬｰﾌﾟ")) return mv.Sharpen(c, n(3));
  if (is("彩度")) return mv.AdjustSaturation(c, n(3));
  if (is("淵を滑らかに")) return mv.SmoothEdges(c);
  if (is("ﾉｲｽﾞの除去")) return mv.RemoveNoise(c, ch_img_->isChecked() ? 1 : 0, n(4));
  if (is("ｽﾌﾟﾗｲﾝ補正")) {
    const ToneCurvePoints p = ComputeToneCurve(sld_[5]->ValS(), sld_[6]->ValS());
    const std::vector<int> x(p.x.begin(), p.x.end());
    const std::vector<int> y(p.y.begin(), p.y.end());
    const bool c1 = ch_spline_[0]->isChecked(), c2 = ch_spline_[1]->isChecked(), c3 = ch_spline_[2]->isChecked();
    return op_spline_[0]->isChecked() ? mv.ToneCurve(c, x, y, 5, c1, c2, c3)
                                      : mv.ToneCurveYCrCb(c, x, y, 5, c1, c2, c3);
  }
  return false;
}

}  // namespace ruvel
