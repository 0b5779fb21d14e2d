// In-memory stand-ins for the platform interfaces, recording what was done.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "i18n/ProfileFile.h"
#include "site/EpisodeCheckView.h"
#include "site/PageFetcher.h"
#include "support/Clock.h"
#include "support/MessageBoxes.h"
#include "support/ProgramFolder.h"
#include "support/ShowListView.h"

namespace epiloom {
struct ShowStore;
}

namespace epiloom::testing {

// A program folder held in memory. Thread-safe, so workers can use it.
class FakeProgramFolder : public ProgramFolder {
 public:
  explicit FakeProgramFolder(std::string path = "C:\\Epiloom\\") : path_(std::move(path)) {}

  std::string Path() const override { return path_; }
  bool Exists(const std::string& name) const override;
  std::optional<std::string> ReadFile(const std::string& name) const override;
  bool CanWrite() override;
  bool WriteFile(const std::string& name, std::string_view bytes) override;
  bool ReplaceWholeFile(const std::string& name, std::string_view bytes) override;
  bool RemoveFile(const std::string& name) override;
  std::vector<std::string> ListFiles(const std::string& pattern) const override;

  // Test set-up and inspection.
  void Put(const std::string& name, std::string bytes);
  std::map<std::string, std::string> Files() const;
  // A read-only folder: every write fails and changes nothing, and the
  // probe (CanWrite) says so.
  void SetWritable(bool writable);
  // Only writes of this file fail (and change nothing), as when another
  // program holds it open; "" ends that.
  void FailWritesOf(const std::string& name);
  // From now on a write stops after `bytes` bytes, as when the disk fills up
  // or the program is killed while writing: WriteFile leaves the cut file
  // behind and fails; ReplaceWholeFile (a temporary file that takes the
  // file's place only once it is whole) fails and leaves the file as it was.
  void CutWritesAfter(std::size_t bytes);
  // Writes tried (also those that failed); probes are not writes.
  int writes() const;
  int probes() const;

 private:
  mutable std::mutex mutex_;
  std::string path_;
  std::map<std::string, std::string> files_;  // by lower-cased name
  std::map<std::string, std::string> spelled_;  // lower-cased name -> name as written
  bool writable_ = true;
  std::string failing_;  // lower-cased name, or empty
  int probes_ = 0;
  std::size_t cutAfter_ = std::numeric_limits<std::size_t>::max();
  int writes_ = 0;
};

// Case-insensitive "*" / "?" matching, as the platform matches file names.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Reads and writes INI files of a FakeProgramFolder by the platform's profile
// rules (see ProfileFile.h); a path is the folder's path + a file name.
class FakeProfileFile : public ProfileFile {
 public:
  explicit FakeProfileFile(FakeProgramFolder& folder) : folder_(folder) {}
  std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& fallback) const override;
  bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) override;

 private:
  std::string NameOf(const std::string& path) const;
  FakeProgramFolder& folder_;
};

class FakeClock : public Clock {
 public:
  explicit FakeClock(double now = 12 * 3600.0) : now_(now) {}
  double SecondsSinceMidnight() override;
  // Sleeping advances the fake time and is recorded.
  void Sleep(int milliseconds) override;
  void Set(double now);
  std::vector<int> sleeps() const;

 private:
  mutable std::mutex mutex_;
  double now_;
  std::vector<int> sleeps_;
};

// The elements of the main window that the recording view tells apart.
enum class Element { StatusLine, Spinner, UpdateProgress, SettingsButton, DownloadButton, BlacklistLabel, AboutLine };

// Records every write to the main window; answers the show count from its
// own list.
class RecordingShowListView : public ShowListView {
 public:
  struct ListItem {
    std::string text;
    bool favorite = false;
  };

