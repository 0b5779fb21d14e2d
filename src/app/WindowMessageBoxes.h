// Task-modal message boxes owned by a window, with the program's caption
// conventions. Usable from the window's worker threads.
#pragma once

#include <windows.h>

#include "i18n/LanguageTexts.h"
#include "support/MessageBoxes.h"

namespace epiloom::win {

class WindowMessageBoxes : public MessageBoxes {
 public:
  explicit WindowMessageBoxes(HWND owner) : owner_(owner) {}
  void Notify(const std::string& caption, const std::string& text, NoticeKind kind) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;

 private:
  HWND owner_;
};

// The error box of a connection problem: caption "Epiloom", the text of
// Problem trimmed.
void NotifyProblem(HWND owner, const LanguageTexts& texts);

}  // namespace epiloom::win
