// Files the hand-off leaves beside the program for the shell: the program's
// icons as .ICO files, and shortcut (.lnk) files written through the shell's
// link object.
#pragma once

#include <string>

#include "support/ShortcutResult.h"

namespace epiloom {

class ProgramFolder;

// Writes every icon group of the running executable into the folder as an
// icon file named after the group (AICO.ICO, BICO.ICO; a numbered group gives
// "#" + number + ".ICO"), each replacing its file as a whole. A group whose
// directory or images cannot be read is left out; the others are still
// written. Nothing is written when the folder has no path. Returns the
// number of files written.
int ExportProgramIcons(ProgramFolder& folder);

// Writes a shortcut file through the shell's link object (IShellLinkA, saved
// with IPersistFile): target, arguments, working folder, show command
// (SW_SHOWNORMAL is 5), description and icon file (icon index 0). An existing
// file of the same name is replaced. COM must be initialised on the calling
// thread (win::ComApartment).
//
// Written only when the link object took its target and the save succeeded;
// a save that fails because another program holds the file for a moment (a
// virus scanner) is tried again a few times (RetryWhileFileHeld). Otherwise
// the result says why the file is missing: a folder of that name in its
// place, or the system's message for the error (folder not writable, disk
// full). The description and the icon only dress the shortcut: where the
// shell refuses them the shortcut is still written.
ShortcutResult CreateShortcutFile(const std::string& linkFile, const std::string& target, const std::string& arguments,
                                  const std::string& workingFolder, int showCommand, const std::string& iconFile,
                                  const std::string& description);

}  // namespace epiloom
