// Builds dialog templates in memory (no dialog resources): the window and
// its controls in dialog units of the template font.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace epiloom::win {

// Predefined control classes by their template atoms.
enum class ControlClass : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082, ListBox = 0x0083, ComboBox = 0x0085 };

struct DialogItem {
  int id = 0;
  DWORD style = 0;  // WS_CHILD is added
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  // Either a predefined class or a registered class name (e.g. a progress bar).
  ControlClass predefined = ControlClass::Static;
  std::string className;
  // The control's text, or for image statics the bitmap resource name.
  std::string text;
};

class DialogTemplate {
 public:
  // The template font is "MS Sans Serif" 8 point unless told otherwise.
  DialogTemplate(std::string title, DWORD style, DWORD exStyle, short cx, short cy,
                 std::string fontName = "MS Sans Serif", WORD fontPoints = 8);

  void Add(const DialogItem& item);
  // The template, laid out as the dialog manager expects (DWORD aligned items).
  const DLGTEMPLATE* Get();

 private:
  std::string title_;
  DWORD style_, exStyle_;
  short cx_, cy_;
  std::string fontName_;
  WORD fontPoints_;
  std::vector<DialogItem> items_;
  std::vector<WORD> buffer_;
};

}  // namespace epiloom::win
