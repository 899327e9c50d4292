#include "editor/shell/sb_mapi.h"

#include <gtest/gtest.h>

#include "platform/mail.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

TEST(SbMapi, AttachmentsSplitAtCommasWithoutGaps) {
  EXPECT_EQ(sbMapi::AttachmentList(QString()), QStringList());
  EXPECT_EQ(sbMapi::AttachmentList("/a/pic.jpg"), QStringList{"/a/pic.jpg"});
  EXPECT_EQ(sbMapi::AttachmentList("/a,,/b,"), (QStringList{"/a", "/b"}));
}

TEST(SbMapi, MailReachesTheMailerAndFailureShowsTheMessage) {
  platform::RecordingMailer mailer;
  platform::SetMailer(&mailer);
  platform::ScriptedPrompt prompt;
  platform::ScopedPrompt use(&prompt);

  EXPECT_TRUE(sbMapi::Mail(QStringLiteral("画像を送ります"), QString(), "/w/pic.jpg,"));
  ASSERT_EQ(mailer.sent().size(), 1u);
  EXPECT_EQ(mailer.sent()[0].subject, QStringLiteral("画像を送ります"));
  EXPECT_EQ(mailer.sent()[0].attachments, QStringList{"/w/pic.jpg"});
  EXPECT_TRUE(prompt.shown().empty());

  mailer.SetResult(false);
  EXPECT_FALSE(sbMapi::Mail(QStringLiteral("画像を送ります"), QString(), "/w/pic.jpg"));
  ASSERT_EQ(prompt.texts().size(), 1u);
  EXPECT_EQ(prompt.texts()[0], kMailFailed);
  platform::SetMailer(nullptr);
}

}  // namespace
}  // namespace ruvel
