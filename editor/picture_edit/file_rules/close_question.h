// File: editor/picture_edit/file_rules/close_question.h
//
// Whether unsaved changes are asked about, saved or dropped before the
// picture is replaced or the program closes.  The answer follows the update
// mode (0 ask, 1 drop silently, 2 save silently) and only matters while the
// picture is changed ("編集").
//
//   CheckSavePlan plan = PlanCheckSave(update_mode, edit_state);
//   CheckSaveAnswer a = plan.ask ? AskSaveChanges(window) : plan.answer;
//   if (a == CheckSaveAnswer::kYes && !Save()) a = CheckSaveAnswer::kCancel;
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace ruvel::file_rules {

// The answers, numbered as the message-box results they stand for.
enum class CheckSaveAnswer : int32_t {
  kUnchanged = 0,  // nothing to save
  kCancel = 2,     // keep the picture, stop what was about to happen
  kYes = 6,        // save first
  kNo = 7,         // drop the changes
};

struct CheckSavePlan {
  bool ask = false;                                     // show the question
  CheckSaveAnswer answer = CheckSaveAnswer::kUnchanged;  // when not asking
};

// PlanCheckSave(): kUnchanged unless `edit_state` is "編集"; then update mode
// 1 answers kNo, 2 answers kYes, and 0 (or any mode the editor does not
// know, so nothing is lost unasked) asks.
CheckSavePlan PlanCheckSave(int update_mode, const QString& edit_state);

// AskSaveChanges(): the Yes/No/Cancel question "現在の画像の変更を保存しますか"
// through the platform prompt; closing the box counts as cancel.
CheckSaveAnswer AskSaveChanges(QWidget* parent = nullptr);

}  // namespace ruvel::file_rules
