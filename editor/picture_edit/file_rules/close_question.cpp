#include "editor/picture_edit/file_rules/close_question.h"

#include "editor/picture_edit/file_rules/messages.h"
#include "platform/prompt.h"

namespace ruvel::file_rules {

CheckSavePlan PlanCheckSave(int update_mode, const QString& edit_state) {
  if (edit_state != QString("編集")) return {false, CheckSaveAnswer::kUnchanged};
  switch (update_mode) {
    case 1: return {false, CheckSaveAnswer::kNo};
    case 2: return {false, CheckSaveAnswer::kYes};
    default: return {true, CheckSaveAnswer::kCancel};
  }
}

CheckSaveAnswer AskSaveChanges(QWidget* parent) {
  switch (platform::AskYesNoCancel(kAskSaveChanges, parent)) {
    case platform::PromptAnswer::kYes: return CheckSaveAnswer::kYes;
    case platform::PromptAnswer::kNo: return CheckSaveAnswer::kNo;
    default: return CheckSaveAnswer::kCancel;
  }
}

}  // namespace ruvel::file_rules
