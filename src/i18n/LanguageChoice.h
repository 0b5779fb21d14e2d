// Which language is used and the installed languages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "i18n/LanguageTexts.h"

namespace epiloom {

class ProfileFile;
class ProgramFolder;

// The language-choice file in the program's folder: section "Epiloom", key "Lang".
inline constexpr char kLanguageChoiceFile[] = "Epiloom-LANG.ini";

// A language code is exactly two characters: longer values keep their first
// two, shorter ones are padded with blanks.
std::string MakeLanguageCode(std::string_view value);

// The chosen language from the choice file ("EN" when the file or key is
// missing), blanks trimmed, as a two-character code.
std::string ReadLanguageChoice(const ProfileFile& profile, const std::string& folderPath);

// Writes the code, blanks trimmed, to the choice file. False when it could
// not be written.
bool SaveLanguageChoice(ProfileFile& profile, const std::string& folderPath, std::string_view code);

// The codes of the language files in the folder ("Epiloom.lang.*"), in the
// listing's order: the last two characters of each name; the bare name
// "Epiloom.lang" is skipped.
std::vector<std::string> InstalledLanguageCodes(const ProgramFolder& folder);

// Reads the texts of language `code` from its file in the folder (the file
// need not exist: missing texts are the built-in ones).
LanguageTexts LoadLanguageTexts(const ProgramFolder& folder, std::string_view code);

}  // namespace epiloom
