#include "i18n/LanguageChoice.h"

#include "i18n/ProfileFile.h"
#include "support/ProgramFolder.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

constexpr char kChoiceSection[] = "Epiloom";
constexpr char kChoiceKey[] = "Lang";
constexpr char kDefaultLanguage[] = "EN";

}  // namespace

std::string MakeLanguageCode(std::string_view value) {
  std::string code(value.substr(0, 2));
  code.resize(2, ' ');
  return code;
}

std::string ReadLanguageChoice(const ProfileFile& profile, const std::string& folderPath) {
  const std::string value = profile.ReadString(folderPath + kLanguageChoiceFile, kChoiceSection, kChoiceKey,
                                               kDefaultLanguage);
  return MakeLanguageCode(TrimBlanks(value));
}

bool SaveLanguageChoice(ProfileFile& profile, const std::string& folderPath, std::string_view code) {
  return profile.WriteString(folderPath + kLanguageChoiceFile, kChoiceSection, kChoiceKey, std::string(TrimBlanks(code)));
}

std::vector<std::string> InstalledLanguageCodes(const ProgramFolder& folder) {
  std::vector<std::string> codes;
  for (const std::string& name : folder.ListFiles(LanguageFileName("*"))) {
    if (name == "Epiloom.lang" || name.size() < 2) continue;
    codes.push_back(name.substr(name.size() - 2));
  }
  return codes;
}

LanguageTexts LoadLanguageTexts(const ProgramFolder& folder, std::string_view code) {
  return ReadLanguageTexts(folder.ReadFile(LanguageFileName(code)));
}

}  // namespace epiloom
