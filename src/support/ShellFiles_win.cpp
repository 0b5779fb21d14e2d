#include "support/ShellFiles_win.h"

#include <windows.h>
#include <shlobj.h>

#include <string_view>
#include <type_traits>
#include <vector>

#include "support/ComPtr_win.h"
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

bool CreateShortcutFile(const std::string& linkFile, const std::string& target, const std::string& arguments,
                        const std::string& workingFolder, int showCommand, const std::string& iconFile,
                        const std::string& description) {
  win::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()))) {
    return false;
  }
  // A target that is not a file (a magnet link) is kept as given; some shells
  // answer S_FALSE here and store it as a relative path, which is not an error.
  link->SetPath(target.c_str());
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(workingFolder.c_str());
  link->SetShowCmd(showCommand);
  link->SetDescription(description.c_str());
  const auto file = link.As<IPersistFile>(IID_IPersistFile);
  link->SetIconLocation(iconFile.c_str(), 0);
  if (file) file->Save(WideFromAnsi(linkFile).c_str(), TRUE);
  return true;
}

}  // namespace epiloom
