#include "app/WindowMessageBoxes.h"

#include "support/TextUtil.h"

namespace epiloom::win {

void WindowMessageBoxes::Notify(const std::string& caption, const std::string& text, NoticeKind kind) {
  UINT icon = MB_ICONINFORMATION;
  if (kind == NoticeKind::Error) icon = MB_ICONERROR;
  if (kind == NoticeKind::Exclamation) icon = MB_ICONEXCLAMATION;
  ::MessageBoxA(owner_, text.c_str(), caption.c_str(), MB_OK | icon | MB_TASKMODAL);
}

bool WindowMessageBoxes::AskYesNo(const std::string& caption, const std::string& text) {
  return ::MessageBoxA(owner_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

void NotifyProblem(HWND owner, const LanguageTexts& texts) {
  WindowMessageBoxes(owner).Notify("Epiloom", std::string(TrimBlanks(texts[TextKey::Problem])), NoticeKind::Error);
}

}  // namespace epiloom::win
