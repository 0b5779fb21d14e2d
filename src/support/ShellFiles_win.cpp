#include "support/ShellFiles_win.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string_view>
#include <type_traits>
#include <vector>

#include "support/ComPtr_win.h"
#include "support/FileRetry_win.h"
#include "support/IconFile.h"
#include "support/ProgramFolder.h"
#include "support/SystemProcedure_win.h"

namespace epiloom {
namespace {

// The bytes of a resource of the module; empty when it cannot be found,
// loaded or locked.
std::string_view ResourceBytes(HMODULE module, const char* name, const char* type) {
  HRSRC found = ::FindResourceA(module, name, type);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  if (loaded == nullptr) return {};
  const void* data = ::LockResource(loaded);
  if (data == nullptr) return {};
  return {static_cast<const char*>(data), ::SizeofResource(module, found)};
}

// Collects the name of every icon group; a numbered group is named "#" +
// number, which the resource functions take as that number. The enumeration
// is never stopped early.
BOOL CALLBACK AddGroupName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) noexcept {
  try {
    auto& list = *reinterpret_cast<std::vector<std::string>*>(names);
    list.push_back(IS_INTRESOURCE(name) ? NumberedGroupName(LOWORD(reinterpret_cast<ULONG_PTR>(name)))
                                        : std::string(name));
  } catch (...) {
    // Out of memory: this group is left out.
  }
  return TRUE;
}
static_assert(std::is_same_v<decltype(&AddGroupName), win::NoThrow<ENUMRESNAMEPROCA>>);

// Why a shortcut is missing when a folder holds its name.
constexpr char kFolderInTheWay[] = "a folder of that name is in the way";

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The Win32 error inside a result of the shell's file saving: the low word
// of a Win32 or structured-storage result (STG_E_SHAREVIOLATION carries
// ERROR_SHARING_VIOLATION). Any other failure keeps its own value, which no
// Win32 error shares.
DWORD Win32Error(HRESULT result) {
  const int facility = HRESULT_FACILITY(result);
  if (facility == FACILITY_WIN32 || facility == FACILITY_STORAGE) return HRESULT_CODE(result);
  return static_cast<DWORD>(result);
}

// The system's message for a failed result, in the user's language, as one
// line without its closing full stop; its number where the system has none.
std::string ProblemText(HRESULT result) {
  const DWORD error = Win32Error(result);
  char buffer[512] = {};
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                                  sizeof buffer, nullptr);
  if (length == 0 && error != static_cast<DWORD>(result)) {
    length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                              static_cast<DWORD>(result), 0, buffer, sizeof buffer, nullptr);
  }
  std::string text(buffer, length);
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
  if (!text.empty()) return text;
  char number[32];
  std::snprintf(number, sizeof number, "error 0x%08lX", static_cast<unsigned long>(result));
  return number;
}

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

}  // namespace

int ExportProgramIcons(ProgramFolder& folder) {
  if (folder.Path().empty()) return 0;
  // The running executable's own module: its resources are mapped already.
  const HMODULE module = ::GetModuleHandleA(nullptr);
  std::vector<std::string> names;
  ::EnumResourceNamesA(module, RT_GROUP_ICON, AddGroupName, reinterpret_cast<LONG_PTR>(&names));

  int written = 0;
  for (const std::string& name : names) {
    const std::string_view group = ResourceBytes(module, name.c_str(), RT_GROUP_ICON);
    const auto entries = ReadIconGroup(group);
    if (!entries) continue;
    IconImages images;
    for (const IconGroupEntry& entry : *entries) {
      const std::string_view image = ResourceBytes(module, MAKEINTRESOURCEA(entry.imageId), RT_ICON);
      if (!image.empty()) images[entry.imageId] = image;
    }
    const std::string file = BuildIconFile(group, images);
    if (file.empty()) continue;
    if (folder.ReplaceWholeFile(IconFileName(name), file)) ++written;
  }
  return written;
}

ShortcutResult CreateShortcutFile(const std::string& linkFile, const std::string& target, const std::string& arguments,
                                  const std::string& workingFolder, int showCommand, const std::string& iconFile,
                                  const std::string& description) {
  win::ComPtr<IShellLinkA> link;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid());
  if (FAILED(result)) return ShortcutResult::NotWritten(ProblemText(result));
  // A target that is not a file (a magnet link) is kept as given; some shells
  // answer S_FALSE here and store it as a relative path, which is not an error.
  result = link->SetPath(target.c_str());
  if (FAILED(result)) return ShortcutResult::NotWritten(ProblemText(result));
  // The rest dresses the shortcut; a shortcut the shell left plain still
  // holds its target, so their results do not decide.
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(workingFolder.c_str());
  link->SetShowCmd(showCommand);
  link->SetDescription(description.c_str());
  const auto file = link.As<IPersistFile>(IID_IPersistFile);
  link->SetIconLocation(iconFile.c_str(), 0);
  if (!file) return ShortcutResult::NotWritten(ProblemText(E_NOINTERFACE));

  const std::wstring wideName = WideFromAnsi(linkFile);
  if (wideName.empty()) return ShortcutResult::NotWritten(ProblemText(HRESULT_FROM_WIN32(ERROR_INVALID_NAME)));
  // A folder cannot be replaced by a file: no retry can help, and the
  // system's answer ("access is denied") would send the user looking for
  // the wrong cause.
  if (IsFolder(wideName)) return ShortcutResult::NotWritten(kFolderInTheWay);
  HRESULT saved = S_OK;
  const DWORD error = win::RetryWhileFileHeld([&] {
    saved = file->Save(wideName.c_str(), TRUE);
    return SUCCEEDED(saved) ? DWORD{ERROR_SUCCESS} : Win32Error(saved);
  });
  if (error != ERROR_SUCCESS) return ShortcutResult::NotWritten(ProblemText(saved));
  return ShortcutResult::Written();
}

}  // namespace epiloom
