// Checks, on Windows (or Wine), that language texts read through the kernel's
// profile functions follow the rules the program relies on, and that the
// language choice written through them replaces its file whole. Prints one
// line per failed case and a closing "N passed, N failed" line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "i18n/LanguageTexts.h"
#include "i18n/ProfileFile_win.h"
#include "support/ProgramFolder_win.h"
#include "support/Win32Handles_win.h"

namespace {

// The file system's number of the file at `path` (its inode on Wine); 0 when
// it cannot be opened.
unsigned long long FileNumber(const std::string& path) {
  epiloom::win::FileHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) return 0;
  return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

struct WriteCase {
  const char* name;
  const char* before;  // the choice file before the write; nullptr: none
  bool changes;        // the write changes the file's content
};

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

  // Writing the choice: the key lands and the rest of the file stays; the
  // file is replaced by a new one (another file number), never truncated and
  // rewritten in place, and no temporary file is left.
  const WriteCase writes[] = {
      {"choice file not there yet", nullptr, true},
      {"another value, another section kept", "[Other]\r\nKeep=kept\r\n[Epiloom]\r\nLang=FRX\r\n", true},
      {"the same value again", "[Other]\r\nKeep=kept\r\n[Epiloom]\r\nLang=DE\r\n", false},
  };
  const std::string choice = "Epiloom-LANG.ini";
  const std::string choicePath = folder.Path() + choice;
  for (const WriteCase& w : writes) {
    folder.RemoveFile(choice);
    if (w.before != nullptr) folder.WriteFile(choice, w.before);
    const unsigned long long before = FileNumber(choicePath);
    const bool written = profile.WriteString(choicePath, "Epiloom", "Lang", "DE");
    const std::string lang = profile.ReadString(choicePath, "Epiloom", "Lang", "(none)");
    const std::string kept = profile.ReadString(choicePath, "Other", "Keep", "(none)");
    const unsigned long long after = FileNumber(choicePath);
    std::string wrong;
    if (!written) wrong += " not written;";
    if (lang != "DE") wrong += " Lang=" + lang + ";";
    if (w.before != nullptr && kept != "kept") wrong += " Other.Keep=" + kept + ";";
    if (w.changes && (after == 0 || after == before)) wrong += " rewritten in place, not replaced;";
    if (folder.Exists("~" + choice + ".new")) wrong += " temporary file left;";
    if (wrong.empty()) {
      ++passed;
    } else {
      ++failed;
      std::printf("FAILED %s:%s\n", w.name, wrong.c_str());
    }
  }
  folder.RemoveFile(choice);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
