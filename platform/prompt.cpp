// File: platform/prompt.cpp
//
// QMessageBox-backed prompt and the scripted stand-in for tests.
#include "platform/prompt.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace platform {
namespace {

class MessageBoxPrompt : public Prompt {
 public:
  PromptAnswer Ask(const PromptRequest& request, QWidget* parent) override {
    QMessageBox box(parent);
    box.setWindowTitle(request.title.isEmpty() ? PromptTitle() : request.title);
    // Texts keep the CR line breaks of the design; the label wants LF.
    QString shown = request.text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    switch (request.icon) {
      case PromptIcon::kNone: box.setIcon(QMessageBox::NoIcon); break;
      case PromptIcon::kInformation: box.setIcon(QMessageBox::Information); break;
      case PromptIcon::kQuestion: box.setIcon(QMessageBox::Question); break;
      case PromptIcon::kWarning: box.setIcon(QMessageBox::Warning); break;
      case PromptIcon::kCritical: box.setIcon(QMessageBox::Critical); break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    if (request.buttons == PromptButtons::kYesNoCancel) {
      buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      escape = QMessageBox::Cancel;
    } else if (request.buttons == PromptButtons::kYesNo) {
      buttons = QMessageBox::Yes | QMessageBox::No;
      escape = QMessageBox::No;
    }
    box.setStandardButtons(buttons);
    box.setEscapeButton(escape);
    switch (request.default_button) {
      case PromptAnswer::kYes: box.setDefaultButton(QMessageBox::Yes); break;
      case PromptAnswer::kNo: box.setDefaultButton(QMessageBox::No); break;
      case PromptAnswer::kCancel: box.setDefaultButton(QMessageBox::Cancel); break;
      case PromptAnswer::kOk:
        box.setDefaultButton(request.buttons == PromptButtons::kOk ? QMessageBox::Ok
                                                                   : QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
      case QMessageBox::Yes: return PromptAnswer::kYes;
      case QMessageBox::No: return PromptAnswer::kNo;
      case QMessageBox::Cancel: return PromptAnswer::kCancel;
      default: break;
    }
    if (request.buttons == PromptButtons::kYesNoCancel) return PromptAnswer::kCancel;
    if (request.buttons == PromptButtons::kYesNo) return PromptAnswer::kNo;
    return PromptAnswer::kOk;
  }
};

MessageBoxPrompt& DefaultPrompt() {
  static MessageBoxPrompt prompt;
  return prompt;
}

Prompt* g_prompt = nullptr;
QString g_title;

PromptAnswer Fit(PromptAnswer answer, PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk:
      return PromptAnswer::kOk;
    case PromptButtons::kYesNo:
      if (answer == PromptAnswer::kYes) return PromptAnswer::kYes;
      return PromptAnswer::kNo;
    case PromptButtons::kYesNoCancel:
      if (answer == PromptAnswer::kOk) return PromptAnswer::kYes;
      return answer;
  }
  return answer;
}

}  // namespace

Prompt& CurrentPrompt() { return g_prompt ? *g_prompt : DefaultPrompt(); }

void SetPrompt(Prompt* prompt) { g_prompt = prompt; }

void SetPromptTitle(const QString& title) { g_title = title; }

QString PromptTitle() {
  return g_title.isEmpty() ? QCoreApplication::applicationName() : g_title;
}

void ShowMessage(const QString& text, QWidget* parent, PromptIcon icon) {
  PromptRequest request;
  request.text = text;
  request.icon = icon;
  CurrentPrompt().Ask(request, parent);
}

PromptAnswer AskYesNoCancel(const QString& text, QWidget* parent, PromptIcon icon) {
  PromptRequest request;
  request.text = text;
  request.buttons = PromptButtons::kYesNoCancel;
  request.icon = icon;
  request.default_button = PromptAnswer::kYes;
  return CurrentPrompt().Ask(request, parent);
}

PromptAnswer AskYesNo(const QString& text, QWidget* parent, PromptIcon icon) {
  PromptRequest request;
  request.text = text;
  request.buttons = PromptButtons::kYesNo;
  request.icon = icon;
  request.default_button = PromptAnswer::kYes;
  return CurrentPrompt().Ask(request, parent);
}

PromptAnswer ScriptedPrompt::Ask(const PromptRequest& request, QWidget*) {
  PromptRequest recorded = request;
  if (recorded.title.isEmpty()) recorded.title = PromptTitle();
  shown_.push_back(recorded);
  PromptAnswer answer = default_answer_;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  return Fit(answer, request.buttons);
}

std::vector<QString> ScriptedPrompt::texts() const {
  std::vector<QString> out;
  out.reserve(shown_.size());
  for (const PromptRequest& r : shown_) out.push_back(r.text);
  return out;
}

ScopedPrompt::ScopedPrompt(Prompt* prompt) : previous_(g_prompt) { SetPrompt(prompt); }
ScopedPrompt::~ScopedPrompt() { SetPrompt(previous_); }

}  // namespace platform
