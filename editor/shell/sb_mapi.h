// File: editor/shell/sb_mapi.h
//
// sbMapi: hands a message with attachments to the user's mail program (the
// platform mailer, platform/mail.h), which shows it for the user to
// complete and send.
//
//   ruvel::sbMapi::Mail("画像を送ります", "", work + "pic.jpg");
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ruvel {

// Shown when the mail program could not take the message.
inline const QString kMailFailed =
    QStringLiteral("OutLook Express が既定のﾒｰﾙﾊﾝﾄﾞﾗとして指定されているかﾁｪｯｸして下さい");

class sbMapi {
 public:
  // Mail(): attachments is "" (none), one path, or paths separated by
  // commas (empty parts are skipped).  False after showing kMailFailed.
  static bool Mail(const QString& subject, const QString& body, const QString& attachments,
                   QWidget* parent = nullptr);
  // AttachmentList(): the paths of an attachments text, in order.
  static QStringList AttachmentList(const QString& attachments);
};

}  // namespace ruvel
