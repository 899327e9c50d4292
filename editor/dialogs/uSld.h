// File: editor/dialogs/uSld.h
//
// uSld: one numeric parameter as a caption, a track slider, a text box the
// value can be typed into, and step-down/step-up buttons.  A range below 10
// or above 100 wide runs the slider over 0..100 and maps it onto the range,
// so fractional (0..1) and wide (-255..255) ranges slide smoothly.
//
//   uSld level(parent);
//   int16_t large = 10;
//   level.cOn(0, 255, large, 1, QStringLiteral("明⇒"));
//   level.SetValS(128);                       // raises nothing
//   connect(&level, &uSld::eCngVL, this, &Dialog::slotLevelChanged);
//
// Every change the user makes (slider, typed text, step button) raises
// eCngVL once; values set by the program raise nothing.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;

namespace ruvel {

class uSld : public QWidget {
  Q_OBJECT

 public:
  explicit uSld(QWidget* parent = nullptr);

  // cOn(): configures the control for a parameter: range wMn..wMx, large
  // change iLc (0 becomes 10, also in the caller's variable), step iSc of
  // the buttons, caption sTxMn.  May be called again at any time.
  void cOn(double wMn, double wMx, int16_t& iLc, double iSc, const QString& sTxMn = QString());

  // ValS(): the leading number of the text box (0 when the text starts
  // with none); not clamped to the range.
  double ValS() const;
  // SetValS(): moves the slider and writes the value ("#.#"); no event.
  void SetValS(double wVaL);

  // Enabled(): enables or disables the slider, the text and both buttons.
  void Enabled(bool bEnb);

  // Position of the slider for a value, and value of a position.
  int PositionOf(double value) const;
  double ValueAt(int position) const;
  bool scaled() const { return scaled_; }

  // The parts, for layout checks and tests that drive them like a user.
  QSlider* slider() const { return slider_; }
  QLineEdit* textBox() const { return text_; }
  QToolButton* stepButton(int index) const { return index == 0 ? down_ : up_; }
  QLabel* caption() const { return caption_; }

  QSize sizeHint() const override;

 signals:
  // The user changed the value.
  void eCngVL();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void slotSliderMoved(int position);
  void slotTextEdited(const QString& text);
  void Step(double delta);
  void MoveSlider(double value);

  QLabel* caption_;
  QSlider* slider_;
  QLineEdit* text_;
  QToolButton* down_;
  QToolButton* up_;

  double minimum_ = 0;
  double maximum_ = 0;
  double step_ = 1;
  bool scaled_ = false;
  double factor_ = 1.0;
  bool busy_ = false;
};

// Number formats of the slider's text box.
// FormatHashPoint(): "#.#": one decimal at most, integer part 0 left out,
// the point always kept (3 -> "3.", 0.5 -> ".5").
QString FormatHashPoint(double value);
// FormatZeroPoint(): "0.#": as above but the integer part always shown.
QString FormatZeroPoint(double value);
// FormatShortest(): as many digits as the value needs (0.37 -> "0.37").
QString FormatShortest(double value);

}  // namespace ruvel
