// Checks, on Windows (or Wine), that language texts read through the kernel's
// profile functions follow the rules the program relies on. Prints one line
// per failed case and a closing "N passed, N failed" line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "i18n/LanguageTexts.h"
#include "i18n/ProfileFile_win.h"
#include "support/ProgramFolder_win.h"

namespace {

struct Case {
  const char* name;
  const char* line;  // a line of the language file
  epiloom::TextKey key;
  std::string expected;
};

}  // namespace

int main() {
  using epiloom::TextKey;
  epiloom::ProgramFolderWin folder;
  epiloom::ProfileFileWin profile;
  const std::string email = "epiloom.ardmoor@example.org";
  const Case cases[] = {
      {"Inc with a blank before =", "Inc = (y compris", TextKey::Inc, "(y compris"},
      {"Inc without a blank", "Inc=(y compris", TextKey::Inc, "(y compris"},
      {"lower-case key, blanks around", "  remove2  =   some text  ", TextKey::Remove2, "some text"},
      {"empty value", "Remove2=", TextKey::Remove2, ""},
      {"300 characters", nullptr, TextKey::Remove2, std::string(259, 'y')},
      {"missing key", "Remove1=x", TextKey::Remove2, "This TV Show will no longer appear in the list"},
      {"About2 without the address", "About2= Un bug ?", TextKey::About2,
       "A bug to report? A contribution to make (translation)? Contact me at " + email},
  };

  int passed = 0;
  int failed = 0;
  const std::string name = "Epiloom.lang.ZZ";
  for (const Case& c : cases) {
    const std::string line = c.line != nullptr ? c.line : "Remove2=" + std::string(300, 'y');
    folder.WriteFile(name, "[Language]\r\n" + line + "\r\nMy= mine\r\n");
    const std::string got = epiloom::ReadLanguageText(profile, folder.Path() + name, c.key);
    if (got == c.expected) {
      ++passed;
    } else {
      ++failed;
      std::printf("FAILED %s: got [%s]\n", c.name, got.c_str());
    }
  }
  folder.RemoveFile(name);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
