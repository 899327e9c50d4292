// spPex: the external editor dialog.
#include "editor/dialogs/spPex.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/dialogs/centre_dialog.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "platform/file_dialog.h"
#include "platform/prompt.h"

namespace ruvel {

spPex::spPex(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("画像ｴﾃﾞｨﾀの登録"));
  auto* root = new QVBoxLayout(this);
  root->addWidget(new QLabel(QStringLiteral("編集対象の画像を外部ｱﾌﾟﾘｹｰｼｮﾝで開く為の登録です"), this));
  auto* grid = new QGridLayout;
  auto* header = new QLabel(QStringLiteral("    Caption                 |  File Path"), this);
  header->setTextFormat(Qt::PlainText);
  grid->addWidget(header, 0, 0, 1, 3);
  for (int k = 0; k < 3; ++k) {
    txName_[k] = new QLineEdit(this);
    txName_[k]->setMinimumWidth(150);
    txExe_[k] = new QLineEdit(this);
    txExe_[k]->setMinimumWidth(320);
    cmFile_[k] = new QPushButton(QStringLiteral("..."), this);
    cmFile_[k]->setAutoDefault(false);
    cmFile_[k]->setMaximumWidth(40);
    grid->addWidget(txName_[k], k + 1, 0);
    grid->addWidget(txExe_[k], k + 1, 1);
    grid->addWidget(cmFile_[k], k + 1, 2);
    connect(cmFile_[k], &QPushButton::clicked, this, [this, k] { Browse(k); });
  }
  grid->setColumnStretch(1, 1);
  root->addLayout(grid);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  cmOk_ = new QPushButton(QStringLiteral("&OK"), this);
  cmOk_->setAutoDefault(false);
  bottom->addWidget(cmOk_);
  root->addLayout(bottom);
  connect(cmOk_, &QPushButton::clicked, this, &spPex::OkButton);
}

spPex::~spPex() = default;

bool spPex::Act(QString* reg1, QString* reg2, QString* reg3, QWidget* parent) {
  spPex dialog(parent);
  Usr().InitBusy = true;
  dialog.Load({*reg1, *reg2, *reg3});
  Usr().InitBusy = false;
  CentreOverMainWindow(&dialog, parent);
  dialog.exec();
  if (!dialog.Ok()) return false;
  const std::array<QString, 3> r = dialog.Registrations();
  *reg1 = r[0];
  *reg2 = r[1];
  *reg3 = r[2];
  return true;
}

void spPex::Load(const std::array<QString, 3>& registrations) {
  for (int k = 0; k < 3; ++k) {
    if (registrations[k].isEmpty()) continue;
    QString name, path;
    SplitAt(registrations[k], QStringLiteral(","), &name, &path);
    txName_[k]->setText(name);
    txExe_[k]->setText(path);
  }
}

std::array<QString, 3> spPex::Registrations() const {
  std::array<QString, 3> r;
  for (int k = 0; k < 3; ++k) r[k] = txName_[k]->text() + "," + txExe_[k]->text();
  return r;
}

void spPex::Browse(int k) {
  platform::FileDialogRequest request;
  request.title = QStringLiteral("画像ｴﾃﾞｨﾀの指定");
  request.filter = QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ|*");
  request.filter_index = 1;
  request.executables_only = true;
  const QFileInfo current(txExe_[k]->text());
  request.start_folder = current.isAbsolute() && current.dir().exists() ? current.absolutePath() : kProgramFolder;
  const platform::FileDialogAnswer answer = platform::CurrentFileDialog().Ask(request, this);
  if (!answer.accepted || answer.path.isEmpty()) return;
  const QFileInfo chosen(answer.path);
  if (!chosen.isFile() || !chosen.isExecutable()) {
    platform::ShowMessage(answer.path + QStringLiteral(" は実行できるﾌｧｲﾙではありません"), this);
    return;
  }
  txExe_[k]->setText(answer.path);
}

void spPex::OkButton() {
  for (int k = 0; k < 3; ++k) {
    if (txName_[k]->text().contains(',')) {
      platform::ShowMessage(QStringLiteral("Caption に \",\" は使えません"), this);
      txName_[k]->setFocus();
      return;
    }
  }
  ok_ = true;
  accept();
}

}  // namespace ruvel
