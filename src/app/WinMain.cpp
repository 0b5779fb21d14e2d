// The program entry: one copy at a time, never beside its updater, then the
// main window until it ends. Nothing is taken from the command line.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "BuildSettings.h"
#include "app/MainWindow.h"
#include "support/Win32Handles_win.h"

namespace {

// Creates (or opens) a named mutex and keeps it for the life of the process.
// False when the name is held by another process or cannot be created.
bool HoldNamedMutex(const std::string& name) {
  const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return false;
  return ::GetLastError() != ERROR_ALREADY_EXISTS;
  // The handle is released by the process's end, never before.
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string guardName = std::string(" Epiloom [by ardmoor] ") + epiloom::settings::kVersionLabel;
  if (!HoldNamedMutex(guardName)) return 0;
  if (!HoldNamedMutex(std::string("Epiloom") + "-updater")) return 0;

  // Every common control class that a window of the program creates: the
  // progress bars, the settings pages' up-down controls, and the standard
  // controls in their common-controls 6 look. Wine registers them all
  // anyway; Windows registers only what is asked for.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);

  // Workers that outlive the window keep the application state alive through
  // their own references until the process ends.
  // The shell's "open" may hand over to shell extensions, which need COM on
  // the window's thread.
  epiloom::win::ComApartment com;
  auto app = std::make_shared<epiloom::Application>();
  epiloom::win::MainWindow mainWindow(app);
  mainWindow.Run(nullptr);
  return 0;
}
