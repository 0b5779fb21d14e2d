#include "support/ProgramFolder_win.h"

#include <algorithm>
#include <atomic>

#include "support/FileRetry_win.h"
#include "support/Win32Handles_win.h"


namespace epiloom {
namespace {

// The failure's error; never ERROR_SUCCESS, so a failure cannot pass for done.
DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

// Writes all bytes to a newly created (or truncated) file; with `flush` the
// data reaches the disk before the call returns. ERROR_SUCCESS or the error
// of the step that failed.
DWORD WriteWholeFile(const std::string& path, std::string_view bytes, bool flush) {
  win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1 << 20));
    DWORD done = 0;
    if (!::WriteFile(file.get(), bytes.data() + written, chunk, &done, nullptr)) return LastError();
    if (done == 0) return ERROR_WRITE_FAULT;
    written += done;
  }
  if (flush && !::FlushFileBuffers(file.get())) return LastError();
  return ERROR_SUCCESS;
}

// A file written whole, tried again while another program holds it.
bool WriteWholeFileRetrying(const std::string& path, std::string_view bytes, bool flush) {
  return win::RetryWhileFileHeld([&] { return WriteWholeFile(path, bytes, flush); }) == ERROR_SUCCESS;
}

}  // namespace

ProgramFolderWin::ProgramFolderWin() {
  char path[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string full(path, length);
  path_ = full.substr(0, full.find_last_of('\\') + 1);
}

bool ProgramFolderWin::Exists(const std::string& name) const {
  return ::GetFileAttributesA((path_ + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> ProgramFolderWin::ReadFile(const std::string& name) const {
  win::FileHandle file(::CreateFileA((path_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > (1LL << 30)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t read = 0;
  while (read < bytes.size()) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - read, 1 << 20));
    if (!::ReadFile(file.get(), bytes.data() + read, chunk, &done, nullptr)) return std::nullopt;
    if (done == 0) break;
    read += done;
  }
  bytes.resize(read);
  return bytes;
}

bool ProgramFolderWin::CanWrite() {
  // A name no other file has: this process's id and a count. Removed when
  // its handle is closed, also when the process is ended in between.
  static std::atomic<unsigned> probes{0};
  const std::string name = path_ + "~Epiloom-write-check-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(probes++) + ".tmp";
  win::FileHandle probe(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return static_cast<bool>(probe);
}

bool ProgramFolderWin::WriteFile(const std::string& name, std::string_view bytes) {
  return WriteWholeFileRetrying(path_ + name, bytes, false);
}

bool ProgramFolderWin::ReplaceWholeFile(const std::string& name, std::string_view bytes) {
  // Write a temporary file beside the target, flush it, then move it over the
  // target in one step: a crash leaves the old file or the new one, whole.
  // The temporary name begins differently from the file's, so a leftover of a
  // killed run never matches a listing of the program's files
  // ("Epiloom.lang.*" would take "Epiloom.lang.FR.new" for a language "ew").
  // Either step is tried again while another program holds its file: the
  // temporary one (a virus scanner reading it) or the target (opened
  // without delete sharing, which the move needs).
  const std::string target = path_ + name;
  const std::string temporary = path_ + "~" + name + ".new";
  if (!WriteWholeFileRetrying(temporary, bytes, true)) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  const DWORD moved = win::RetryWhileFileHeld([&]() -> DWORD {
    if (::MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ERROR_SUCCESS;
    }
    return LastError();
  });
  if (moved != ERROR_SUCCESS) {
    ::DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool ProgramFolderWin::RemoveFile(const std::string& name) {
  if (::DeleteFileA((path_ + name).c_str())) return true;
  return ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> ProgramFolderWin::ListFiles(const std::string& pattern) const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  win::FindHandle search(::FindFirstFileA((path_ + pattern).c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (::FindNextFileA(search.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace epiloom
