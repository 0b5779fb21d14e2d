// recorder: a stand-in for programs that Epiloom hands something to (the
// torrent client behind "magnet:" links, the downloaded updater). It shows
// nothing and appends its whole command line, as one line, to a file: the one
// named by EPILOOM_RECORD_FILE if that is set, else "recorded.txt" in its own
// folder. Then it exits with code 0.
#include <windows.h>

#include <string>

namespace {

std::string RecordPath() {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetEnvironmentVariableA("EPILOOM_RECORD_FILE", buf, sizeof buf);
  if (n > 0 && n < sizeof buf) return buf;
  n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string path(buf, n < sizeof buf ? n : 0);
  return path.substr(0, path.find_last_of('\\') + 1) + "recorded.txt";
}

// Several copies may start at once (one per link): each takes the file for
// itself, retrying for a while, so lines never interleave.
HANDLE OpenExclusive(const std::string& path) {
  for (int attempt = 0; attempt < 250; ++attempt) {
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    Sleep(20);
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string line = std::string(GetCommandLineA()) + "\r\n";
  HANDLE h = OpenExclusive(RecordPath());
  if (h == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(h);
  return 0;
}
