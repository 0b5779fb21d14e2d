// epiloom_driver: finds, reads and works the windows of another program running
// in the same (Wine) session, for the end-to-end tests.
//
//   epiloom_driver <verb> <args...>   one command, its result as one line on stdout
//   epiloom_driver serve              commands from stdin (or a script: serve < file), one
//                                     per line, tab-separated, each answered "<code>\t<result>"
//
// Codes (and exit codes): 0 success, 1 usage error, 2 not found or timed out,
// 3 the control is there but disabled or hidden, so a user could not click it.
// Texts are byte strings in the ANSI code page: the A calls are used on purpose
// (one exception below, where Wine needs the W one). Results that carry text are
// JSON with every byte outside printable ASCII as \u00XX, so
// json.loads(result).encode("latin-1") gives the bytes back. An argument
// "hex:414243" gives bytes in hexadecimal, for titles outside ASCII. A window
// title ending in "*" names every window whose title begins with the rest.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

enum Code { kOk = 0, kUsage = 1, kNotFound = 2, kNotClickable = 3 };
constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 3000;
constexpr UINT kMnGetHMenu = 0x01E1;  // MN_GETHMENU
constexpr int kMessageBoxTextId = 0xFFFF, kMessageBoxIconId = 0x440;

using Args = std::vector<std::string>;
struct Result {
  int code;
  std::string text;
};

std::map<std::string, HANDLE> g_heldMutexes;
std::map<std::string, HANDLE> g_heldFiles;
bool g_serving = false;  // answering commands from stdin

// ---- text helpers -----------------------------------------------------------

std::string Json(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    char buf[8] = {static_cast<char>(c)};
    if (c == '"' || c == '\\') std::snprintf(buf, sizeof buf, "\\%c", c);
    else if (c < 0x20 || c >= 0x7F) std::snprintf(buf, sizeof buf, c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\u%04x", c);
    out += buf;
  }
  return out + "\"";
}

std::string Num(long long value) { return std::to_string(value); }
std::string Bool(bool value) { return value ? "true" : "false"; }
std::string RectJson(const RECT& r) {
  // Appended piece by piece: with `"[" + Num(...)` (a literal before a
  // temporary string, which libstdc++ inserts at the temporary's front) GCC 12
  // reports a false -Wrestrict overlap once that is inlined (-O2 and up).
  std::string out = "[";
  for (const LONG value : {r.left, r.top, r.right, r.bottom}) {
    out += Num(value);
    out += ',';
  }
  out.back() = ']';
  return out;
}

std::string Decode(const std::string& arg) {
  if (arg.rfind("hex:", 0) != 0) return arg;
  std::string out;
  for (size_t i = 4; i + 1 < arg.size(); i += 2)
    out += static_cast<char>(std::strtoul(arg.substr(i, 2).c_str(), nullptr, 16));
  return out;
}

bool ParseInt(const std::string& s, long* out) {
  char* end = nullptr;
  *out = std::strtol(s.c_str(), &end, 0);
  return !s.empty() && end && *end == '\0';
}

DWORD MsArg(const Args& a, size_t i) {
  long v = 0;
  return (a.size() > i && ParseInt(a[i], &v) && v >= 0) ? static_cast<DWORD>(v) : 0;
}

// Calls `done` every 20 ms until it says yes or the time is up.
template <typename F>
bool Poll(DWORD timeoutMs, F done) {
  for (DWORD start = GetTickCount();; Sleep(kPollMs)) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
  }
}

// ---- finding windows ----------------------------------------------------------

std::string TitleOf(HWND hwnd) {
  char buf[1024] = {};
  return GetWindowTextA(hwnd, buf, sizeof buf), buf;
}

std::string ClassOf(HWND hwnd) {
  char buf[256] = {};
  return GetClassNameA(hwnd, buf, sizeof buf), buf;
}

struct Search {
  std::string title;
  const char* cls;
  std::vector<HWND> found;
};

// A title as given, or, when it ends with "*", any title that begins with
// the text before the "*" (for captions that count down).
bool TitleMatches(const std::string& title, const std::string& wanted) {
  if (wanted.empty() || wanted.back() != '*') return title == wanted;
  const size_t prefix = wanted.size() - 1;
  return title.compare(0, prefix, wanted, 0, prefix) == 0;
}

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (IsWindowVisible(hwnd) && (!s->cls || ClassOf(hwnd) == s->cls) && TitleMatches(TitleOf(hwnd), s->title))
    s->found.push_back(hwnd);
  return TRUE;
}

// Visible top-level windows with this title (see TitleMatches) and class, when given.
std::vector<HWND> FindAll(const std::string& title, const char* cls = nullptr) {
  Search s{title, cls, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindTop(const std::string& title) {
  std::vector<HWND> all = FindAll(title);
  return all.empty() ? nullptr : all.front();
}

std::string ReadText(HWND hwnd) {
  DWORD_PTR len = 0, got = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len)) return "";
  std::vector<char> buf(len * 2 + 16, '\0');
  SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &got);
  return std::string(buf.data(), got);
}

// a[at] is a window title, a[at + 1] a control ID (0: the window itself).
struct Target {
  HWND top = nullptr, ctrl = nullptr;
  Result error{kOk, ""};
  explicit operator bool() const { return ctrl != nullptr; }
};

Target Locate(const Args& a, size_t at = 1) {
  Target t;
  long id = 0;
  if (a.size() < at + 2 || !ParseInt(a[at + 1], &id)) return t.error = {kUsage, "usage: <title> <control id>"}, t;
  t.top = FindTop(Decode(a[at]));
  t.ctrl = !t.top ? nullptr : id == 0 ? t.top : GetDlgItem(t.top, static_cast<int>(id));
  if (!t.ctrl) t.error = {kNotFound, t.top ? "no control" : "no window"};
  return t;
}

