#include "fakes/Fakes.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <mutex>
#include <sstream>
#include <thread>

#include "store/ShowStore.h"

namespace epiloom::testing {
namespace {

std::string Lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

bool IsProfileSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimProfile(std::string_view text) {
  while (!text.empty() && IsProfileSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Splits at CR LF, CR or LF.
std::vector<std::string_view> ProfileLines(std::string_view content) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\r' && content[i] != '\n') continue;
    lines.push_back(content.substr(start, i - start));
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < content.size()) lines.push_back(content.substr(start));
  return lines;
}

bool IsSectionLine(std::string_view line, std::string_view* name) {
  line = TrimProfile(line);
  if (line.empty() || line.front() != '[') return false;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  *name = TrimProfile(line.substr(1, close - 1));
  return true;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern.empty()) return name.empty();
  if (pattern.front() == '*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip) {
      if (WildcardMatch(pattern.substr(1), name.substr(skip))) return true;
    }
    return false;
  }
  if (name.empty()) return false;
  const bool same = pattern.front() == '?' ||
                    std::tolower(static_cast<unsigned char>(pattern.front())) ==
                        std::tolower(static_cast<unsigned char>(name.front()));
  return same && WildcardMatch(pattern.substr(1), name.substr(1));
}

// --- FakeProgramFolder ---------------------------------------------------

bool FakeProgramFolder::Exists(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return files_.count(Lower(name)) != 0;
}

std::optional<std::string> FakeProgramFolder::ReadFile(const std::string& name) const {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(Lower(name));
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

bool FakeProgramFolder::CanWrite() {
  std::lock_guard lock(mutex_);
  ++probes_;
  return writable_;
}

bool FakeProgramFolder::WriteFile(const std::string& name, std::string_view bytes) {
  std::lock_guard lock(mutex_);
  ++writes_;
  if (!writable_ || Lower(name) == failing_) return false;
  files_[Lower(name)] = std::string(bytes.substr(0, cutAfter_));
  spelled_.emplace(Lower(name), name);
  return bytes.size() <= cutAfter_;
}

bool FakeProgramFolder::ReplaceWholeFile(const std::string& name, std::string_view bytes) {
  std::lock_guard lock(mutex_);
  ++writes_;
  if (!writable_ || Lower(name) == failing_) return false;
  // A cut temporary file is deleted and never takes the file's place.
  if (bytes.size() > cutAfter_) return false;
  files_[Lower(name)] = std::string(bytes);
  spelled_.emplace(Lower(name), name);
  return true;
}

bool FakeProgramFolder::RemoveFile(const std::string& name) {
  std::lock_guard lock(mutex_);
  if (!writable_) return false;
  files_.erase(Lower(name));
  spelled_.erase(Lower(name));
  return true;
}

std::vector<std::string> FakeProgramFolder::ListFiles(const std::string& pattern) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [lower, name] : spelled_) {
    if (WildcardMatch(pattern, name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void FakeProgramFolder::Put(const std::string& name, std::string bytes) {
  std::lock_guard lock(mutex_);
  files_[Lower(name)] = std::move(bytes);
  spelled_[Lower(name)] = name;
}

std::map<std::string, std::string> FakeProgramFolder::Files() const {
  std::lock_guard lock(mutex_);
  std::map<std::string, std::string> result;
  for (const auto& [lower, name] : spelled_) result[name] = files_.at(lower);
  return result;
}

void FakeProgramFolder::SetWritable(bool writable) {
  std::lock_guard lock(mutex_);
  writable_ = writable;
}

void FakeProgramFolder::FailWritesOf(const std::string& name) {
  std::lock_guard lock(mutex_);
  failing_ = Lower(name);
}

int FakeProgramFolder::probes() const {
  std::lock_guard lock(mutex_);
  return probes_;
}

void FakeProgramFolder::CutWritesAfter(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  cutAfter_ = bytes;
}

int FakeProgramFolder::writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

// --- FakeProfileFile -----------------------------------------------------

std::string FakeProfileFile::NameOf(const std::string& path) const {
  const std::string folder = folder_.Path();
  if (path.compare(0, folder.size(), folder) == 0) return path.substr(folder.size());
  return path;  // not in the folder: never found
}

std::string FakeProfileFile::ReadString(const std::string& path, const std::string& section,
                                        const std::string& key, const std::string& fallback) const {
  const auto content = folder_.ReadFile(NameOf(path));
  if (!content) return fallback;
  bool inSection = false;
  for (std::string_view line : ProfileLines(*content)) {
    std::string_view name;
    if (IsSectionLine(line, &name)) {
      inSection = Lower(name) == Lower(section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (Lower(TrimProfile(line.substr(0, equals))) != Lower(key)) continue;
    std::string_view value = TrimProfile(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, 259));
  }
  return fallback;
}

bool FakeProfileFile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                  const std::string& value) {
  const std::string name = NameOf(path);
  const std::string content = folder_.ReadFile(name).value_or("");
  std::string result;
  bool inSection = false, sectionSeen = false, written = false;
  for (std::string_view line : ProfileLines(content)) {
    std::string_view sectionName;
    if (IsSectionLine(line, &sectionName)) {
      if (inSection && !written) {
        result += key + "=" + value + "\r\n";
        written = true;
      }
      inSection = Lower(sectionName) == Lower(section);
      sectionSeen = sectionSeen || inSection;
    } else if (inSection && !written) {
      const std::size_t equals = line.find('=');
      if (equals != std::string_view::npos && Lower(TrimProfile(line.substr(0, equals))) == Lower(key)) {
        result += key + "=" + value + "\r\n";
        written = true;
        continue;
      }
    }
    result.append(line);
    result += "\r\n";
  }
  if (!written) {
    if (!sectionSeen) result += "[" + section + "]\r\n";
    result += key + "=" + value + "\r\n";
  }
  return folder_.WriteFile(name, result);
}

// --- FakeClock -----------------------------------------------------------

double FakeClock::SecondsSinceMidnight() {
  std::lock_guard lock(mutex_);
  return now_;
}

void FakeClock::Sleep(int milliseconds) {
  std::lock_guard lock(mutex_);
  sleeps_.push_back(milliseconds);
  now_ += milliseconds / 1000.0;
}

void FakeClock::Set(double now) {
  std::lock_guard lock(mutex_);
  now_ = now;
}

std::vector<int> FakeClock::sleeps() const {
  std::lock_guard lock(mutex_);
  return sleeps_;
}

// --- RecordingShowListView -----------------------------------------------

void RecordingShowListView::Record(Element element, const std::string& text, const std::string& logLine) {
  texts_[element] = text;
  ++textWrites_[element];
  log_.push_back(logLine);
}

void RecordingShowListView::SetStatusText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record(Element::StatusLine, text, "status " + text);
}

void RecordingShowListView::ShowSpinner(bool visible) {
  std::lock_guard lock(mutex_);
  visible_[Element::Spinner] = visible;
  log_.push_back(visible ? "spinner shown" : "spinner hidden");
}

void RecordingShowListView::ShowUpdateProgress(int maximum, int step) {
  std::lock_guard lock(mutex_);
  visible_[Element::UpdateProgress] = true;
  log_.push_back("progress 0.." + std::to_string(maximum) + " step " + std::to_string(step) + " shown");
}

void RecordingShowListView::HideUpdateProgress() {
  std::lock_guard lock(mutex_);
  visible_[Element::UpdateProgress] = false;
  log_.push_back("progress hidden");
}

int RecordingShowListView::ListedShowCount() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

void RecordingShowListView::AppendShows(const std::vector<ListedShow>& shows) {
  std::lock_guard lock(mutex_);
  batchSizes_.push_back(shows.size());
  for (const ListedShow& show : shows) {
    items_.push_back({show.name, show.favorite});
    log_.push_back((show.favorite ? "favourite " : "show ") + show.name);
  }
}

void RecordingShowListView::SetSettingsButtonText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record(Element::SettingsButton, text, "settings " + text);
}

void RecordingShowListView::SetDownloadButtonText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record(Element::DownloadButton, text, "download " + text);
}

