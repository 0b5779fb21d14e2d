// Checks, on Windows (or Wine), that the program's own reader of language
// files gives what the kernel's profile functions give for the same file
// (with CR LF and with LF-only lines), that the texts follow the rules the
// program relies on, also with a leading UTF-8 byte order mark, and that the
// language choice written through the profile functions replaces its file
// whole. Prints one line per failed case and a closing "N passed, N failed"
// line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "i18n/LanguageTexts.h"
#include "i18n/ProfileFile_win.h"
#include "i18n/ProfileText.h"
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
  const char* lines;  // lines of the language file's section, CR LF between
  epiloom::TextKey key;
  std::string expected;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

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
      {"tabs around key and value", "\tRemove2\t=\t some text\t", TextKey::Remove2, "some text"},
      {"empty value", "Remove2=", TextKey::Remove2, ""},
      {"300 characters", nullptr, TextKey::Remove2, std::string(259, 'y')},
      {"missing key", "Remove1=x", TextKey::Remove2, "This TV Show will no longer appear in the list"},
      {"double quotes", "Remove2=\"  quoted  \"", TextKey::Remove2, "quoted"},
      {"single quotes", "Remove2='x'", TextKey::Remove2, "x"},
      {"unmatched quotes", "Remove2=\"x'", TextKey::Remove2, "\"x'"},
      {"first occurrence wins", "Remove2=first\r\nREMOVE2=second", TextKey::Remove2, "first"},
      {"equals sign in the value", "Remove2=a=b", TextKey::Remove2, "a=b"},
      {"key in another section", "[Other]\r\nRemove2=other", TextKey::Remove2,
       "This TV Show will no longer appear in the list"},
      {"a second section of that name is not read", "[language]\r\nRemove2=second", TextKey::Remove2,
       "This TV Show will no longer appear in the list"},
      {"About2 without the address", "About2= Un bug ?", TextKey::About2,
       "A bug to report? A contribution to make (translation)? Contact me at " + email},
  };

  int passed = 0;
  int failed = 0;
  const auto report = [&](bool ok, const std::string& what) {
    if (ok) {
      ++passed;
    } else {
      ++failed;
      std::printf("FAILED %s\n", what.c_str());
    }
  };
  const std::string name = "Epiloom.lang.ZZ";
  const std::string path = folder.Path() + name;
  for (const Case& c : cases) {
    const std::string lines = c.lines != nullptr ? c.lines : "Remove2=" + std::string(300, 'y');
    const std::string crLf = "[Language]\r\n" + lines + "\r\nMy= mine\r\n";
    const std::string key(epiloom::KeyName(c.key));
    const std::string fallback = epiloom::BuiltInText(c.key);
    for (const std::string& content : {crLf, Replace(crLf, "\r\n", "\n")}) {
      const std::string ending = content == crLf ? " (CR LF)" : " (LF)";
      folder.WriteFile(name, content);
      // The program's reader and the kernel's, on the same file.
      const std::string kernel = profile.ReadString(path, epiloom::kLanguageSection, key, fallback);
      const std::string own = epiloom::ProfileValue(content, epiloom::kLanguageSection, key).value_or(fallback);
      report(own == kernel, std::string(c.name) + ending + ": the program read [" + own + "], the profile functions [" +
                                kernel + "]");
      const std::string text = epiloom::ReadLanguageText(folder.ReadFile(name), c.key);
      report(text == c.expected, std::string(c.name) + ending + ": got [" + text + "]");
      // Saved with a byte order mark, the texts are the same.
      folder.WriteFile(name, std::string(epiloom::kUtf8ByteOrderMark) + content);
      const std::string marked = epiloom::ReadLanguageText(folder.ReadFile(name), c.key);
      report(marked == c.expected, std::string(c.name) + ending + " with a byte order mark: got [" + marked + "]");
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
    report(wrong.empty(), std::string(w.name) + ":" + wrong);
  }
  folder.RemoveFile(choice);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
