// File: platform/prompt.h
//
// Message boxes of the suite.  Every user message goes through the process-
// wide `Prompt`, so tests can replace it with a `ScriptedPrompt` that records
// the texts and answers from a queue.  The title is the program name
// (`SetPromptTitle`, set once at start-up).
//
//   platform::ShowMessage("ﾌｧｲﾙが見つかりません");
//   if (platform::AskYesNoCancel(text) == platform::PromptAnswer::kCancel) return;
//
// In a test:
//   platform::ScriptedPrompt prompt;
//   platform::ScopedPrompt use(&prompt);
//   prompt.QueueAnswer(platform::PromptAnswer::kNo);
//   ... code under test ...
//   EXPECT_EQ(prompt.shown().at(0).text, "...");
#pragma once

#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace platform {

enum class PromptButtons { kOk, kYesNoCancel, kYesNo };
enum class PromptAnswer { kOk, kYes, kNo, kCancel };
enum class PromptIcon { kNone, kInformation, kQuestion, kWarning, kCritical };

struct PromptRequest {
  QString text;
  PromptButtons buttons = PromptButtons::kOk;
  PromptIcon icon = PromptIcon::kNone;
  // Button that has the focus first; kOk means the first button of the set.
  PromptAnswer default_button = PromptAnswer::kOk;
  // Empty: the program name (`PromptTitle()`).
  QString title;
};

class Prompt {
 public:
  virtual ~Prompt() = default;
  // Shows the request and returns the button chosen.  Closing the box
  // without a choice answers kCancel for Yes/No/Cancel, kNo for Yes/No and
  // kOk for an OK-only box.
  virtual PromptAnswer Ask(const PromptRequest& request, QWidget* parent) = 0;
};

// CurrentPrompt(): the installed prompt, a QMessageBox-backed one by default.
Prompt& CurrentPrompt();
// SetPrompt(): installs a prompt (not owned); nullptr restores the default.
void SetPrompt(Prompt* prompt);

// Title of every message box (the program name); the application name when
// never set.
void SetPromptTitle(const QString& title);
QString PromptTitle();

// Shortcuts over CurrentPrompt().Ask.
void ShowMessage(const QString& text, QWidget* parent = nullptr,
                 PromptIcon icon = PromptIcon::kNone);
PromptAnswer AskYesNoCancel(const QString& text, QWidget* parent = nullptr,
                            PromptIcon icon = PromptIcon::kQuestion);
PromptAnswer AskYesNo(const QString& text, QWidget* parent = nullptr,
                      PromptIcon icon = PromptIcon::kQuestion);

// ScriptedPrompt: records every request (title filled in) and answers from
// a queue, then with the default answer.  An answer that the buttons do not
// offer is mapped onto them (OK-only boxes always answer kOk; kCancel on a
// Yes/No box answers kNo).
class ScriptedPrompt : public Prompt {
 public:
  PromptAnswer Ask(const PromptRequest& request, QWidget* parent) override;

  void QueueAnswer(PromptAnswer answer) { answers_.push_back(answer); }
  void SetDefaultAnswer(PromptAnswer answer) { default_answer_ = answer; }
  const std::vector<PromptRequest>& shown() const { return shown_; }
  // Texts only, in order; handy for EXPECT_THAT(..., ElementsAre(...)).
  std::vector<QString> texts() const;
  void Clear() { shown_.clear(); answers_.clear(); }

 private:
  std::vector<PromptRequest> shown_;
  std::deque<PromptAnswer> answers_;
  PromptAnswer default_answer_ = PromptAnswer::kOk;
};

// ScopedPrompt: installs a prompt for the lifetime of the object and puts
// the previous one back afterwards.
class ScopedPrompt {
 public:
  explicit ScopedPrompt(Prompt* prompt);
  ~ScopedPrompt();
  ScopedPrompt(const ScopedPrompt&) = delete;
  ScopedPrompt& operator=(const ScopedPrompt&) = delete;

 private:
  Prompt* previous_;
};

}  // namespace platform
