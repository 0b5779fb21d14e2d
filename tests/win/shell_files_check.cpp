// Checks, on Windows (or Wine), the files the torrent hand-off leaves for the
// shell: this program carries the program's resources (Epiloom.rc), exports
// its icon groups into its folder, writes magnet shortcuts there and reads
// them back through the shell's link object. Prints one line per failed case
// and a closing "N passed, N failed" line; the icon files and shortcuts stay
// in the folder for the caller to compare.
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#if __has_include("support/Win32Handles_win.h")
#include "support/Win32Handles_win.h"
#else
#include "support/Win32Handles_win.h"
#endif
#include "support/ComPtr_win.h"
#include "support/ProgramFolder_win.h"
#include "support/ShellFiles_win.h"

namespace {

int passed = 0;
int failed = 0;

void Check(bool condition, const char* what, const std::string& detail = {}) {
  if (condition) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  }
}

std::string U32At(const std::string& bytes, std::size_t at) {
  if (bytes.size() < at + 4) return "(cut short)";
  unsigned long value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return std::to_string(value);
}

// What a shortcut file holds, as the shell's link object reads it back.
struct Shortcut {
  bool loaded = false;
  std::string path;
  std::string arguments;
  std::string workingFolder;
  int showCommand = 0;
  std::string iconFile;
  int iconIndex = -1;
  std::string description;
};

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
  return wide;
}

Shortcut ReadShortcut(const std::string& linkFile) {
  Shortcut shortcut;
  epiloom::win::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()))) {
    return shortcut;
  }
  const auto file = link.As<IPersistFile>(IID_IPersistFile);
  if (!file || FAILED(file->Load(Wide(linkFile).c_str(), STGM_READ))) return shortcut;
  shortcut.loaded = true;
  char text[1024] = {};
  if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) shortcut.path = text;
  text[0] = '\0';
  if (SUCCEEDED(link->GetArguments(text, sizeof text))) shortcut.arguments = text;
  text[0] = '\0';
  if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) shortcut.workingFolder = text;
  link->GetShowCmd(&shortcut.showCommand);
  text[0] = '\0';
  if (SUCCEEDED(link->GetIconLocation(text, sizeof text, &shortcut.iconIndex))) shortcut.iconFile = text;
  text[0] = '\0';
  if (SUCCEEDED(link->GetDescription(text, sizeof text))) shortcut.description = text;
  return shortcut;
}

// An object that counts its references, to watch the COM pointer owner.
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(id, IID_IUnknown)) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    return --references;
  }
  ULONG references = 1;  // the one the owner takes over
  int releases = 0;
};

static_assert(!std::is_copy_constructible_v<epiloom::win::ComPtr<IUnknown>>);
static_assert(!std::is_copy_assignable_v<epiloom::win::ComPtr<IUnknown>>);
static_assert(std::is_nothrow_move_constructible_v<epiloom::win::ComPtr<IUnknown>>);

