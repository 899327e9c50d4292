// File: platform/mail.cpp
#include "platform/mail.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {
namespace {

Mailer* g_mailer = nullptr;

}  // namespace

QStringList XdgEmailArguments(const MailMessage& message) {
  QStringList args;
  if (!message.subject.isEmpty()) args << QStringLiteral("--subject") << message.subject;
  if (!message.body.isEmpty()) args << QStringLiteral("--body") << message.body;
  for (const QString& file : message.attachments) args << QStringLiteral("--attach") << file;
  return args;
}

bool XdgEmailMailer::Compose(const MailMessage& message) {
  // Owned by the application so that a mail program that keeps xdg-email
  // waiting is not killed when this call returns.
  auto* process = new QProcess(QCoreApplication::instance());
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setStandardInputFile(QProcess::nullDevice());
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) process->deleteLater();
  });
  process->start(program_, XdgEmailArguments(message));
  if (!process->waitForStarted(5000)) return false;
  if (!process->waitForFinished(wait_ms_)) return process->state() == QProcess::Running;
  return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

Mailer& CurrentMailer() {
  static XdgEmailMailer fallback;
  return g_mailer ? *g_mailer : fallback;
}

void SetMailer(Mailer* mailer) { g_mailer = mailer; }

}  // namespace platform
