#include "editor/picture_edit/file_rules/close_question.h"

#include <gtest/gtest.h>

#include "platform/prompt.h"

namespace ruvel::file_rules {
namespace {

using platform::PromptAnswer;

TEST(CheckSave, UpdateModeByEditStateMatrix) {
  const QString states[] = {"初期", "読込", "編集", "", "変更"};
  for (int mode : {0, 1, 2, 3, -1}) {
    for (const QString& state : states) {
      SCOPED_TRACE(QString("mode %1 state %2").arg(mode).arg(state).toStdString());
      const CheckSavePlan plan = PlanCheckSave(mode, state);
      if (state != QString("編集")) {
        EXPECT_FALSE(plan.ask);
        EXPECT_EQ(plan.answer, CheckSaveAnswer::kUnchanged);
      } else if (mode == 1) {
        EXPECT_FALSE(plan.ask);
        EXPECT_EQ(plan.answer, CheckSaveAnswer::kNo);
      } else if (mode == 2) {
        EXPECT_FALSE(plan.ask);
        EXPECT_EQ(plan.answer, CheckSaveAnswer::kYes);
      } else {
        // Mode 0, and modes the editor does not know, ask rather than drop.
        EXPECT_TRUE(plan.ask);
      }
    }
  }
}

TEST(CheckSave, AnswerNumbersMatchTheMessageBoxResults) {
  EXPECT_EQ(static_cast<int>(CheckSaveAnswer::kUnchanged), 0);
  EXPECT_EQ(static_cast<int>(CheckSaveAnswer::kCancel), 2);
  EXPECT_EQ(static_cast<int>(CheckSaveAnswer::kYes), 6);
  EXPECT_EQ(static_cast<int>(CheckSaveAnswer::kNo), 7);
}

TEST(CheckSave, QuestionTextButtonsAndAnswers) {
  platform::ScriptedPrompt prompt;
  platform::ScopedPrompt use(&prompt);
  prompt.QueueAnswer(PromptAnswer::kYes);
  prompt.QueueAnswer(PromptAnswer::kNo);
  prompt.QueueAnswer(PromptAnswer::kCancel);
  EXPECT_EQ(AskSaveChanges(), CheckSaveAnswer::kYes);
  EXPECT_EQ(AskSaveChanges(), CheckSaveAnswer::kNo);
  EXPECT_EQ(AskSaveChanges(), CheckSaveAnswer::kCancel);
  ASSERT_EQ(prompt.shown().size(), 3u);
  for (const platform::PromptRequest& r : prompt.shown()) {
    EXPECT_EQ(r.text, QString("現在の画像の変更を保存しますか"));
    EXPECT_EQ(r.buttons, platform::PromptButtons::kYesNoCancel);
  }
}

}  // namespace
}  // namespace ruvel::file_rules