void CheckComPointerOwner() {
  using epiloom::win::ComPtr;
  {
    Counted object;
    {
      ComPtr<IUnknown> first(&object);
      ComPtr<IUnknown> second(std::move(first));
      ComPtr<IUnknown> third;
      third = std::move(second);
      Check(!first && !second && third.get() == &object, "moving hands the pointer over");
      Check(object.releases == 0, "no release while owned", std::to_string(object.releases));
    }
    Check(object.releases == 1 && object.references == 0, "released once at the end", std::to_string(object.releases));
  }
  {
    Counted object;
    Counted other;
    ComPtr<IUnknown> owner(&object);
    ComPtr<IUnknown> next(&other);
    owner = std::move(next);
    Check(object.releases == 1 && other.releases == 0, "assignment releases the old pointer");
    owner.Reset();
    owner.Reset();
    Check(other.releases == 1, "reset releases once", std::to_string(other.releases));
  }
  {
    Counted object;
    {
      ComPtr<IUnknown> owner(&object);
      const auto same = owner.As<IUnknown>(IID_IUnknown);
      const auto none = owner.As<IPersistFile>(IID_IPersistFile);
      Check(same.get() == &object && object.references == 2, "another interface holds its own reference");
      Check(!none, "an interface the object lacks is empty");
    }
    Check(object.references == 0 && object.releases == 2, "both references released", std::to_string(object.releases));
  }
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

void CheckShortcut(epiloom::ProgramFolderWin& folder, const std::string& name, const std::string& magnet,
                   const std::string& description) {
  const std::string folderPath = folder.Path();
  const std::string icon = folderPath + "BICO.ICO";
  const epiloom::ShortcutResult created =
      epiloom::CreateShortcutFile(folderPath + name, magnet, "", folderPath, 5, icon, description);
  Check(created.written && created.problem.empty(), "shortcut written", name + ": " + created.problem);

  const auto bytes = folder.ReadFile(name);
  Check(bytes.has_value(), "shortcut file written", name);
  // The magnet link is inside the file as given, whatever the shell makes of
  // a target that is not a file path.
  Check(bytes && bytes->find(magnet) != std::string::npos, "magnet link stored unchanged", name);

  const Shortcut read = ReadShortcut(folderPath + name);
  Check(read.loaded, "shortcut loads", name);
  // Windows keeps the magnet link as the path; Wine stores it as a path
  // relative to the current folder.
  Check(EndsWith(read.path, magnet), "path is the magnet link", read.path);
  std::printf("path read back: %s\n", read.path.c_str());
  Check(read.arguments.empty(), "no arguments", read.arguments);
  Check(read.workingFolder == folderPath, "working folder", read.workingFolder);
  // The file keeps the show command as given (header field at 0x3C); read
  // back, a value the link format does not list (only 1, 3 and 7) may come
  // out as SW_SHOWNORMAL (1), as it does under Wine.
  Check(bytes && U32At(*bytes, 0x3C) == "5", "show command 5 stored", bytes ? U32At(*bytes, 0x3C) : "");
  Check(read.showCommand == 5 || read.showCommand == SW_SHOWNORMAL, "show command reads as shown normally",
        std::to_string(read.showCommand));
  Check(read.iconFile == icon && read.iconIndex == 0, "icon file, index 0",
        read.iconFile + "," + std::to_string(read.iconIndex));
  Check(read.description == description, "description", read.description);
}

// Closes the file handle it is given after 300 ms.
DWORD WINAPI CloseAfterAMoment(void* handle) noexcept {
  ::Sleep(300);
  static_cast<epiloom::win::FileHandle*>(handle)->Reset();
  return 0;
}

// A shortcut that cannot be written says so, and why: a folder in its place,
// or a file another program holds open without sharing it. A hold that ends
// within the retries does not stop it.
void CheckShortcutProblems(epiloom::ProgramFolderWin& folder) {
  const std::string folderPath = folder.Path();
  const std::string icon = folderPath + "BICO.ICO";
  const auto write = [&](const std::string& name) {
    return epiloom::CreateShortcutFile(folderPath + name, "magnet:?xt=urn:btih:problem", "", folderPath, 5, icon,
                                       "problem");
  };

  const std::string inTheWay = "[2013-02-14] In The Way S01E01.lnk";
  Check(::CreateDirectoryA((folderPath + inTheWay).c_str(), nullptr) != FALSE, "folder made", inTheWay);
  const epiloom::ShortcutResult blocked = write(inTheWay);
  Check(!blocked.written, "a folder in the way: not written");
  Check(blocked.problem == "a folder of that name is in the way", "a folder in the way: why", blocked.problem);
  const DWORD attributes = ::GetFileAttributesA((folderPath + inTheWay).c_str());
  Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
        "the folder is left alone");
  ::RemoveDirectoryA((folderPath + inTheWay).c_str());

  const std::string heldName = "[2013-02-14] Held S01E01.lnk";
  const std::string heldPath = folderPath + heldName;
  {
    epiloom::win::FileHandle held(::CreateFileA(heldPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(static_cast<bool>(held), "file held without sharing");
    const epiloom::ShortcutResult refused = write(heldName);
    Check(!refused.written, "a file held for good: not written");
    Check(!refused.problem.empty() && refused.problem.find('\n') == std::string::npos && refused.problem.back() != '.',
          "a file held for good: why, on one line", refused.problem);
    std::printf("held file: %s\n", refused.problem.c_str());
  }
  {
    // Released 300 ms after the first attempt: one of the later ones succeeds.
    epiloom::win::FileHandle held(::CreateFileA(heldPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(static_cast<bool>(held), "file held without sharing, for a moment");
    epiloom::win::KernelHandle release(::CreateThread(nullptr, 0, CloseAfterAMoment, &held, 0, nullptr));
    Check(static_cast<bool>(release), "releasing thread started");
    const epiloom::ShortcutResult written = write(heldName);
    Check(written.written, "a file held for a moment: written after the hold", written.problem);
    ::WaitForSingleObject(release.get(), INFINITE);
    const Shortcut read = ReadShortcut(heldPath);
    Check(read.loaded && read.description == "problem", "the shortcut written after the hold reads back");
  }
  ::DeleteFileA(heldPath.c_str());
}

}  // namespace

int main() {
  epiloom::win::ComApartment com;
  epiloom::ProgramFolderWin folder;
  CheckComPointerOwner();

  // The icon groups AICO and BICO, one 32 x 32 image each.
  const int exported = epiloom::ExportProgramIcons(folder);
  Check(exported == 2, "two icon files exported", std::to_string(exported));
  for (const char* name : {"AICO.ICO", "BICO.ICO"}) {
    const auto icon = folder.ReadFile(name);
    Check(icon.has_value(), "icon file written", name);
    if (!icon) continue;
    Check(icon->compare(0, 6, std::string("\0\0\1\0\1\0", 6)) == 0, "reserved 0, type 1, count 1", name);
    Check(U32At(*icon, 18) == "22", "image at offset 22", U32At(*icon, 18));
    Check(U32At(*icon, 14) == std::to_string(icon->size() - 22), "image size is the rest of the file",
          U32At(*icon, 14));
  }

  const std::string description = "Torrent magnet created by Epiloom http://127.0.0.1:18470/epiloom/";
  const std::string magnet =
      "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&dn=Some+Show+S02E06"
      "&tr=udp%3A%2F%2Ftracker.example%3A80";
  CheckShortcut(folder, "[2013-02-14] Some Show S02E06.lnk", magnet, description);
  // A name with a byte above 127 (e acute in the ANSI code page), and an
  // existing file replaced by a second shortcut of the same name.
  CheckShortcut(folder, "[2013-02-14] Caf\xE9 S01E01.lnk", "magnet:?xt=urn:btih:first", "first");
  CheckShortcut(folder, "[2013-02-14] Caf\xE9 S01E01.lnk", magnet, description);
  CheckShortcutProblems(folder);

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