  void SetStatusText(const std::string& text) override;
  void ShowSpinner(bool visible) override;
  void ShowUpdateProgress(int maximum, int step) override;
  void HideUpdateProgress() override;
  int ListedShowCount() override;
  void AppendShows(const std::vector<ListedShow>& shows) override;
  // A batch of one show.
  void AppendShow(const std::string& name, bool favorite) { AppendShows({{name, favorite}}); }
  void SetSettingsButtonText(const std::string& text) override;
  void SetDownloadButtonText(const std::string& text) override;
  void EnableEpisodeButtons(bool enabled) override;
  void SetBlacklistLabelText(const std::string& text) override;
  void EnableBlacklistLabel(bool enabled) override;
  void SetAboutLineText(const std::string& text) override;

  // Inspection. Texts hold the last value set; `log` every call in order.
  std::string Text(Element element) const;
  bool HasText(Element element) const;
  int TextWrites(Element element) const;
  bool Visible(Element element) const;  // false when never shown
  bool Enabled(Element element) const;  // true when never changed
  std::vector<ListItem> Items() const;
  std::vector<std::size_t> BatchSizes() const;  // shows per AppendShows call, in order
  std::vector<std::string> log() const;

 private:
  void Record(Element element, const std::string& text, const std::string& logLine);

  mutable std::mutex mutex_;
  std::map<Element, std::string> texts_;
  std::map<Element, int> textWrites_;
  std::map<Element, bool> visible_;
  std::map<Element, bool> enabled_;
  std::vector<ListItem> items_;
  std::vector<std::size_t> batchSizes_;
  std::vector<std::string> log_;
};

// Records what the episode check writes on its dialog.
class RecordingEpisodeCheckView : public EpisodeCheckView {
 public:
  void SetCurrentShow(const std::string& name) override;
  void SetCounter(const std::string& text) override;

  std::string CurrentShow() const;
  std::string Counter() const;
  std::vector<std::string> log() const;

 private:
  mutable std::mutex mutex_;
  std::string currentShow_;
  std::string counter_;
  std::vector<std::string> log_;
};

class FakeMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string caption;
    std::string text;
    NoticeKind kind = NoticeKind::Information;
    bool question = false;
  };
  void Notify(const std::string& caption, const std::string& text, NoticeKind kind) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;

  void AnswerYes(bool yes) { answerYes_ = yes; }
  std::vector<Shown> shown() const;

 private:
  mutable std::mutex mutex_;
  bool answerYes_ = false;
  std::vector<Shown> shown_;
};

// Serves URLs from a map; anything else is a failed download (empty body).
class FakeFetcher : public PageFetcher {
 public:
  std::string URLDownloadToString(const std::string& url) override;
  void Serve(const std::string& url, std::string body);
  std::vector<std::string> requests() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> bodies_;
  std::vector<std::string> requests_;
};

// Serves one page for every URL, but holds the n-th download (counting from
// 1) until the test releases it: lets a test abandon a worker mid-download.
class HoldingFetcher : public PageFetcher {
 public:
  HoldingFetcher(std::string page, int holdCall) : page_(std::move(page)), holdCall_(holdCall) {}

  std::string URLDownloadToString(const std::string& url) override;
  void WaitUntilHeld();
  void Release();
  std::size_t requests() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string page_;
  int holdCall_;
  bool held_ = false;
  bool released_ = false;
  std::vector<std::string> requests_;
};

// Serves URLs from a map, like FakeFetcher, to any number of threads at
// once. A closed URL's download waits until the test opens it, so pages can
// come back in any order; a URL can also answer after a real delay. Records
// every request.
class GatedFetcher : public PageFetcher {
 public:
  std::string URLDownloadToString(const std::string& url) override;
  void Serve(const std::string& url, std::string body);
  void Delay(const std::string& url, int microseconds);
  void Close(const std::string& url);
  void Open(const std::string& url);
  void OpenAll();
  // Waits until `count` downloads are held at closed URLs together.
  void WaitUntilHeld(std::size_t count);
  std::size_t held() const;
  std::vector<std::string> requests() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, std::string> bodies_;
  std::map<std::string, int> delays_;
  std::map<std::string, bool> closed_;
  std::size_t held_ = 0;
  std::vector<std::string> requests_;
};

// Everything an episode check may change in the store (the flag, and each
// record's lastChecked and episodes), as one text to compare.
std::string StoreState(ShowStore& store);

}  // namespace epiloom::testing
