// File: editor/dialogs/spDpi.h
//
// spDpi: the resolution dialog "解像度の設定".  Shows, per direction, the
// picture's size in pixels and the printed size in inches and centimetres
// that the entered resolution gives, can keep both resolutions equal, and
// can look up a printer's resolution for reference.
//
//   int32_t x = 72, y = 72;  bool ok = false;
//   ruvel::spDpi::Act(&x, &y, 1200, 800, &ok, mainWindow);
//   if (ok) ApplyResolution(x, y);
//
// OK is refused, with a message, while a box holds no whole number from 1
// to kMaxResolution.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace ruvel {

inline constexpr int32_t kMaxResolution = 65535;

// "#.0": one decimal, no leading zero before the point (4 -> "4.0",
// 0.5 -> ".5").
QString OneDecimal(double value);

// What the printer button finds out.
struct PrinterReference {
  bool installed = false;  // false: no printer at all
  bool chosen = false;     // false: the set-up dialog was cancelled
  QString name;
  int dpi_x = 0;
  int dpi_y = 0;
};
// The printer set-up step; the default shows QPrintDialog and reads the
// chosen printer's resolution from QPrinter.  Tests replace it.
using PrinterAsker = std::function<PrinterReference(QWidget* parent)>;
void SetPrinterAsker(PrinterAsker asker);  // empty restores the default

class spDpi : public QDialog {
  Q_OBJECT

 public:
  explicit spDpi(QWidget* parent = nullptr);
  ~spDpi() override;

  // Act(): shows the dialog modally.  On return *ok is true only when the
  // user pressed "&OK" and a resolution differs from the one given; then
  // *x and *y hold the new resolutions.
  static void Act(int32_t* x, int32_t* y, int32_t width, int32_t height, bool* ok, QWidget* parent = nullptr);

  // Load(): fills the dialog as Act() does before showing it.
  void Load(int32_t x, int32_t y, int32_t width, int32_t height);
  bool Ok() const { return ok_; }
  int32_t NewX() const { return newX_; }
  int32_t NewY() const { return newY_; }

  // Recalculate(): d = 0 none, 1 horizontal edited, 2 vertical edited.
  void Recalculate(int d);
  void PrinterButton();

  QLineEdit* txYoko() const { return txYoko_; }
  QLineEdit* txTate() const { return txTate_; }
  QCheckBox* chXY() const { return chXY_; }
  QLabel* lbYoko(int i) const { return lbYoko_[i]; }
  QLabel* lbTate(int i) const { return lbTate_[i]; }
  QLabel* lbPrn(int i) const { return lbPrn_[i]; }
  QPushButton* cmOK(int i) const { return cmOK_[i]; }
  QPushButton* cmPrn() const { return cmPrn_; }
  QToolButton* ssCom() const { return ssCom_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void Button(int i);

  bool busy_ = false;
  bool ok_ = false;
  int32_t initialX_ = 0, initialY_ = 0;
  int32_t width_ = 0, height_ = 0;
  int32_t newX_ = 0, newY_ = 0;

  QLineEdit* txYoko_ = nullptr;
  QLineEdit* txTate_ = nullptr;
  QCheckBox* chXY_ = nullptr;
  std::array<QLabel*, 3> lbYoko_{};
  std::array<QLabel*, 3> lbTate_{};
  std::array<QLabel*, 3> lbPrn_{};
  std::array<QPushButton*, 2> cmOK_{};
  QPushButton* cmPrn_ = nullptr;
  QToolButton* ssCom_ = nullptr;
};

}  // namespace ruvel
