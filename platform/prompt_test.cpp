#include "platform/prompt.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ScriptedPrompt, RecordsTextsButtonsAndTitle) {
  ScriptedPrompt prompt;
  ScopedPrompt use(&prompt);
  SetPromptTitle("Ruvel");
  ShowMessage("ﾌｫﾙﾀﾞ が見つかりません");
  prompt.QueueAnswer(PromptAnswer::kNo);
  EXPECT_EQ(AskYesNoCancel("保存しますか"), PromptAnswer::kNo);
  ASSERT_EQ(prompt.shown().size(), 2u);
  EXPECT_EQ(prompt.shown()[0].text, QString("ﾌｫﾙﾀﾞ が見つかりません"));
  EXPECT_EQ(prompt.shown()[0].buttons, PromptButtons::kOk);
  EXPECT_EQ(prompt.shown()[0].title, QString("Ruvel"));
  EXPECT_EQ(prompt.shown()[1].buttons, PromptButtons::kYesNoCancel);
  SetPromptTitle(QString());
}

TEST(ScriptedPrompt, QueueThenDefaultAnswer) {
  ScriptedPrompt prompt;
  ScopedPrompt use(&prompt);
  prompt.SetDefaultAnswer(PromptAnswer::kCancel);
  prompt.QueueAnswer(PromptAnswer::kYes);
  EXPECT_EQ(AskYesNoCancel("a"), PromptAnswer::kYes);
  EXPECT_EQ(AskYesNoCancel("b"), PromptAnswer::kCancel);
  EXPECT_EQ(AskYesNoCancel("c"), PromptAnswer::kCancel);
}

TEST(ScriptedPrompt, AnswersFitTheButtonsOffered) {
  ScriptedPrompt prompt;
  ScopedPrompt use(&prompt);
  prompt.SetDefaultAnswer(PromptAnswer::kCancel);
  EXPECT_EQ(AskYesNo("x"), PromptAnswer::kNo);  // a Yes/No box has no Cancel
  prompt.QueueAnswer(PromptAnswer::kYes);
  ShowMessage("y");  // an OK box answers OK whatever is queued
  EXPECT_EQ(prompt.texts(), (std::vector<QString>{"x", "y"}));
}

TEST(ScopedPrompt, RestoresThePreviousPrompt) {
  ScriptedPrompt outer;
  ScriptedPrompt inner;
  ScopedPrompt use_outer(&outer);
  {
    ScopedPrompt use_inner(&inner);
    EXPECT_EQ(&CurrentPrompt(), &inner);
  }
  EXPECT_EQ(&CurrentPrompt(), &outer);
  ShowMessage("z");
  EXPECT_EQ(outer.shown().size(), 1u);
  EXPECT_TRUE(inner.shown().empty());
}

}  // namespace
}  // namespace platform
