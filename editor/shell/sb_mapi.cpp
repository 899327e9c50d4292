// File: editor/shell/sb_mapi.cpp
#include "editor/shell/sb_mapi.h"

#include "platform/mail.h"
#include "platform/prompt.h"

namespace ruvel {

QStringList sbMapi::AttachmentList(const QString& attachments) {
  if (attachments.isEmpty()) return {};
  if (!attachments.contains(QLatin1Char(','))) return {attachments};
  QStringList parts;
  for (const QString& part : attachments.split(QLatin1Char(',')))
    if (!part.isEmpty()) parts << part;
  return parts;
}

bool sbMapi::Mail(const QString& subject, const QString& body, const QString& attachments, QWidget* parent) {
  const platform::MailMessage message{subject, body, AttachmentList(attachments)};
  if (platform::CurrentMailer().Compose(message)) return true;
  platform::ShowMessage(kMailFailed, parent);
  return false;
}

}  // namespace ruvel
