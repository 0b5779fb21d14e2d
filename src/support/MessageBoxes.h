// Task-modal message boxes owned by a window: questions and notices.
#pragma once

#include <string>

namespace epiloom {

enum class NoticeKind { Error, Exclamation, Information };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a notice with an OK button and returns when it is closed.
  virtual void Notify(const std::string& caption, const std::string& text, NoticeKind kind) = 0;
  // Question icon, Yes and No buttons; true only for Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
};

}  // namespace epiloom
