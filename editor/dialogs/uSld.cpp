// uSld: caption, track slider, typed value and step buttons for one numeric
// parameter.
#include "editor/dialogs/uSld.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <limits>

#include "editor/shell/y_ini.h"
#include "platform/font_substitution.h"

namespace ruvel {

namespace {

// Rounds to the nearest integer, ties to even, kept inside int.
int RoundEven(double v) {
  if (!std::isfinite(v)) return 0;
  const double r = std::nearbyint(v);  // default rounding: to nearest, ties to even
  if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (r < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

// One decimal at most, rounded half away from zero; `keep_zero` writes an
// integer part of 0.
QString FormatOneDecimal(double value, bool keep_zero) {
  if (!std::isfinite(value)) return QStringLiteral("0");
  const double tenths = std::round(std::fabs(value) * 10.0);
  const double whole = std::floor(tenths / 10.0);
  const int digit = static_cast<int>(tenths - whole * 10.0);
  QString out;
  if (value < 0 && tenths != 0) out += QLatin1Char('-');
  if (whole != 0 || keep_zero) out += QString::number(whole, 'f', 0);
  out += QLatin1Char('.');
  if (digit != 0) out += QString::number(digit);
  return out;
}

}  // namespace

QString FormatHashPoint(double value) { return FormatOneDecimal(value, false); }
QString FormatZeroPoint(double value) { return FormatOneDecimal(value, true); }

QString FormatShortest(double value) {
  if (!std::isfinite(value)) return QStringLiteral("0");
  // 15 significant digits hide the binary noise of p / factor + minimum.
  QString s = QString::number(value, 'g', 15);
  if (s == QLatin1String("-0")) s = QStringLiteral("0");
  return s;
}

uSld::uSld(QWidget* parent)
    : QWidget(parent),
      caption_(new QLabel(this)),
      slider_(new QSlider(Qt::Horizontal, this)),
      text_(new QLineEdit(QStringLiteral("0"), this)),
      down_(new QToolButton(this)),
      up_(new QToolButton(this)) {
  caption_->setFont(platform::SubstituteFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
  down_->setArrowType(Qt::LeftArrow);
  up_->setArrowType(Qt::RightArrow);
  down_->setAutoRepeat(true);
  up_->setAutoRepeat(true);
  down_->setFixedSize(22, 22);
  up_->setFixedSize(22, 22);
  text_->setFixedWidth(56);
  text_->setAlignment(Qt::AlignRight);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setMinimumWidth(150);

  // Step-down button over the caption at the left, the slider in the
  // middle, the text box and the step-up button at the right.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(0);
  grid->addWidget(down_, 0, 0, Qt::AlignLeft);
  grid->addWidget(caption_, 1, 0, 1, 1, Qt::AlignLeft | Qt::AlignTop);
  grid->addWidget(slider_, 0, 1, 2, 1);
  grid->addWidget(text_, 0, 2, Qt::AlignVCenter);
  grid->addWidget(up_, 0, 3, Qt::AlignVCenter);
  grid->setColumnStretch(1, 1);

  connect(slider_, &QSlider::valueChanged, this, &uSld::slotSliderMoved);
  connect(text_, &QLineEdit::textChanged, this, &uSld::slotTextEdited);
  connect(down_, &QToolButton::clicked, this, [this] { Step(-step_); });
  connect(up_, &QToolButton::clicked, this, [this] { Step(step_); });
  text_->installEventFilter(this);
}

QSize uSld::sizeHint() const {
  const QSize base = QWidget::sizeHint();
  return {std::max(base.width(), 300), base.height()};
}

void uSld::cOn(double wMn, double wMx, int16_t& iLc, double iSc, const QString& sTxMn) {
  if (iLc == 0) iLc = 10;
  busy_ = true;
  minimum_ = wMn;
  maximum_ = wMx;
  step_ = iSc;
  const double range = maximum_ - minimum_;
  scaled_ = range < 10 || range > 100;
  if (range != 0 && scaled_) {
    factor_ = 100.0 / range;
    slider_->setRange(0, 100);
    slider_->setPageStep(10);
  } else {
    factor_ = 1.0;
    slider_->setRange(RoundEven(minimum_), RoundEven(maximum_));
    slider_->setPageStep(iLc);
  }
  slider_->setTickInterval(std::max(1, (slider_->maximum() - slider_->minimum()) / 10));
  caption_->setText(sTxMn);
  Enabled(true);
  busy_ = false;
}

int uSld::PositionOf(double value) const {
  return scaled_ ? RoundEven((value - minimum_) * factor_) : RoundEven(value);
}

double uSld::ValueAt(int position) const { return scaled_ ? position / factor_ + minimum_ : position; }

double uSld::ValS() const { return LeadingNumber(text_->text()); }

void uSld::SetValS(double wVaL) {
  busy_ = true;
  MoveSlider(wVaL);
  text_->setText(FormatHashPoint(wVaL));
  busy_ = false;
}

void uSld::Enabled(bool bEnb) {
  slider_->setEnabled(bEnb);
  text_->setEnabled(bEnb);
  down_->setEnabled(bEnb);
  up_->setEnabled(bEnb);
}

void uSld::MoveSlider(double value) { slider_->setValue(PositionOf(value)); }  // clamped by the slider

void uSld::slotSliderMoved(int position) {
  if (busy_) return;
  busy_ = true;
  text_->setText(FormatShortest(ValueAt(position)));
  busy_ = false;
  emit eCngVL();
}

void uSld::slotTextEdited(const QString& text) {
  if (busy_) return;
  busy_ = true;
  MoveSlider(LeadingNumber(text));
  busy_ = false;
  emit eCngVL();
}

void uSld::Step(double delta) {
  if (busy_) return;
  const double v = ValS() + delta;
  busy_ = true;
  text_->setText(FormatZeroPoint(v));
  MoveSlider(v);
  busy_ = false;
  emit eCngVL();
}

bool uSld::eventFilter(QObject* watched, QEvent* event) {
  // The whole text is selected when the box gets the focus (after the
  // click that gave it, which would otherwise place the caret).
  if (watched == text_ && event->type() == QEvent::FocusIn)
    QTimer::singleShot(0, text_, [t = text_] { t->selectAll(); });
  return QWidget::eventFilter(watched, event);
}

}  // namespace ruvel