std::string StateJson(HWND top, HWND ctrl) {
  RECT r{};
  GetWindowRect(ctrl, &r);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
  return "{\"visible\":" + Bool(IsWindowVisible(ctrl)) + ",\"enabled\":" + Bool(IsWindowEnabled(ctrl)) +
         ",\"style\":" + Num(static_cast<DWORD>(GetWindowLongA(ctrl, GWL_STYLE))) +
         ",\"exstyle\":" + Num(static_cast<DWORD>(GetWindowLongA(ctrl, GWL_EXSTYLE))) + ",\"class\":" +
         Json(ClassOf(ctrl)) + ",\"rect\":" + RectJson(r) + "}";
}

// ---- windows and controls ----------------------------------------------------------

Result Info(const Args&) {
  return {kOk, "{\"acp\":" + Num(GetACP()) + ",\"screen\":[" + Num(GetSystemMetrics(SM_CXSCREEN)) + "," +
                   Num(GetSystemMetrics(SM_CYSCREEN)) + "]}"};
}

// wait-window <title> <ms>: until a visible top-level window has this title.
// gone <title> <ms>: until none has.
Result WaitWindow(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: wait-window|gone <title> <timeout ms>"};
  bool gone = a[0] == "gone";
  HWND hwnd = nullptr;
  if (!Poll(MsArg(a, 2), [&] { return ((hwnd = FindTop(Decode(a[1]))) != nullptr) != gone; }))
    return {kNotFound, "timeout"};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return {kOk, gone ? "gone" : "{\"pid\":" + Num(pid) + "}"};
}

Result Count(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: count <title>"};
  return {kOk, Num(static_cast<long long>(FindAll(Decode(a[1])).size()))};
}

BOOL CALLBACK ListTop(HWND hwnd, LPARAM param) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  auto* out = reinterpret_cast<std::string*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  *out += std::string(out->size() > 1 ? "," : "") + "{\"title\":" + Json(TitleOf(hwnd)) + ",\"class\":" +
          Json(ClassOf(hwnd)) + ",\"pid\":" + Num(pid) + "}";
  return TRUE;
}

// windows: every visible top-level window of the session.
Result Windows(const Args&) {
  std::string out = "[";
  EnumWindows(ListTop, reinterpret_cast<LPARAM>(&out));
  return {kOk, out + "]"};
}

Result Text(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  return {kOk, Json(ReadText(t.ctrl))};
}

// wait-text <title> <id> <part> <ms>: until the control's text contains part.
Result WaitText(const Args& a) {
  if (a.size() < 5) return {kUsage, "usage: wait-text <title> <id> <part of the text> <timeout ms>"};
  std::string part = Decode(a[3]), last;
  bool ok = Poll(MsArg(a, 4), [&] {
    Target t = Locate(a);
    if (!t) return false;
    last = ReadText(t.ctrl);
    return last.find(part) != std::string::npos;
  });
  return {ok ? kOk : kNotFound, Json(last)};
}

Result State(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  return {kOk, StateJson(t.top, t.ctrl)};
}

// wait-state <title> <id> visible|hidden|enabled|disabled <ms>
Result WaitState(const Args& a) {
  const std::string want = a.size() > 3 ? a[3] : "";
  if (a.size() < 5 || (want != "visible" && want != "hidden" && want != "enabled" && want != "disabled"))
    return {kUsage, "usage: wait-state <title> <id> <visible|hidden|enabled|disabled> <timeout ms>"};
  std::string last = "no window";
  bool ok = Poll(MsArg(a, 4), [&] {
    Target t = Locate(a);
    if (!t) return false;
    last = StateJson(t.top, t.ctrl);
    bool visible = IsWindowVisible(t.ctrl), enabled = IsWindowEnabled(t.ctrl);
    return want == "visible" ? visible : want == "hidden" ? !visible : want == "enabled" ? enabled : !enabled;
  });
  return {ok ? kOk : kNotFound, last};
}

std::string OwnerTitle(HWND hwnd) {
  HWND owner = GetWindow(hwnd, GW_OWNER);
  return owner ? TitleOf(owner) : "";
}

Result Window(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: window <title>"};
  HWND hwnd = FindTop(Decode(a[1]));
  if (!hwnd) return {kNotFound, "no window"};
  RECT wr{}, cr{};
  GetWindowRect(hwnd, &wr);
  GetClientRect(hwnd, &cr);
  // Under Wine 8, WM_GETICON sent from another process answers 0 even when the
  // window has an icon, so icon_big/icon_small can only be trusted when true.
  DWORD_PTR big = 0, small = 0;
  SendMessageTimeoutA(hwnd, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &big);
  SendMessageTimeoutA(hwnd, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &small);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return {kOk, "{\"style\":" + Num(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE))) +
                   ",\"exstyle\":" + Num(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE))) +
                   ",\"rect\":" + RectJson(wr) + ",\"client\":" + RectJson(cr) + ",\"class\":" + Json(ClassOf(hwnd)) +
                   ",\"icon_big\":" + Bool(big) + ",\"icon_small\":" + Bool(small) + ",\"class_icon\":" +
                   Bool(GetClassLongPtrA(hwnd, GCLP_HICON)) + ",\"pid\":" + Num(pid) +
                   ",\"enabled\":" + Bool(IsWindowEnabled(hwnd)) + ",\"owner\":" + Json(OwnerTitle(hwnd)) + "}"};
}

