// File: editor/dialogs/other_windows.cpp
#include "editor/dialogs/other_windows.h"

#include "editor/dialogs/sbPic.h"
#include "editor/dialogs/spImgSV.h"
#include "editor/dialogs/spPex.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

OtherWindows* g_windows = nullptr;

}  // namespace

void OtherWindows::OpenDetailedSave(QWidget* owner, int32_t image_handle) {
  if (image_handle == 0) {
    platform::ShowMessage(QStringLiteral("保存する画像がありません"), owner);
    return;
  }
  spImgSV::Act(static_cast<imaging::MemHandle>(image_handle), owner);
}

void OtherWindows::OpenSubWindow(QWidget* /*owner*/) { sbPic::Act(); }

bool OtherWindows::EditExternalEditors(QWidget* owner, std::array<QString, 3>* editors) {
  return spPex::Act(&(*editors)[0], &(*editors)[1], &(*editors)[2], owner);
}

OtherWindows& CurrentOtherWindows() {
  static OtherWindows fallback;
  return g_windows ? *g_windows : fallback;
}

void SetOtherWindows(OtherWindows* windows) { g_windows = windows; }

}  // namespace ruvel
