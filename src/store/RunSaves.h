// What a run keeps in the program's folder, and what the user is told when
// it cannot: the folder that cannot be written (found once, at start), and
// the files the end of the run could not save.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "i18n/LanguageTexts.h"
#include "store/ShowStore.h"

namespace epiloom {

class ProfileFile;
class ProgramFolder;

// The notice at start when the folder cannot be written: ReadOnlyFolder1,
// LF, the folder, LF, LF, ReadOnlyFolder2.
std::string ReadOnlyFolderNotice(const LanguageTexts& texts, const std::string& folderPath);

// The end of the run's writes, in this order: the blacklist and the
// favourites (a never-loaded list leaves its file alone), then the language
// choice. Returns the full paths of the files that could not be written, in
// that order. In a folder found unwritable at start nothing is tried and
// nothing returned: the user was told then, and each write would only wait
// out its retries to fail.
std::vector<std::string> SaveRunState(ShowStore& store, ProgramFolder& folder, ProfileFile& profile,
                                      std::string_view language, bool folderWritable);

// SaveProblem1, LF, each path followed by LF, a blank line, SaveProblem2;
// empty when no path is given.
std::string SaveProblemNotice(const LanguageTexts& texts, const std::vector<std::string>& paths);

}  // namespace epiloom