// list <title> <id>: a list box's items with their item data, its top index,
// item height and client rect.
Result List(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(t.ctrl, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return {kNotFound, "no answer"};
  DWORD_PTR top = 0, height = 0;
  SendMessageTimeoutA(t.ctrl, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &top);
  SendMessageTimeoutA(t.ctrl, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &height);
  RECT client{};
  GetClientRect(t.ctrl, &client);
  std::string out = "{\"count\":" + Num(static_cast<LRESULT>(count)) + ",\"top\":" + Num(static_cast<LRESULT>(top)) +
                    ",\"height\":" + Num(static_cast<LRESULT>(height)) + ",\"client\":" + RectJson(client) +
                    ",\"items\":[";
  // Under Wine the A form of LB_GETTEXT comes back from another process
  // unconverted (UTF-16), so the W form is asked and converted here.
  for (LRESULT i = 0; i < static_cast<LRESULT>(count); ++i) {
    DWORD_PTR len = 0, data = 0, got = 0;
    SendMessageTimeoutW(t.ctrl, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len);
    std::vector<wchar_t> wide(static_cast<size_t>(static_cast<LRESULT>(len) < 0 ? 0 : len) + 16, L'\0');
    SendMessageTimeoutW(t.ctrl, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &got);
    SendMessageTimeoutA(t.ctrl, LB_GETITEMDATA, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &data);
    int n = static_cast<LRESULT>(got) > 0 ? static_cast<int>(wcsnlen(wide.data(), wide.size())) : 0;
    std::string text(static_cast<size_t>(n) * 2 + 1, '\0');
    text.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), n, text.data(), static_cast<int>(text.size()), nullptr, nullptr)));
    out += std::string(i ? "," : "") + "{\"text\":" + Json(text) + ",\"data\":" + Num(static_cast<LRESULT>(data)) + "}";
  }
  return {kOk, out + "]}"};
}

// click / dblclick <title> <id>: the cursor goes to the control's middle, then
// buttons get BM_CLICK and statics that notify STN_CLICKED or STN_DBLCLK at
// their parent. Posted, so a click that opens a modal window does not hold us.
Result Click(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  HWND ctrl = t.ctrl;
  if (!IsWindowVisible(ctrl)) return {kNotClickable, "hidden"};
  if (!IsWindowEnabled(ctrl)) return {kNotClickable, "disabled"};
  RECT r{};
  GetWindowRect(ctrl, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);  // where a user's click would leave it
  bool twice = a[0] == "dblclick";
  WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(ctrl));
  LPARAM from = reinterpret_cast<LPARAM>(ctrl);
  if (ClassOf(ctrl) == "Static") {
    if (!(GetWindowLongA(ctrl, GWL_STYLE) & SS_NOTIFY)) return {kNotClickable, "static without SS_NOTIFY"};
    PostMessageA(GetParent(ctrl), WM_COMMAND, MAKEWPARAM(id, twice ? STN_DBLCLK : STN_CLICKED), from);
  } else if (twice) {
    PostMessageA(GetParent(ctrl), WM_COMMAND, MAKEWPARAM(id, BN_DBLCLK), from);
  } else {
    PostMessageA(ctrl, BM_CLICK, 0, 0);
  }
  return {kOk, "ok"};
}