void RecordingShowListView::EnableEpisodeButtons(bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_[Element::SettingsButton] = enabled;
  enabled_[Element::DownloadButton] = enabled;
  log_.push_back(enabled ? "buttons enabled" : "buttons disabled");
}

void RecordingShowListView::SetBlacklistLabelText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record(Element::BlacklistLabel, text, "blacklist " + text);
}

void RecordingShowListView::EnableBlacklistLabel(bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_[Element::BlacklistLabel] = enabled;
  log_.push_back(enabled ? "blacklist enabled" : "blacklist disabled");
}

void RecordingShowListView::SetAboutLineText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record(Element::AboutLine, text, "about " + text);
}

std::string RecordingShowListView::Text(Element element) const {
  std::lock_guard lock(mutex_);
  const auto it = texts_.find(element);
  return it == texts_.end() ? std::string() : it->second;
}

bool RecordingShowListView::HasText(Element element) const {
  std::lock_guard lock(mutex_);
  return texts_.count(element) != 0;
}

int RecordingShowListView::TextWrites(Element element) const {
  std::lock_guard lock(mutex_);
  const auto it = textWrites_.find(element);
  return it == textWrites_.end() ? 0 : it->second;
}

bool RecordingShowListView::Visible(Element element) const {
  std::lock_guard lock(mutex_);
  const auto it = visible_.find(element);
  return it != visible_.end() && it->second;
}

bool RecordingShowListView::Enabled(Element element) const {
  std::lock_guard lock(mutex_);
  const auto it = enabled_.find(element);
  return it == enabled_.end() || it->second;
}

