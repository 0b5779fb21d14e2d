#include "store/RunSaves.h"

#include "i18n/LanguageChoice.h"
#include "store/UserLists.h"
#include "support/ProgramFolder.h"

namespace epiloom {

std::string ReadOnlyFolderNotice(const LanguageTexts& texts, const std::string& folderPath) {
  return texts[TextKey::ReadOnlyFolder1] + "\n" + folderPath + "\n\n" + texts[TextKey::ReadOnlyFolder2];
}

std::vector<std::string> SaveRunState(ShowStore& store, ProgramFolder& folder, ProfileFile& profile,
                                      std::string_view language, bool folderWritable) {
  std::vector<std::string> unsaved;
  if (!folderWritable) return unsaved;
  const std::string path = folder.Path();
  for (const std::string& name : SaveUserLists(store, folder).unsaved) unsaved.push_back(path + name);
  if (!SaveLanguageChoice(profile, path, language)) unsaved.push_back(path + kLanguageChoiceFile);
  return unsaved;
}

std::string SaveProblemNotice(const LanguageTexts& texts, const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  std::string notice = texts[TextKey::SaveProblem1] + "\n";
  for (const std::string& path : paths) notice += path + "\n";
  return notice + "\n" + texts[TextKey::SaveProblem2];
}

}  // namespace epiloom
