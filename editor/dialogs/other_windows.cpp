// File: editor/dialogs/other_windows.cpp
#include "editor/dialogs/other_windows.h"

#include "platform/prompt.h"

namespace ruvel {
namespace {

OtherWindows* g_windows = nullptr;

}  // namespace

void OtherWindows::OpenDetailedSave(QWidget* owner, int32_t /*image_handle*/) {
  platform::ShowMessage(QStringLiteral("別名保存(詳細指定): ") + kWindowNotAvailable, owner);
}

void OtherWindows::OpenSubWindow(QWidget* owner) {
  platform::ShowMessage(QStringLiteral("ｻﾌﾞﾌｫｰﾑ: ") + kWindowNotAvailable, owner);
}

bool OtherWindows::EditExternalEditors(QWidget* owner, std::array<QString, 3>* /*editors*/) {
  platform::ShowMessage(QStringLiteral("画像ｴﾃﾞｨﾀの登録: ") + kWindowNotAvailable, owner);
  return false;
}

OtherWindows& CurrentOtherWindows() {
  static OtherWindows fallback;
  return g_windows ? *g_windows : fallback;
}

void SetOtherWindows(OtherWindows* windows) { g_windows = windows; }

}  // namespace ruvel