std::vector<RecordingShowListView::ListItem> RecordingShowListView::Items() const {
  std::lock_guard lock(mutex_);
  return items_;
}

std::vector<std::size_t> RecordingShowListView::BatchSizes() const {
  std::lock_guard lock(mutex_);
  return batchSizes_;
}

std::vector<std::string> RecordingShowListView::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

// --- RecordingEpisodeCheckView ---------------------------------------------

void RecordingEpisodeCheckView::SetCurrentShow(const std::string& name) {
  std::lock_guard lock(mutex_);
  currentShow_ = name;
  log_.push_back("show " + name);
}

void RecordingEpisodeCheckView::SetCounter(const std::string& text) {
  std::lock_guard lock(mutex_);
  counter_ = text;
  log_.push_back("counter " + text);
}

std::string RecordingEpisodeCheckView::CurrentShow() const {
  std::lock_guard lock(mutex_);
  return currentShow_;
}

std::string RecordingEpisodeCheckView::Counter() const {
  std::lock_guard lock(mutex_);
  return counter_;
}

std::vector<std::string> RecordingEpisodeCheckView::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

// --- FakeMessageBoxes ----------------------------------------------------

void FakeMessageBoxes::Notify(const std::string& caption, const std::string& text, NoticeKind kind) {
  std::lock_guard lock(mutex_);
  shown_.push_back({caption, text, kind, false});
}

bool FakeMessageBoxes::AskYesNo(const std::string& caption, const std::string& text) {
  std::lock_guard lock(mutex_);
  shown_.push_back({caption, text, NoticeKind::Information, true});
  return answerYes_;
}

std::vector<FakeMessageBoxes::Shown> FakeMessageBoxes::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

// --- FakeFetcher ---------------------------------------------------------

std::string FakeFetcher::URLDownloadToString(const std::string& url) {
  std::lock_guard lock(mutex_);
  requests_.push_back(url);
  const auto found = bodies_.find(url);
  return found == bodies_.end() ? std::string() : found->second;
}

void FakeFetcher::Serve(const std::string& url, std::string body) {
  std::lock_guard lock(mutex_);
  bodies_[url] = std::move(body);
}

std::vector<std::string> FakeFetcher::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

// --- HoldingFetcher ------------------------------------------------------

std::string HoldingFetcher::URLDownloadToString(const std::string& url) {
  std::unique_lock lock(mutex_);
  requests_.push_back(url);
  if (static_cast<int>(requests_.size()) == holdCall_) {
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
  }
  return page_;
}

void HoldingFetcher::WaitUntilHeld() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return held_; });
}

void HoldingFetcher::Release() {
  std::lock_guard lock(mutex_);
  released_ = true;
  changed_.notify_all();
}

std::size_t HoldingFetcher::requests() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

// --- GatedFetcher --------------------------------------------------------

std::string GatedFetcher::URLDownloadToString(const std::string& url) {
  int delay = 0;
  {
    std::unique_lock lock(mutex_);
    requests_.push_back(url);
    if (closed_[url]) {
      ++held_;
      changed_.notify_all();
      changed_.wait(lock, [&] { return !closed_[url]; });
      --held_;
    }
    delay = delays_[url];
  }
  if (delay > 0) std::this_thread::sleep_for(std::chrono::microseconds(delay));
  std::lock_guard lock(mutex_);
  const auto found = bodies_.find(url);
  return found == bodies_.end() ? std::string() : found->second;
}

void GatedFetcher::Serve(const std::string& url, std::string body) {
  std::lock_guard lock(mutex_);
  bodies_[url] = std::move(body);
}

void GatedFetcher::Delay(const std::string& url, int microseconds) {
  std::lock_guard lock(mutex_);
  delays_[url] = microseconds;
}

void GatedFetcher::Close(const std::string& url) {
  std::lock_guard lock(mutex_);
  closed_[url] = true;
}

void GatedFetcher::Open(const std::string& url) {
  std::lock_guard lock(mutex_);
  closed_[url] = false;
  changed_.notify_all();
}

void GatedFetcher::OpenAll() {
  std::lock_guard lock(mutex_);
  for (auto& [url, closed] : closed_) closed = false;
  changed_.notify_all();
}

void GatedFetcher::WaitUntilHeld(std::size_t count) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return held_ >= count; });
}

std::size_t GatedFetcher::held() const {
  std::lock_guard lock(mutex_);
  return held_;
}

std::vector<std::string> GatedFetcher::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string StoreState(ShowStore& store) {
  std::lock_guard lock(store.mutex);
  std::ostringstream state;
  state << "checked=" << store.episodesChecked << "\n";
  for (const ShowRecord& record : store.showTable) {
    state << record.name << " " << record.lastChecked << ":";
    for (const Episode& episode : record.episodes) {
      state << " " << episode.episodeCode << "," << episode.magnetLink << "," << episode.sizeMb;
    }
    state << "\n";
  }
  return state.str();
}

}  // namespace epiloom::testing
