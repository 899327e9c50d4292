// File: editor/dialogs/spSize.h
//
// spSize: the selection size dialog "選択･切取ｻｲｽﾞの登録".  Keeps the user's
// list of named selection (cut-out) sizes, one text of ":"-separated
// entries "name,width,height,unit" (unit "px" or "cm").  Sizes come from
// the current selection, from typed numbers or from the preset lists of
// screen and paper formats, optionally scaled by a percentage and swapped.
//
//   QString ranges = pic->UsrHani();
//   ruvel::spSize::Act(&ranges, 640, 480, mainWindow);
//   pic->setUsrHani(ranges);
//
// The window is modal and has one way out ("閉じる" or its title bar); the
// edited list always goes back.  Names holding ":" or "," (which would
// break the list) and sizes that are not positive numbers are refused with
// a message.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "editor/dialogs/size_list.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace ruvel {

// The desktop calculators tried by the calculator button, in order.
inline const QStringList kCalculatorPrograms = {"gnome-calculator", "kcalc", "galculator", "xcalc"};
// StartCalculator(): starts the first of kCalculatorPrograms found on the
// PATH; false (and nothing started) when none is installed.
bool StartCalculator();

class spSize : public QDialog {
  Q_OBJECT

 public:
  explicit spSize(QWidget* parent = nullptr);
  ~spSize() override;

  // Act(): shows the dialog modally over the main window and returns the
  // edited list in `*ranges`.  `width`, `height`: the current selection in
  // pixels.
  static void Act(QString* ranges, int32_t width, int32_t height, QWidget* parent = nullptr);
  // ScrnSz(): the desktop work area in pixels.
  static void ScrnSz(int32_t* width, int32_t* height);

  // Load(): fills the dialog as Act() does before showing it.
  void Load(const QString& ranges, int32_t width, int32_t height);
  // The list as it stands.
  QString Ranges() const { return entries_.join(':'); }

  // The window's controls, for the tests.
  QListWidget* lsHani() const { return lsHani_; }
  QLineEdit* txCap() const { return txCap_; }
  QRadioButton* opSize(int k) const { return opSize_[k]; }
  QLineEdit* txSizeX(int k) const { return txSizeX_[k]; }
  QLineEdit* txSizeY(int k) const { return txSizeY_[k]; }
  QListWidget* lsSize(int k) const { return lsSize_[k]; }
  QLineEdit* txPsnt(int k) const { return txPsnt_[k]; }
  QCheckBox* chXY(int k) const { return chXY_[k]; }
  QLabel* lbCap() const { return lbCap_; }
  QPushButton* cmLst(int i) const { return cmLst_[i]; }
  QPushButton* cmClose() const { return cmClose_; }
  QToolButton* ssCom() const { return ssCom_; }

  // The window's own steps (also run by its events).
  void ShowEntry(int index, bool from_caller);
  void TakePreset(int side);
  void SizeEdited(int side);
  void NameCheck();
  void ListButton(int button);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void FillPresets();
  void FillList();
  int Selected() const;
  int SelectedSide() const;
  bool NameTaken(const QString& name) const;
  // EditedEntry(): the entry the edit fields describe; "" (after a message)
  // when the name or the size is not acceptable.
  QString EditedEntry();
  void PercentChanged(int side);

  bool busy_ = false;
  QStringList entries_;  // the non-empty entries, in order

  QListWidget* lsHani_ = nullptr;
  QLineEdit* txCap_ = nullptr;
  std::array<QRadioButton*, 2> opSize_{};
  std::array<QLineEdit*, 2> txSizeX_{};
  std::array<QLineEdit*, 2> txSizeY_{};
  std::array<QListWidget*, 2> lsSize_{};
  std::array<QLineEdit*, 2> txPsnt_{};
  std::array<QCheckBox*, 2> chXY_{};
  QLabel* lbCap_ = nullptr;
  std::array<QPushButton*, 5> cmLst_{};
  QPushButton* cmClose_ = nullptr;
  QToolButton* ssCom_ = nullptr;
};

}  // namespace ruvel
