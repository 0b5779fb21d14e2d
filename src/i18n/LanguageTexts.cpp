#include "i18n/LanguageTexts.h"

#include "BuildSettings.h"
#include "i18n/ProfileText.h"
#include "support/ProgramFolder.h"
#include "support/TextUtil.h"

namespace epiloom {
namespace {

struct KeyEntry {
  std::string_view key;
  std::string_view builtIn;
};

// Key names and built-in English texts, in key order. About1 and About2 get
// the contact address appended (see BuiltInText).
constexpr std::array<KeyEntry, kTextKeyCount> kKeys{{
    {"CheckNewVersion", "Checking program version and new translations"},
    {"NewVersion1", "There is a new version of the program available"},
    {"NewVersion2", "Download it now ?"},
    {"LabelNewLng1", "New languages are available for the program !"},
    {"LabelNewLng2", "They have been automatically downloaded in"},
    {"LabelNewLng3",
     "You can find them by simple cliking on the 'Language' icon at the top-right corner of this window"},
    {"LaunchTorrent1", "Launch the download of these"},
    {"LaunchTorrent2", "new episodes ?"},
    {"LaunchTorrent3", "(you can always find the torrents back"},
    {"LaunchTorrent4", "in Epiloom current folder:"},
    {"Param1", "Settings"},
    {"Param2", "Settings for"},
    {"My", "my"},
    {"TVShows", "TV Shows"},
    {"End", "END"},
    {"Next", "Next >>"},
    {"Prev", "<< Previous"},
    {"Populate", "Getting the list of TV Shows from Kestrix"},
    {"Available", "Kestrix Shows available:"},
    {"Inc", "(including"},
    {"New", "new)"},
    {"Filtering1", "Filtering on:"},
    {"Filtering2", "blacklisted TV Shows. Click here to manage"},
    {"Unavailable", "Kestrix website unavailable or in maintenance"},
    {"InternetError", "Impossible to connect to Kestrix"},
    {"Problem", "Connection problem"},
    {"NotOnKestrix1", "Beware! The following TV Shows are no longer referenced on Kestrix:"},
    {"NotOnKestrix2", "They will be removed from your list of favorite shows"},
    {"NotOnKestrix3", "Missing TV Shows"},
    {"Remove1", "Are you sure to remove"},
    {"Remove2", "This TV Show will no longer appear in the list"},
    {"Remove3", "Remove a show"},
    {"NoNewEp", "No new episodes"},
    {"Close", "Close"},
    {"Uncheck", "Are you sure you want to remove"},
    {"Check1", "Add"},
    {"Check2", "to the list of favorite shows?"},
    {"PopupMenu1", "Remove this show from the list"},
    {"PopupMenu2", "Cannot remove a favorite show"},
    {"Download1", "Download"},
    {"Download2", "newest"},
    {"Download3", "episodes !"},
    {"Properties", "Updating TV Shows properties"},
    {"Cancel", "Cancel"},
    {"BlackList", "Blacklisted shows"},
    {"WhiteList", "Put back in the list"},
    {"Finish", "Finished"},
    {"Q720p1", "In case of a same episode available in 720p and in standard quality:"},
    {"Q720p2", "Choose standard quality (faster to download)"},
    {"Q720p3", "Choose 720p (for a High Definition watching)"},
    {"LastEpisodeWatched1", "Last episode watched:"},
    {"LastEpisodeWatched2", "I didn't watch this show yet"},
    {"LastEpisodeWatched3", "I watched this TV Show until episode"},
    {"LastEpisodeWatched4", "included"},
    {"Torrent", "Downloading new torrents"},
    {"About1", "This software is free of charge but I accept PayPal donations to "},
    {"About2", "A bug to report ? A contribution to make (translation) ? Contact me at "},
    {"AutoClose", "Closing in"},
    {"ReadOnlyFolder1", "Epiloom cannot write in its folder:"},
    {"ReadOnlyFolder2",
     "Your favorite shows, blacklist, language choice and the shortcuts of new episodes will not be kept: nothing "
     "you change will persist. Move Epiloom to a folder of its own that you can write."},
    {"SaveProblem1", "Epiloom could not save these files:"},
    {"SaveProblem2", "What you changed in them is lost. Another program may be holding them open."},
    {"UpdaterProblem", "The new version could not be saved. It will be offered again at the next start:"},
    {"ShortcutProblem1", "These new episodes could not be saved as shortcuts and were not handed over:"},
    {"ShortcutProblem2", "They will be offered again at the next check."},
    {"LaunchProblem1", "These episodes did not reach a torrent client (no program opens magnet links):"},
    {"LaunchProblem2", "Their shortcuts stay in this folder; open them once a torrent client takes magnet links:"},
}};

// What replaces an About2 text that lost the contact address. Unlike the
// built-in text it has no blank before the question marks.
constexpr std::string_view kAbout2Replacement = "A bug to report? A contribution to make (translation)? Contact me at ";

// The default file spells this one line differently from the built-in text.
constexpr std::string_view kDefaultFileLabelNewLng3 =
    "You can find them by simple clicking on the 'Language' icon at the top-right corner of this window";

std::size_t Index(TextKey key) { return static_cast<std::size_t>(key); }

}  // namespace

std::string_view KeyName(TextKey key) { return kKeys[Index(key)].key; }

std::string BuiltInText(TextKey key) {
  std::string text(kKeys[Index(key)].builtIn);
  if (key == TextKey::About1 || key == TextKey::About2) text += settings::kContactEmail;
  return text;
}

std::string LanguageFileName(std::string_view code) { return "Epiloom.lang." + std::string(code); }

LanguageTexts::LanguageTexts() {
  for (std::size_t i = 0; i < kTextKeyCount; ++i) texts_[i] = BuiltInText(static_cast<TextKey>(i));
}

std::string DefaultLanguageFileContent() {
  std::string content = "[Language]\r\n";
  for (std::size_t i = 0; i < kTextKeyCount; ++i) {
    const auto key = static_cast<TextKey>(i);
    if (key == TextKey::Inc) {
      content += "Inc = ";  // written with a blank before "=" too; read back the same
    } else {
      content += KeyName(key);
      content += "= ";
    }
    content += key == TextKey::LabelNewLng3 ? std::string(kDefaultFileLabelNewLng3) : BuiltInText(key);
    content += "\r\n";
  }
  return content;
}

bool WriteDefaultLanguageFile(ProgramFolder& folder) {
  const std::string name = LanguageFileName("EN");
  if (folder.Exists(name)) return true;
  // Whole or not at all: a file cut short by a crash would stay for good,
  // since an existing file is never written again.
  return folder.ReplaceWholeFile(name, DefaultLanguageFileContent());
}

std::string ReadLanguageText(const std::optional<std::string>& content, TextKey key) {
  const std::string builtIn = BuiltInText(key);
  std::string text = builtIn;
  if (content) text = ProfileValue(*content, kLanguageSection, KeyName(key)).value_or(builtIn);

  // A translation cannot drop the maker's address from the about line: such
  // a text is replaced, untrimmed, by a fixed one that carries it.
  if ((key == TextKey::About1 || key == TextKey::About2) &&
      text.find(settings::kContactEmail) == std::string::npos) {
    if (key == TextKey::About1) return builtIn;
    return std::string(kAbout2Replacement) + settings::kContactEmail;
  }
  return std::string(TrimBlanks(text));
}

LanguageTexts ReadLanguageTexts(const std::optional<std::string>& content) {
  LanguageTexts texts;
  for (std::size_t i = 0; i < kTextKeyCount; ++i) {
    const auto key = static_cast<TextKey>(i);
    texts.Set(key, ReadLanguageText(content, key));
  }
  return texts;
}

}  // namespace epiloom
