// The interface texts, by key, with their built-in English texts: the 58 the
// program was first made with, then the texts of the problems it reports
// (folder not writable, files not saved, episodes not handed over).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace epiloom {

class ProgramFolder;

// In the order in which the default language file lists the keys and in which
// they are loaded.
enum class TextKey {
  CheckNewVersion, NewVersion1, NewVersion2, LabelNewLng1, LabelNewLng2, LabelNewLng3,
  LaunchTorrent1, LaunchTorrent2, LaunchTorrent3, LaunchTorrent4, Param1, Param2, My,
  TVShows, End, Next, Prev, Populate, Available, Inc, New, Filtering1, Filtering2,
  Unavailable, InternetError, Problem, NotOnKestrix1, NotOnKestrix2, NotOnKestrix3,
  Remove1, Remove2, Remove3, NoNewEp, Close, Uncheck, Check1, Check2, PopupMenu1,
  PopupMenu2, Download1, Download2, Download3, Properties, Cancel, BlackList, WhiteList,
  Finish, Q720p1, Q720p2, Q720p3, LastEpisodeWatched1, LastEpisodeWatched2,
  LastEpisodeWatched3, LastEpisodeWatched4, Torrent, About1, About2, AutoClose,
  ReadOnlyFolder1, ReadOnlyFolder2, SaveProblem1, SaveProblem2, UpdaterProblem,
  ShortcutProblem1, ShortcutProblem2, LaunchProblem1, LaunchProblem2,
};

inline constexpr std::size_t kTextKeyCount = 67;

// The key as the language file spells it ("LastEpisodeWatched3").
std::string_view KeyName(TextKey key);

// The text used when the key cannot be read from a language file.
std::string BuiltInText(TextKey key);

// Name of a language file in the program's folder: "Epiloom.lang." + code.
std::string LanguageFileName(std::string_view code);

// The section every language file keeps its texts in.
inline constexpr char kLanguageSection[] = "Language";

class LanguageTexts {
 public:
  // Starts with every built-in English text.
  LanguageTexts();

  const std::string& operator[](TextKey key) const { return texts_[static_cast<std::size_t>(key)]; }
  void Set(TextKey key, std::string text) { texts_[static_cast<std::size_t>(key)] = std::move(text); }

 private:
  std::array<std::string, kTextKeyCount> texts_;
};

// Writes "Epiloom.lang.EN" (a header and one line per key, CR LF each) unless a file of that name exists:
// an English file the user edited is never overwritten. False when it was
// missing and could not be written (not reported: the built-in texts are
// the same).
bool WriteDefaultLanguageFile(ProgramFolder& folder);

// The content of the default English language file.
std::string DefaultLanguageFileContent();

// Reads one text from the content of a language file (nullopt: there is no
// file) by the profile rules of ProfileText.h, a leading UTF-8 byte order
// mark skipped: the built-in text when the section or key is missing, the
// value cut to 259 characters, the contact-address rule for About1 and
// About2, then blanks trimmed.
std::string ReadLanguageText(const std::optional<std::string>& content, TextKey key);

// Reads every text from the content of a language file, in key order.
LanguageTexts ReadLanguageTexts(const std::optional<std::string>& content);

}  // namespace epiloom
