// File: editor/dialogs/spPex.h
//
// spPex: the external editor dialog "画像ｴﾃﾞｨﾀの登録".  Up to three programs
// in which the current picture can be opened, each a caption (shown in the
// popup menu) and a program path, exchanged as "caption,path".
//
//   QString r[3] = {exe1, exe2, exe3};
//   if (ruvel::spPex::Act(&r[0], &r[1], &r[2], mainWindow)) StoreEditors(r);
//
// The program chooser lists executable files, starting in /usr/bin;
// cancelling it keeps the row's path.  A caption holding "," (which would
// break the stored text) is refused with a message.
#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QLineEdit;
class QPushButton;

namespace ruvel {

inline const QString kProgramFolder = QStringLiteral("/usr/bin");

class spPex : public QDialog {
  Q_OBJECT

 public:
  explicit spPex(QWidget* parent = nullptr);
  ~spPex() override;

  // Act(): shows the dialog modally; after "&OK" the three registrations
  // are replaced and true is returned; closed any other way, nothing
  // changes and false is returned.
  static bool Act(QString* reg1, QString* reg2, QString* reg3, QWidget* parent = nullptr);

  // Load(): fills the rows from the registrations, as Act() does.
  void Load(const std::array<QString, 3>& registrations);
  // Registrations(): caption + "," + path per row.
  std::array<QString, 3> Registrations() const;
  bool Ok() const { return ok_; }

  // Browse(): the program chooser of row k.
  void Browse(int k);
  // OkButton(): checks the captions and closes with OK.
  void OkButton();

  QLineEdit* txName(int k) const { return txName_[k]; }
  QLineEdit* txExe(int k) const { return txExe_[k]; }
  QPushButton* cmFile(int k) const { return cmFile_[k]; }
  QPushButton* cmOk() const { return cmOk_; }

 private:
  bool ok_ = false;
  std::array<QLineEdit*, 3> txName_{};
  std::array<QLineEdit*, 3> txExe_{};
  std::array<QPushButton*, 3> cmFile_{};
  QPushButton* cmOk_ = nullptr;
};

}  // namespace ruvel
