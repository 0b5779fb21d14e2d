// Language files and the language-choice file from the fuzzer, read through
// the profile rules: every text is the built-in one or comes from the file,
// at most 259 characters, trimmed, on one line, and the about line keeps the
// contact address; a chosen language is always a two-character code.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "BuildSettings.h"
#include "fakes/Fakes.h"
#include "i18n/LanguageChoice.h"
#include "i18n/LanguageTexts.h"
#include "i18n/MainWindowTexts.h"
#include "i18n/ProfileText.h"
#include "support/TextUtil.h"

namespace {

using namespace epiloom;

using fuzz::Check;

bool OnOneLine(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

void CheckTexts(const LanguageTexts& texts, std::string_view content) {
  for (std::size_t i = 0; i < kTextKeyCount; ++i) {
    const auto key = static_cast<TextKey>(i);
    const std::string& text = texts[key];
    Check(OnOneLine(text));
    if (key == TextKey::About1 || key == TextKey::About2) {
      Check(text.find(settings::kContactEmail) != std::string::npos);
      continue;
    }
    Check(text.size() <= 259 && text == TrimBlanks(text));
    Check(text == BuiltInText(key) || content.find(text) != std::string_view::npos);
  }
  // The composed texts have exactly the line breaks their layout gives them.
  const std::string download = DownloadButtonText(texts);
  Check(std::count(download.begin(), download.end(), '\n') == 2);
  const std::string about = AboutLineText(texts);
  Check(std::count(about.begin(), about.end(), '\n') == 1);
  const std::string settingsText = SettingsButtonText(texts, 3, 2);
  Check(std::count(settingsText.begin(), settingsText.end(), '\n') == 2);
  Check(OnOneLine(ShowCountText(texts, 10000)) && OnOneLine(BlacklistLabelText(texts, 7)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string choice = input.ConsumeRandomLengthString(64);
  const std::string code = input.ConsumeBytesAsString(2);
  const std::string extraName = input.ConsumeRandomLengthString(16);
  const std::string content = input.ConsumeRemainingBytesAsString();

  testing::FakeProgramFolder folder;
  testing::FakeProfileFile profile(folder);
  const std::string path = folder.Path();

  // The chosen language, whatever the choice file holds.
  folder.Put(kLanguageChoiceFile, choice);
  const std::string chosen = ReadLanguageChoice(profile, path);
  Check(chosen.size() == 2);
  Check(chosen ==
        MakeLanguageCode(TrimBlanks(profile.ReadString(path + kLanguageChoiceFile, "Epiloom", "Lang", "EN"))));

  // A translation as the update server sent it.
  folder.Put(LanguageFileName(code), content);
  const LanguageTexts texts = LoadLanguageTexts(folder, code);
  CheckTexts(texts, content);
  // A leading byte order mark changes nothing (one mark is skipped, so
  // only on a content that has none yet).
  if (WithoutByteOrderMark(content) == content) {
    folder.Put(LanguageFileName(code), std::string(kUtf8ByteOrderMark) + content);
    const LanguageTexts marked = LoadLanguageTexts(folder, code);
    for (std::size_t i = 0; i < kTextKeyCount; ++i) {
      Check(marked[static_cast<TextKey>(i)] == texts[static_cast<TextKey>(i)]);
    }
  }

  // The installed languages: every code two characters, one per language file.
  folder.Put(LanguageFileName(extraName), "[Language]\r\n");
  const auto codes = InstalledLanguageCodes(folder);
  Check(codes.size() <= folder.Files().size());
  for (const std::string& installed : codes) Check(installed.size() == 2);
  return 0;
}
