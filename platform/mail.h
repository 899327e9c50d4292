// File: platform/mail.h
//
// Hands a new message to the user's own mail program, which shows it for the
// user to complete and send.  The default runs
//   xdg-email --subject SUBJECT [--body BODY] --attach FILE ...
// and a non-zero exit (or no xdg-email at all) is a failure; xdg-email
// cannot tell a cancel in the mail program apart, so there is no cancel.
// Tests install a RecordingMailer.
//
//   platform::MailMessage m{"画像を送ります", "", {"/home/u/.local/share/.../Wrk/pic.jpg"}};
//   if (!platform::CurrentMailer().Compose(m)) ShowMessage(...);
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

struct MailMessage {
  QString subject;
  QString body;
  QStringList attachments;  // file paths, in order
};

class Mailer {
 public:
  virtual ~Mailer() = default;
  // Compose(): true when the mail program took the message.
  virtual bool Compose(const MailMessage& message) = 0;
};

Mailer& CurrentMailer();            // xdg-email by default
void SetMailer(Mailer* mailer);     // nullptr restores the default

// XdgEmailArguments(): the arguments the default passes to xdg-email.
QStringList XdgEmailArguments(const MailMessage& message);

// XdgEmailMailer: runs a program (xdg-email unless told otherwise) with
// XdgEmailArguments.  A program still running after `wait_ms` is taken as
// the mail program having opened (it is left running).
class XdgEmailMailer : public Mailer {
 public:
  explicit XdgEmailMailer(QString program = QStringLiteral("xdg-email"), int wait_ms = 15000)
      : program_(std::move(program)), wait_ms_(wait_ms) {}
  bool Compose(const MailMessage& message) override;

 private:
  QString program_;
  int wait_ms_;
};

class RecordingMailer : public Mailer {
 public:
  bool Compose(const MailMessage& message) override {
    sent_.push_back(message);
    return result_;
  }
  void SetResult(bool result) { result_ = result; }
  const std::vector<MailMessage>& sent() const { return sent_; }

 private:
  std::vector<MailMessage> sent_;
  bool result_ = true;
};

}  // namespace platform