// mouse <title> <id> <x> <y> <left|right|double>: a click at client
// coordinates of the control, with the cursor moved there first.
Result Mouse(const Args& a) {
  long x = 0, y = 0;
  if (a.size() < 6 || !ParseInt(a[3], &x) || !ParseInt(a[4], &y) ||
      (a[5] != "left" && a[5] != "right" && a[5] != "double"))
    return {kUsage, "usage: mouse <title> <id> <x> <y> <left|right|double>"};
  Target t = Locate(a);
  if (!t) return t.error;
  HWND ctrl = t.ctrl;
  POINT p{x, y};
  ClientToScreen(ctrl, &p);
  SetCursorPos(p.x, p.y);
  LPARAM at = MAKELPARAM(x, y);
  bool right = a[5] == "right";
  PostMessageA(ctrl, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  PostMessageA(ctrl, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
  if (a[5] == "double") {
    PostMessageA(ctrl, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(ctrl, WM_LBUTTONUP, 0, at);
  }
  return {kOk, "ok"};
}

// close <title>: what the close box sends.
Result Close(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: close <title>"};
  HWND hwnd = FindTop(Decode(a[1]));
  if (!hwnd) return {kNotFound, "no window"};
  PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  return {kOk, "ok"};
}

// real-click <title> <id> <left|double|right> [<x> <y>]: the cursor to the
// control's middle (or to x, y in its client pixels), then button presses
// through the system's input queue (SendInput), so the click reaches whatever
// window lies under the cursor, as a user's would.
Result RealClick(const Args& a) {
  long x = 0, y = 0;
  const bool at = a.size() >= 6;
  if (a.size() < 4 || (a[3] != "left" && a[3] != "double" && a[3] != "right") ||
      (at && (!ParseInt(a[4], &x) || !ParseInt(a[5], &y))))
    return {kUsage, "usage: real-click <title> <id> <left|double|right> [<x> <y>]"};
  Target t = Locate(a);
  if (!t) return t.error;
  if (!IsWindowVisible(t.ctrl)) return {kNotClickable, "hidden"};
  RECT r{};
  GetWindowRect(t.ctrl, &r);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (at) {
    p = {x, y};
    ClientToScreen(t.ctrl, &p);
  }
  SetCursorPos(p.x, p.y);
  Sleep(50);  // the move is seen before the press
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  const bool right = a[3] == "right";
  press[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  for (int n = a[3] == "double" ? 2 : 1; n > 0; --n) {
    if (SendInput(2, press, sizeof(INPUT)) != 2) return {kNotFound, "input refused"};
    if (n > 1) Sleep(30);  // well inside the double-click time
  }
  return {kOk, "ok"};
}

// query-end-session <title> <ms>: what the system sends first when the user
// logs off or shuts down; answers the window's reply (non-zero: may end).
// end-session <title> <0|1> <ms>: the second message, wParam TRUE when the
// session really ends. Sent, so the answer comes once the window handled it.
Result EndSession(const Args& a) {
  const bool query = a[0] == "query-end-session";
  long ending = 0;
  if (a.size() < (query ? 2u : 3u) || (!query && !ParseInt(a[2], &ending)))
    return {kUsage, "usage: query-end-session <title> <ms> | end-session <title> <0|1> <ms>"};
  HWND hwnd = FindTop(Decode(a[1]));
  if (!hwnd) return {kNotFound, "no window"};
  DWORD ms = MsArg(a, query ? 2 : 3);
  DWORD_PTR answer = 0;
  UINT message = query ? WM_QUERYENDSESSION : WM_ENDSESSION;
  WPARAM wParam = query ? 0 : static_cast<WPARAM>(ending != 0);
  if (!SendMessageTimeoutA(hwnd, message, wParam, 0, SMTO_NORMAL, ms ? ms : kSendTimeoutMs, &answer))
    return {kNotFound, "no answer in time"};
  return {kOk, "{\"answer\":" + Num(static_cast<LONG_PTR>(answer)) + "}"};
}

// watch: from now on, a thread notes each top-level window that becomes
// visible, so that windows too short-lived for a poll from the test (a dialog
// that closes at once) are seen. It looks at the windows every millisecond or
// two and, because even that can miss a dialog that is gone again within a
// millisecond, also hears of every dialog (class #32770) created in another
// process (an out-of-context WinEvent hook, which Wine delivers across
// processes). Each window is noted once, in the order first heard of, under
// its first caption (a message box gets its caption after it was created).
// seen: the windows noted since the last watch, with the milliseconds since
// then: [{"title","class","pid","at"},...].
struct Noted {
  HWND hwnd;
  std::string title, cls;
  DWORD pid, at;
};

struct Watch {
  CRITICAL_SECTION lock;
  std::vector<Noted> seen;
  std::vector<HWND> known;  // on screen when the watch began, or noted since
  DWORD start = 0;
  HANDLE thread = nullptr;
} g_watch;

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

bool Contains(const std::vector<HWND>& list, HWND hwnd) {
  for (HWND item : list)
    if (item == hwnd) return true;
  return false;
}

// Under the watch's lock.
void Note(HWND hwnd) {
  if (!Contains(g_watch.known, hwnd)) {
    g_watch.known.push_back(hwnd);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    g_watch.seen.push_back({hwnd, TitleOf(hwnd), ClassOf(hwnd), pid, GetTickCount() - g_watch.start});
    return;
  }
  for (Noted& noted : g_watch.seen)
    if (noted.hwnd == hwnd && noted.title.empty()) noted.title = TitleOf(hwnd);
}

void CALLBACK DialogCreated(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (!hwnd || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  if (GetAncestor(hwnd, GA_PARENT) != GetDesktopWindow() || ClassOf(hwnd) != "#32770") return;
  EnterCriticalSection(&g_watch.lock);
  Note(hwnd);
  LeaveCriticalSection(&g_watch.lock);
}

DWORD WINAPI WatchWindows(void*) {
  SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, DialogCreated, 0, 0,
                  WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);  // the hook's calls
    std::vector<HWND> now;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&now));
    EnterCriticalSection(&g_watch.lock);
    for (HWND hwnd : now) Note(hwnd);
    LeaveCriticalSection(&g_watch.lock);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

Result WatchStart(const Args&) {
  if (!g_watch.thread) InitializeCriticalSection(&g_watch.lock);
  EnterCriticalSection(&g_watch.lock);
  g_watch.seen.clear();
  g_watch.start = GetTickCount();
  // Windows already on screen are not news.
  g_watch.known.clear();
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&g_watch.known));
  if (!g_watch.thread) g_watch.thread = CreateThread(nullptr, 0, WatchWindows, nullptr, 0, nullptr);
  LeaveCriticalSection(&g_watch.lock);
  return g_watch.thread ? Result{kOk, "watching"} : Result{kNotFound, "cannot start the watch"};
}

Result Seen(const Args&) {
  if (!g_watch.thread) return {kNotFound, "not watching"};
  EnterCriticalSection(&g_watch.lock);
  std::string out = "[";
  for (Noted& w : g_watch.seen) {
    if (w.title.empty() && IsWindow(w.hwnd)) w.title = TitleOf(w.hwnd);
    out += std::string(out.size() > 1 ? "," : "") + "{\"title\":" + Json(w.title) + ",\"class\":" + Json(w.cls) +
           ",\"pid\":" + Num(w.pid) + ",\"at\":" + Num(w.at) + "}";
  }
  LeaveCriticalSection(&g_watch.lock);
  return {kOk, out + "]"};
}

// ---- message boxes ---------------------------------------------------------------

const struct {
  int id;
  const char* name;
} kButtons[] = {{IDOK, "ok"},     {IDCANCEL, "cancel"}, {IDABORT, "abort"}, {IDRETRY, "retry"}, {IDIGNORE, "ignore"},
                {IDYES, "yes"},   {IDNO, "no"},         {10, "tryagain"},   {11, "continue"}};

// A message box is a dialog whose text sits in a static with ID 0xFFFF.
HWND WaitMessageBox(const std::string& caption, DWORD timeoutMs) {
  HWND box = nullptr;
  Poll(timeoutMs, [&] {
    for (HWND hwnd : FindAll(caption, "#32770"))
      if (GetDlgItem(hwnd, kMessageBoxTextId)) return (box = hwnd) != nullptr;
    return false;
  });
  return box;
}

// The kind of icon a box shows: its pixels on screen against each system icon
// where that is opaque (drawn alike on black and on white). Icon handles
// cannot be compared across processes under Wine.
std::string IconKind(HWND box) {
  HWND icon = GetDlgItem(box, kMessageBoxIconId);
  if (!icon || !IsWindowVisible(icon)) return "none";
  RECT r{}, all{0, 0, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  GetWindowRect(icon, &r);
  HDC screen = GetDC(nullptr), dc[3];
  HBITMAP bmp[3];
  HGDIOBJ old[3];
  for (int i = 0; i < 3; ++i)
    dc[i] = CreateCompatibleDC(screen), bmp[i] = CreateCompatibleBitmap(screen, all.right, all.bottom),
    old[i] = SelectObject(dc[i], bmp[i]);
  BitBlt(dc[0], 0, 0, all.right, all.bottom, screen, r.left, r.top, SRCCOPY);
  const struct {
    LPCSTR res;
    const char* name;
  } kinds[] = {{IDI_HAND, "error"}, {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"}, {IDI_ASTERISK, "information"}};
  std::string best = "unknown";
  long bestMiss = all.right * all.bottom / 20 + 1;  // at most 5 % of the pixels may differ
  for (const auto& k : kinds) {
    FillRect(dc[1], &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(dc[2], &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int i = 1; i < 3; ++i) DrawIconEx(dc[i], 0, 0, LoadIconA(nullptr, k.res), all.right, all.bottom, 0, nullptr, DI_NORMAL);
    long miss = 0;
    for (int y = 0; y < all.bottom; ++y)
      for (int x = 0; x < all.right; ++x) {
        COLORREF m = GetPixel(dc[1], x, y), s = GetPixel(dc[0], x, y);
        miss += m == GetPixel(dc[2], x, y) && std::abs(GetRValue(m) - GetRValue(s)) +
                                                   std::abs(GetGValue(m) - GetGValue(s)) +
                                                   std::abs(GetBValue(m) - GetBValue(s)) > 24;
      }
    if (miss < bestMiss) bestMiss = miss, best = k.name;
  }
  for (int i = 0; i < 3; ++i) SelectObject(dc[i], old[i]), DeleteObject(bmp[i]), DeleteDC(dc[i]);
  ReleaseDC(nullptr, screen);
  return best;
}

// msgbox <caption> <ms>: the box's text, buttons, icon kind and owner title.
Result MsgBox(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: msgbox <caption> <timeout ms>"};
  HWND box = WaitMessageBox(Decode(a[1]), MsArg(a, 2));
  if (!box) return {kNotFound, "timeout"};
  Sleep(50);  // let it paint before its icon is looked at
  std::string buttons;
  for (const auto& b : kButtons) {
    HWND button = GetDlgItem(box, b.id);
    if (button && IsWindowVisible(button)) buttons += std::string(buttons.empty() ? "\"" : ",\"") + b.name + "\"";
  }
  HWND owner = GetWindow(box, GW_OWNER);
  return {kOk, "{\"text\":" + Json(ReadText(GetDlgItem(box, kMessageBoxTextId))) + ",\"buttons\":[" + buttons +
                   "],\"icon\":\"" + IconKind(box) + "\",\"owner\":" + Json(owner ? TitleOf(owner) : "") + "}"};
}

// answer <caption> <button> <ms>
Result Answer(const Args& a) {
  int id = 0;
  for (const auto& b : kButtons)
    if (a.size() > 2 && a[2] == b.name) id = b.id;
  if (!id) return {kUsage, "usage: answer <caption> <ok|cancel|yes|no|abort|retry|ignore> <timeout ms>"};
  HWND box = WaitMessageBox(Decode(a[1]), MsArg(a, 3));
  if (!box) return {kNotFound, "timeout"};
  HWND button = GetDlgItem(box, id);
  if (!button || !IsWindowVisible(button)) return {kNotFound, "no such button"};
  PostMessageA(button, BM_CLICK, 0, 0);
  Poll(kSendTimeoutMs, [&] { return !IsWindow(box); });  // gone before the next command looks
  return {kOk, "ok"};
}

// ---- popup menus ------------------------------------------------------------------

HWND WaitMenuWindow(DWORD timeoutMs) {
  HWND menu = nullptr;
  Poll(timeoutMs, [&] {
    menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
  });
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// menu-rect <ms> [<title> <id>]: where the popup menu window (class #32768)
// on screen lies: {"rect":[l,t,r,b]} in screen pixels, or in client pixels of
// the control when one is named.
Result MenuRect(const Args& a) {
  HWND window = WaitMenuWindow(MsArg(a, 1));
  if (!window) return {kNotFound, "no popup menu shown"};
  RECT r{};
  GetWindowRect(window, &r);
  if (a.size() >= 4) {
    Target t = Locate(a, 2);
    if (!t) return t.error;
    MapWindowPoints(HWND_DESKTOP, t.ctrl, reinterpret_cast<POINT*>(&r), 2);
  }
  return {kOk, "{\"rect\":" + RectJson(r) + "}"};
}

// context-menu <title> <id> <x|-1> <y|-1>: WM_CONTEXTMENU posted to the
// control (wParam: the control), at these client pixels of the control (sent
// as screen pixels), or -1 -1 as the menu key of the keyboard gives.
Result ContextMenu(const Args& a) {
  long x = 0, y = 0;
  if (a.size() < 5 || !ParseInt(a[3], &x) || !ParseInt(a[4], &y))
    return {kUsage, "usage: context-menu <title> <id> <x|-1> <y|-1>"};
  Target t = Locate(a);
  if (!t) return t.error;
  POINT p{x, y};
  if (x != -1 || y != -1) ClientToScreen(t.ctrl, &p);
  PostMessageA(t.ctrl, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(t.ctrl),
               MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y)));
  return {kOk, "ok"};
}

// menu-items <ms>: the items of the popup menu on screen. Wine 8 keeps menus
// inside their process, so under Wine this answers "not readable".
Result MenuItems(const Args& a) {
  HWND window = WaitMenuWindow(MsArg(a, 1));
  if (!window) return {kNotFound, "no popup menu shown"};
  DWORD_PTR handle = 0;
  SendMessageTimeoutA(window, kMnGetHMenu, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &handle);
  HMENU menu = reinterpret_cast<HMENU>(handle);
  int count = menu ? GetMenuItemCount(menu) : -1;
  if (count < 0) return {kNotFound, "menu not readable from here"};
  std::string out = "[";
  for (UINT i = 0; i < static_cast<UINT>(count); ++i) {
    char buf[512] = {};
    GetMenuStringA(menu, i, buf, sizeof buf, MF_BYPOSITION);
    UINT st = GetMenuState(menu, i, MF_BYPOSITION);
    out += std::string(i ? "," : "") + "{\"text\":" + Json(buf) + ",\"id\":" +
           Num(GetMenuItemID(menu, static_cast<int>(i))) + ",\"checked\":" + Bool(st & MF_CHECKED) +
           ",\"disabled\":" + Bool(st & (MF_DISABLED | MF_GRAYED)) + "}";
  }
  return {kOk, out + "]"};
}

// menu-marks <ms>: which items of the popup menu on screen carry a check
// mark, read from its pixels (the menu itself cannot be read from another
// process under Wine). Items are the bands of rows holding dark ink (black
// text); an item is checked when ink lies in the check-mark column, left of
// where item texts begin (inside the border, within SM_CXMENUCHECK pixels).
// Answers [{"top":y,"bottom":y,"left":x,"checked":bool},...] in client
// pixels of the menu window, top to bottom. For menus of text items only.
Result MenuMarks(const Args& a) {
  HWND window = WaitMenuWindow(MsArg(a, 1));
  if (!window) return {kNotFound, "no popup menu shown"};
  Sleep(100);  // let it paint
  RECT r{};
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const int w = r.right, h = r.bottom;
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
  auto ink = [&](int x, int y) {
    COLORREF c = GetPixel(dc, x, y);
    return GetRValue(c) < 64 && GetGValue(c) < 64 && GetBValue(c) < 64;
  };
  const int border = 3, checkEdge = border + GetSystemMetrics(SM_CXMENUCHECK);
  std::string out = "[";
  int top = -1, blank = 0, left = w;
  auto close = [&](int bottom) {
    out += std::string(out.size() > 1 ? "," : "") + "{\"top\":" + Num(top) + ",\"bottom\":" + Num(bottom) +
           ",\"left\":" + Num(left) + ",\"checked\":" + Bool(left < checkEdge) + "}";
    top = -1, left = w;
  };
  for (int y = border; y < h - border; ++y) {
    int first = -1;
    for (int x = border; x < w - border && first < 0; ++x)
      if (ink(x, y)) first = x;
    if (first >= 0) {
      if (top < 0) top = y;
      if (first < left) left = first;
      blank = 0;
    } else if (top >= 0 && ++blank > 2) {
      close(y - blank);
    }
  }
  if (top >= 0) close(h - border - 1 - blank);
  SelectObject(dc, old), DeleteObject(bmp), DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return {kOk, out + "]"};
}

// menu-pick <0-based position|none> <ms>: the keys a user would press
// (Down to the item, Enter; or Escape for none).
Result MenuPick(const Args& a) {
  long pos = -1;
  if (a.size() < 2 || (a[1] != "none" && !ParseInt(a[1], &pos)))
    return {kUsage, "usage: menu-pick <position|none> <timeout ms>"};
  HWND window = WaitMenuWindow(MsArg(a, 2));
  if (!window) return {kNotFound, "no popup menu shown"};
  auto key = [&](WPARAM vk) {
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
  };
  for (long i = 0; i <= pos; ++i) key(VK_DOWN);
  key(pos < 0 ? VK_ESCAPE : VK_RETURN);
  return {kOk, "ok"};
}

// ---- named mutexes, geometry, pauses -------------------------------------------

// hold-mutex <name> [ms]: takes the name. With ms, waits that long and lets go
// (printing "held" first when run alone); without, keeps it until
// release-mutex or the end.
Result HoldMutex(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: hold-mutex <name> [ms]"};
  std::string name = Decode(a[1]);
  HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
  if (!h) return {kNotFound, "cannot create"};
  if (DWORD ms = MsArg(a, 2)) {
    if (!g_serving) std::printf("held\n");
    std::fflush(stdout);
    Sleep(ms);
    CloseHandle(h);
    return {kOk, "released"};
  }
  if (g_heldMutexes.count(name)) CloseHandle(g_heldMutexes[name]);
  g_heldMutexes[name] = h;
  return {kOk, "held"};
}

Result ReleaseMutex(const Args& a) {
  auto it = g_heldMutexes.find(a.size() > 1 ? Decode(a[1]) : "");
  if (it == g_heldMutexes.end()) return {kNotFound, "not held"};
  CloseHandle(it->second);
  g_heldMutexes.erase(it);
  return {kOk, "released"};
}

// hold-file <path>: opens the file as another program can (a virus scanner,
// a backup, an editor): for reading, sharing nothing, so that it cannot be
// replaced, renamed or deleted until release-file <path> or the end.
Result HoldFile(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: hold-file <path>"};
  std::string path = Decode(a[1]);
  if (g_heldFiles.count(path)) return {kOk, "held"};
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {kNotFound, "cannot open (error " + Num(static_cast<LONG_PTR>(GetLastError())) + ")"};
  g_heldFiles[path] = h;
  return {kOk, "held"};
}

Result ReleaseFile(const Args& a) {
  auto it = g_heldFiles.find(a.size() > 1 ? Decode(a[1]) : "");
  if (it == g_heldFiles.end()) return {kNotFound, "not held"};
  CloseHandle(it->second);
  g_heldFiles.erase(it);
  return {kOk, "released"};
}

// ---- list boxes, options and keys ----------------------------------------------

// select <title> <id> <n[,n...]|none>: selects these items of a list box and
// no others (at most one in a single-selection list), then tells the list's
// parent as a user's click does (LBN_SELCHANGE, posted).
Result Select(const Args& a) {
  if (a.size() < 4) return {kUsage, "usage: select <title> <id> <n[,n...]|none>"};
  Target t = Locate(a);
  if (!t) return t.error;
  if (ClassOf(t.ctrl) != "ListBox") return {kUsage, "not a list box"};
  if (!IsWindowVisible(t.ctrl)) return {kNotClickable, "hidden"};
  if (!IsWindowEnabled(t.ctrl)) return {kNotClickable, "disabled"};
  std::vector<long> items;
  if (a[3] != "none") {
    for (size_t start = 0;;) {
      size_t comma = a[3].find(',', start);
      long n = 0;
      if (!ParseInt(a[3].substr(start, comma == std::string::npos ? std::string::npos : comma - start), &n))
        return {kUsage, "usage: select <title> <id> <n[,n...]|none>"};
      items.push_back(n);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  const bool several = (GetWindowLongA(t.ctrl, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0;
  DWORD_PTR answer = 0;
  if (several) {
    SendMessageTimeoutA(t.ctrl, LB_SETSEL, FALSE, -1, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
    for (long n : items) {
      if (!SendMessageTimeoutA(t.ctrl, LB_SETSEL, TRUE, n, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) ||
          static_cast<LRESULT>(answer) == LB_ERR)
        return {kNotFound, "no item " + Num(n)};
    }
  } else {
    if (items.size() > 1) return {kUsage, "a single-selection list takes one item"};
    const long n = items.empty() ? -1 : items[0];
    SendMessageTimeoutA(t.ctrl, LB_SETCURSEL, static_cast<WPARAM>(n), 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
    if (n >= 0 && static_cast<LRESULT>(answer) == LB_ERR) return {kNotFound, "no item " + Num(n)};
  }
  PostMessageA(GetParent(t.ctrl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(t.ctrl), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(t.ctrl));
  return {kOk, "ok"};
}

// selected <title> <id>: the positions of a list box's selected items, [n,...].
Result Selected(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(t.ctrl, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return {kNotFound, "no answer"};
  std::string out = "[";
  for (LRESULT i = 0; i < static_cast<LRESULT>(count); ++i) {
    DWORD_PTR selected = 0;
    SendMessageTimeoutA(t.ctrl, LB_GETSEL, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &selected);
    if (static_cast<LRESULT>(selected) > 0) out += (out.size() > 1 ? "," : "") + Num(i);
  }
  return {kOk, out + "]"};
}

// checked <title> <id>: a check box's or option button's state, 0 (clear),
// 1 (checked) or 2 (indeterminate).
Result Checked(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutA(t.ctrl, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state))
    return {kNotFound, "no answer"};
  return {kOk, Num(static_cast<LRESULT>(state))};
}

// The control that has the keyboard focus on the window's thread, or the
// window itself when none has.
HWND FocusOf(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) return top;
  return info.hwndFocus;
}

// key <title> <id> <virtual key>: a key press and release posted to the
// control, or with id 0 to the control that has the focus, so the window's
// message loop takes it as typed (Tab, Escape, Enter, the arrows). The shift
// and control keys are not held.
Result Key(const Args& a) {
  long vk = 0;
  if (a.size() < 4 || !ParseInt(a[3], &vk) || vk <= 0 || vk > 0xFE)
    return {kUsage, "usage: key <title> <id> <virtual key code>"};
  Target t = Locate(a);
  if (!t) return t.error;
  HWND target = t.ctrl == t.top ? FocusOf(t.top) : t.ctrl;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 1 | scan);
  PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(vk), static_cast<LPARAM>(1 | scan | 0xC0000000L));
  return {kOk, "ok"};
}

// focus <title>: the control of the window's thread that has the focus:
// {"id":..,"class":..}, id 0 when it is no child of the window.
Result Focus(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: focus <title>"};
  HWND top = FindTop(Decode(a[1]));
  if (!top) return {kNotFound, "no window"};
  HWND focus = FocusOf(top);
  const long id = focus != top && IsChild(top, focus) ? GetDlgCtrlID(focus) : 0;
  return {kOk, "{\"id\":" + Num(id) + ",\"class\":" + Json(ClassOf(focus)) + "}"};
}

// where <title> <id> [<item>]: where a control lies on the screen, for input
// sent through the X server (xdotool): {"rect":[l,t,r,b],"client":[x,y]},
// the control's window rectangle and the screen point of its client area's
// top left corner (ClientToScreen). With an item of a list box, "rect" is
// that item's rectangle (LB_GETITEMRECT) in screen pixels, and "visible"
// tells whether it lies inside the list's client area.
Result Where(const Args& a) {
  Target t = Locate(a);
  if (!t) return t.error;
  RECT r{};
  GetWindowRect(t.ctrl, &r);
  POINT origin{0, 0};
  ClientToScreen(t.ctrl, &origin);
  std::string extra;
  if (a.size() >= 4) {
    long item = 0;
    if (!ParseInt(a[3], &item)) return {kUsage, "usage: where <title> <id> [<item>]"};
    DWORD_PTR answer = 0;
    RECT itemRect{};
    if (!SendMessageTimeoutA(t.ctrl, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&itemRect),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) ||
        static_cast<LRESULT>(answer) == LB_ERR)
      return {kNotFound, "no item " + Num(item)};
    RECT client{}, shown{};
    GetClientRect(t.ctrl, &client);
    extra = ",\"visible\":" + Bool(IntersectRect(&shown, &client, &itemRect) && EqualRect(&shown, &itemRect));
    MapWindowPoints(t.ctrl, HWND_DESKTOP, reinterpret_cast<POINT*>(&itemRect), 2);
    r = itemRect;
  }
  return {kOk, "{\"rect\":" + RectJson(r) + ",\"client\":[" + Num(origin.x) + "," + Num(origin.y) + "]" + extra + "}"};
}

// A window as the scenarios name it: {"title":..,"class":..,"id":..}, the
// title being that of its top-level window and id its control ID (0 for the
// top-level window itself); null for none.
std::string WindowJson(HWND hwnd) {
  if (!hwnd) return "null";
  HWND top = GetAncestor(hwnd, GA_ROOT);
  const long id = top && top != hwnd ? GetDlgCtrlID(hwnd) : 0;
  return "{\"title\":" + Json(TitleOf(top ? top : hwnd)) + ",\"class\":" + Json(ClassOf(hwnd)) +
         ",\"id\":" + Num(id) + "}";
}

// input <title>: the input state of the thread that runs the window (each
// a window as WindowJson gives it): "capture" (the window holding the mouse
// capture), "focus", "active", whether a menu or a move is under way
// ("in_menu", "in_move"), and the session's "foreground" window.
Result InputState(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: input <title>"};
  HWND top = FindTop(Decode(a[1]));
  if (!top) return {kNotFound, "no window"};
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return {kNotFound, "no thread information"};
  return {kOk, "{\"capture\":" + WindowJson(info.hwndCapture) + ",\"focus\":" + WindowJson(info.hwndFocus) +
                   ",\"active\":" + WindowJson(info.hwndActive) + ",\"in_menu\":" +
                   Bool(info.flags & GUI_INMENUMODE) + ",\"in_move\":" + Bool(info.flags & GUI_INMOVESIZE) +
                   ",\"foreground\":" + WindowJson(GetForegroundWindow()) + "}"};
}

// dlu <x> <y> <w> <h>: the pixels that these dialog units give, each value on
// its own as the dialog manager converts a template item's x, y, cx and cy, in
// a dialog whose template font is "MS Sans Serif" 8 point. Answers [x,y,w,h].
Result Dlu(const Args& a) {
  long v[4] = {};
  for (size_t i = 0; i < 4; ++i)
    if (a.size() < 5 || !ParseInt(a[i + 1], &v[i])) return {kUsage, "usage: dlu <x> <y> <w> <h>"};
  alignas(DWORD) WORD t[64] = {};
  auto* d = reinterpret_cast<DLGTEMPLATE*>(t);
  d->style = WS_POPUP | DS_SETFONT;
  WORD* w = reinterpret_cast<WORD*>(d + 1) + 3;  // no menu, default class, no title
  *w++ = 8;
  for (const char* f = "MS Sans Serif"; *f; ++f) *w++ = static_cast<WORD>(*f);
  HWND dlg = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), d, nullptr, nullptr, 0);
  if (!dlg) return {kNotFound, "cannot make a dialog"};
  RECT r{v[0], v[1], v[2], v[3]};  // MapDialogRect scales every field on its own
  MapDialogRect(dlg, &r);
  DestroyWindow(dlg);
  return {kOk, RectJson(r)};
}

Result Pause(const Args& a) { return Sleep(MsArg(a, 1)), Result{kOk, "ok"}; }

// ---- dispatch ---------------------------------------------------------------------

const struct {
  const char* name;
  Result (*run)(const Args&);
} kVerbs[] = {{"info", Info},
              {"wait-window", WaitWindow},
              {"gone", WaitWindow},
              {"count", Count},
              {"windows", Windows},
              {"text", Text},
              {"wait-text", WaitText},
              {"state", State},
              {"wait-state", WaitState},
              {"window", Window},
              {"list", List},
              {"click", Click},
              {"dblclick", Click},
              {"mouse", Mouse},
              {"real-click", RealClick},
              {"query-end-session", EndSession},
              {"end-session", EndSession},
              {"watch", WatchStart},
              {"seen", Seen},
              {"close", Close},
              {"msgbox", MsgBox},
              {"answer", Answer},
              {"menu-items", MenuItems},
              {"menu-rect", MenuRect},
              {"context-menu", ContextMenu},
              {"menu-pick", MenuPick},
              {"menu-marks", MenuMarks},
              {"hold-mutex", HoldMutex},
              {"release-mutex", ReleaseMutex},
              {"hold-file", HoldFile},
              {"release-file", ReleaseFile},
              {"dlu", Dlu},
              {"select", Select},
              {"selected", Selected},
              {"checked", Checked},
              {"key", Key},
              {"focus", Focus},
              {"where", Where},
              {"input", InputState},
              {"sleep", Pause}};

Result Run(const Args& a) {
  for (const auto& v : kVerbs)
    if (!a.empty() && a[0] == v.name) return v.run(a);
  return {kUsage, a.empty() ? "usage: epiloom_driver <verb> <args...> | serve" : "unknown verb " + a[0]};
}

Args SplitTabs(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  Args out;
  for (size_t start = 0;;) {
    size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return out;
    start = tab + 1;
  }
}

// Commands from stdin, one per line, each answered with its code and result.
int Serve() {
  g_serving = true;
  char buf[8192];
  while (std::fgets(buf, sizeof buf, stdin)) {
    Args a = SplitTabs(buf);
    if (a.size() == 1 && a[0].empty()) continue;
    if (a[0] == "quit") break;
    Result r = Run(a);
    std::printf("%d\t%s\n", r.code, r.text.c_str());
    std::fflush(stdout);
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  Args a(argv + 1, argv + argc);
  if (!a.empty() && a[0] == "serve") return Serve();
  Result r = Run(a);
  std::printf("%s\n", r.text.c_str());
  return r.code;
}
