// epiloom_driver: finds, reads and works the windows of another program running
// in the same (Wine) session, for the end-to-end tests.
//
//   epiloom_driver <verb> <args...>     one command, one result line on stdout
//   epiloom_driver serve                commands from stdin, one per line, fields
//                                       separated by tabs; answers "<code>\t<result>"
//   epiloom_driver script <file>        the same from a file, stops at the first failure
//
// Exit codes: 0 success, 1 usage error, 2 not found or timed out, 3 the control
// is there but disabled or hidden (a user could not click it).
// Texts are byte strings in the ANSI code page: every call is the A variant.
// Results that carry text are JSON; bytes outside printable ASCII are written
// as \u00XX, so the output is pure ASCII and decodes back byte for byte
// (json.loads(line).encode("latin-1")). An argument "hex:414243" is the bytes
// given in hexadecimal, for titles outside ASCII.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

enum Code { kOk = 0, kUsage = 1, kNotFound = 2, kNotClickable = 3 };
constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 3000;
constexpr UINT kMnGetHMenu = 0x01E1;  // MN_GETHMENU

using Args = std::vector<std::string>;
struct Result {
  int code;
  std::string text;
};

std::map<std::string, HANDLE> g_heldMutexes;

// ---- text helpers ---------------------------------------------------------

std::string Json(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    char buf[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    }
  }
  return out + "\"";
}

std::string Hex(UINT_PTR value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "\"0x%llx\"", static_cast<unsigned long long>(value));
  return buf;
}

std::string Num(long long value) { return std::to_string(value); }
std::string Bool(bool value) { return value ? "true" : "false"; }

std::string RectJson(const RECT& r) {
  return "[" + Num(r.left) + "," + Num(r.top) + "," + Num(r.right) + "," + Num(r.bottom) + "]";
}

// "hex:..." arguments carry bytes that a command line cannot.
std::string Decode(const std::string& arg) {
  if (arg.rfind("hex:", 0) != 0) return arg;
  std::string out;
  for (size_t i = 4; i + 1 < arg.size(); i += 2) {
    out += static_cast<char>(std::strtoul(arg.substr(i, 2).c_str(), nullptr, 16));
  }
  return out;
}

bool ParseInt(const std::string& s, long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  *out = std::strtol(s.c_str(), &end, 0);
  return end && *end == '\0';
}

// ---- finding windows ------------------------------------------------------

std::string WindowTitle(HWND hwnd) {
  char buf[1024] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

std::string ClassOf(HWND hwnd) {
  char buf[256] = {};
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

struct Search {
  std::string title;
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (s->cls && ClassOf(hwnd) != s->cls) return TRUE;
  if (WindowTitle(hwnd) == s->title) s->found.push_back(hwnd);
  return TRUE;
}

// Visible top-level windows with exactly this title (and class, when given).
std::vector<HWND> FindAll(const std::string& title, const char* cls = nullptr) {
  Search s{title, cls, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitTop(const std::string& title, DWORD timeoutMs, const char* cls = nullptr) {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> all = FindAll(title, cls);
    if (!all.empty()) return all.front();
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

HWND Control(HWND top, long id) { return id == 0 ? top : GetDlgItem(top, static_cast<int>(id)); }

std::string ReadText(HWND hwnd) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len)) return "";
  std::vector<char> buf(len * 2 + 16, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &got);
  return std::string(buf.data(), got);
}

// Finds the top window and the control, or explains what is missing.
bool Locate(const Args& a, size_t at, HWND* top, HWND* ctrl, Result* error) {
  long id = 0;
  if (a.size() < at + 2 || !ParseInt(a[at + 1], &id)) {
    *error = {kUsage, "usage: <title> <control id>"};
    return false;
  }
  *top = WaitTop(Decode(a[at]), 0);
  if (!*top) {
    *error = {kNotFound, "no window"};
    return false;
  }
  *ctrl = Control(*top, id);
  if (!*ctrl) {
    *error = {kNotFound, "no control"};
    return false;
  }
  return true;
}

DWORD TimeoutArg(const Args& a, size_t i, DWORD fallback) {
  long v = 0;
  return (a.size() > i && ParseInt(a[i], &v) && v >= 0) ? static_cast<DWORD>(v) : fallback;
}

// ---- verbs ----------------------------------------------------------------

Result Info(const Args&) {
  return {kOk, "{\"acp\":" + Num(GetACP()) + ",\"screen\":[" + Num(GetSystemMetrics(SM_CXSCREEN)) + "," +
                   Num(GetSystemMetrics(SM_CYSCREEN)) + "]}"};
}

Result WaitWindow(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: wait-window <title> <timeout ms>"};
  HWND hwnd = WaitTop(Decode(a[1]), TimeoutArg(a, 2, 0));
  if (!hwnd) return {kNotFound, "timeout"};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return {kOk, "{\"hwnd\":" + Hex(reinterpret_cast<UINT_PTR>(hwnd)) + ",\"pid\":" + Num(pid) + "}"};
}

Result Gone(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: gone <title> <timeout ms>"};
  DWORD timeout = TimeoutArg(a, 2, 0), start = GetTickCount();
  while (!FindAll(Decode(a[1])).empty()) {
    if (GetTickCount() - start >= timeout) return {kNotFound, "timeout"};
    Sleep(kPollMs);
  }
  return {kOk, "gone"};
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
  if (out->size() > 1) *out += ",";
  *out += "{\"title\":" + Json(WindowTitle(hwnd)) + ",\"class\":" + Json(ClassOf(hwnd)) + ",\"pid\":" + Num(pid) +
          ",\"hwnd\":" + Hex(reinterpret_cast<UINT_PTR>(hwnd)) + "}";
  return TRUE;
}

Result Windows(const Args&) {
  std::string out = "[";
  EnumWindows(ListTop, reinterpret_cast<LPARAM>(&out));
  return {kOk, out + "]"};
}

Result Text(const Args& a) {
  HWND top, ctrl;
  Result error;
  if (!Locate(a, 1, &top, &ctrl, &error)) return error;
  return {kOk, Json(ReadText(ctrl))};
}

Result WaitText(const Args& a) {
  if (a.size() < 5) return {kUsage, "usage: wait-text <title> <id> <part of the text> <timeout ms>"};
  std::string part = Decode(a[3]), last;
  DWORD timeout = TimeoutArg(a, 4, 0), start = GetTickCount();
  for (;;) {
    HWND top, ctrl;
    Result error;
    if (Locate(a, 1, &top, &ctrl, &error)) {
      last = ReadText(ctrl);
      if (last.find(part) != std::string::npos) return {kOk, Json(last)};
    }
    if (GetTickCount() - start >= timeout) return {kNotFound, Json(last)};
    Sleep(kPollMs);
  }
}

std::string StateJson(HWND top, HWND ctrl) {
  RECT r{};
  GetWindowRect(ctrl, &r);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
  return "{\"visible\":" + Bool(IsWindowVisible(ctrl)) + ",\"enabled\":" + Bool(IsWindowEnabled(ctrl)) +
         ",\"style\":" + Num(static_cast<DWORD>(GetWindowLongA(ctrl, GWL_STYLE))) +
         ",\"exstyle\":" + Num(static_cast<DWORD>(GetWindowLongA(ctrl, GWL_EXSTYLE))) +
         ",\"class\":" + Json(ClassOf(ctrl)) + ",\"rect\":" + RectJson(r) + "}";
}

Result State(const Args& a) {
  HWND top, ctrl;
  Result error;
  if (!Locate(a, 1, &top, &ctrl, &error)) return error;
  return {kOk, StateJson(top, ctrl)};
}

// wait-state <title> <id> visible|hidden|enabled|disabled <timeout ms>
Result WaitState(const Args& a) {
  if (a.size() < 5) return {kUsage, "usage: wait-state <title> <id> <visible|hidden|enabled|disabled> <timeout ms>"};
  DWORD timeout = TimeoutArg(a, 4, 0), start = GetTickCount();
  const std::string& want = a[3];
  if (want != "visible" && want != "hidden" && want != "enabled" && want != "disabled") return {kUsage, "bad state"};
  for (;;) {
    HWND top, ctrl;
    Result error;
    if (Locate(a, 1, &top, &ctrl, &error)) {
      bool ok = want == "visible"   ? IsWindowVisible(ctrl)
                : want == "hidden"  ? !IsWindowVisible(ctrl)
                : want == "enabled" ? IsWindowEnabled(ctrl)
                                    : !IsWindowEnabled(ctrl);
      if (ok) return {kOk, StateJson(top, ctrl)};
      if (GetTickCount() - start >= timeout) return {kNotFound, StateJson(top, ctrl)};
    } else if (GetTickCount() - start >= timeout) {
      return error;
    }
    Sleep(kPollMs);
  }
}

Result Window(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: window <title>"};
  HWND hwnd = WaitTop(Decode(a[1]), 0);
  if (!hwnd) return {kNotFound, "no window"};
  RECT wr{}, cr{};
  GetWindowRect(hwnd, &wr);
  GetClientRect(hwnd, &cr);
  DWORD_PTR big = 0, small = 0;
  SendMessageTimeoutA(hwnd, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &big);
  SendMessageTimeoutA(hwnd, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &small);
  ULONG_PTR classIcon = GetClassLongPtrA(hwnd, GCLP_HICON);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return {kOk, "{\"style\":" + Num(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE))) +
                   ",\"exstyle\":" + Num(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE))) +
                   ",\"rect\":" + RectJson(wr) + ",\"client\":" + RectJson(cr) + ",\"class\":" + Json(ClassOf(hwnd)) +
                   ",\"icon_big\":" + Bool(big != 0) + ",\"icon_small\":" + Bool(small != 0) +
                   ",\"class_icon\":" + Bool(classIcon != 0) + ",\"pid\":" + Num(pid) +
                   ",\"enabled\":" + Bool(IsWindowEnabled(hwnd)) + "}"};
}

Result List(const Args& a) {
  HWND top, ctrl;
  Result error;
  if (!Locate(a, 1, &top, &ctrl, &error)) return error;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(ctrl, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    return {kNotFound, "no answer"};
  std::string out = "{\"count\":" + Num(static_cast<LRESULT>(count)) + ",\"items\":[";
  // Under Wine the A form of LB_GETTEXT comes back unconverted (UTF-16) from
  // another process, so the W form is asked and converted here.
  for (LRESULT i = 0; i < static_cast<LRESULT>(count); ++i) {
    DWORD_PTR len = 0, data = 0, got = 0;
    SendMessageTimeoutW(ctrl, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len);
    std::vector<wchar_t> wide(static_cast<size_t>(static_cast<LRESULT>(len) < 0 ? 0 : len) + 16, L'\0');
    SendMessageTimeoutW(ctrl, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &got);
    SendMessageTimeoutA(ctrl, LB_GETITEMDATA, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &data);
    int n = static_cast<LRESULT>(got) > 0 ? static_cast<int>(wcsnlen(wide.data(), wide.size())) : 0;
    std::string text(static_cast<size_t>(n) * 2 + 1, '\0');
    text.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), n, text.data(), static_cast<int>(text.size()), nullptr, nullptr)));
    if (i) out += ",";
    out += "{\"text\":" + Json(text) + ",\"data\":" + Num(static_cast<LRESULT>(data)) + "}";
  }
  return {kOk, out + "]}"};
}

// Buttons get BM_CLICK; statics that notify get the parent's STN_CLICKED or
// STN_DBLCLK. Messages are posted, so a click that opens a modal window does
// not hold the driver.
Result Click(const Args& a, bool twice) {
  HWND top, ctrl;
  Result error;
  if (!Locate(a, 1, &top, &ctrl, &error)) return error;
  if (!IsWindowVisible(ctrl)) return {kNotClickable, "hidden"};
  if (!IsWindowEnabled(ctrl)) return {kNotClickable, "disabled"};
  std::string cls = ClassOf(ctrl);
  int id = GetDlgCtrlID(ctrl);
  if (cls == "Static") {
    if (!(GetWindowLongA(ctrl, GWL_STYLE) & SS_NOTIFY)) return {kNotClickable, "static without SS_NOTIFY"};
    PostMessageA(GetParent(ctrl), WM_COMMAND, MAKEWPARAM(id, twice ? STN_DBLCLK : STN_CLICKED),
                 reinterpret_cast<LPARAM>(ctrl));
    return {kOk, "ok"};
  }
  if (twice) {
    PostMessageA(GetParent(ctrl), WM_COMMAND, MAKEWPARAM(id, BN_DBLCLK), reinterpret_cast<LPARAM>(ctrl));
  } else {
    PostMessageA(ctrl, BM_CLICK, 0, 0);
  }
  return {kOk, "ok"};
}

// mouse <title> <id> <x> <y> <left|right|double>: a click at client coordinates
// of the control, with the cursor moved there first.
Result Mouse(const Args& a) {
  HWND top, ctrl;
  Result error;
  long x = 0, y = 0;
  if (a.size() < 6 || !ParseInt(a[3], &x) || !ParseInt(a[4], &y)) return {kUsage, "usage: mouse <title> <id> <x> <y> <left|right|double>"};
  if (!Locate(a, 1, &top, &ctrl, &error)) return error;
  POINT p{x, y};
  ClientToScreen(ctrl, &p);
  SetCursorPos(p.x, p.y);
  LPARAM at = MAKELPARAM(x, y);
  if (a[5] == "left" || a[5] == "double") {
    PostMessageA(ctrl, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(ctrl, WM_LBUTTONUP, 0, at);
    if (a[5] == "double") {
      PostMessageA(ctrl, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      PostMessageA(ctrl, WM_LBUTTONUP, 0, at);
    }
  } else if (a[5] == "right") {
    PostMessageA(ctrl, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageA(ctrl, WM_RBUTTONUP, 0, at);
  } else {
    return {kUsage, "button: left, right or double"};
  }
  return {kOk, "ok"};
}

// The close box: the system command, posted as the frame would.
Result Close(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: close <title>"};
  HWND hwnd = WaitTop(Decode(a[1]), 0);
  if (!hwnd) return {kNotFound, "no window"};
  PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  return {kOk, "ok"};
}

// ---- message boxes ----------------------------------------------------------

const struct {
  int id;
  const char* name;
} kButtons[] = {{IDOK, "ok"},         {IDCANCEL, "cancel"}, {IDABORT, "abort"},       {IDRETRY, "retry"},
                {IDIGNORE, "ignore"}, {IDYES, "yes"},       {IDNO, "no"},             {10, "tryagain"},
                {11, "continue"}};

// A message box is a dialog whose text sits in a static with ID 0xFFFF.
HWND WaitMessageBox(const std::string& caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    for (HWND hwnd : FindAll(caption, "#32770")) {
      if (GetDlgItem(hwnd, 0xFFFF)) return hwnd;
    }
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

// The kind of icon, told by comparing the shown pixels with the system icons
// where those are opaque (the same drawn on black and on white).
std::string IconKind(HWND box) {
  HWND icon = GetDlgItem(box, 0x440);
  if (!icon || !IsWindowVisible(icon)) return "none";
  RECT r{};
  GetWindowRect(icon, &r);
  const int size = GetSystemMetrics(SM_CXICON);
  HDC screen = GetDC(nullptr);
  HDC dc[3];
  HBITMAP bmp[3];
  HGDIOBJ old[3];
  for (int i = 0; i < 3; ++i) {
    dc[i] = CreateCompatibleDC(screen);
    bmp[i] = CreateCompatibleBitmap(screen, size, size);
    old[i] = SelectObject(dc[i], bmp[i]);
  }
  BitBlt(dc[0], 0, 0, size, size, screen, r.left, r.top, SRCCOPY);
  const struct {
    LPCSTR res;
    const char* name;
  } kinds[] = {{IDI_HAND, "error"}, {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"}, {IDI_ASTERISK, "information"}};
  std::string best = "unknown";
  long bestMiss = size * size / 20 + 1;  // at most 5 % of the pixels may differ
  RECT all{0, 0, size, size};
  for (const auto& k : kinds) {
    FillRect(dc[1], &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(dc[2], &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HICON h = LoadIconA(nullptr, k.res);
    DrawIconEx(dc[1], 0, 0, h, size, size, 0, nullptr, DI_NORMAL);
    DrawIconEx(dc[2], 0, 0, h, size, size, 0, nullptr, DI_NORMAL);
    long miss = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        COLORREF m = GetPixel(dc[1], x, y);
        if (m != GetPixel(dc[2], x, y)) continue;  // not opaque
        COLORREF s = GetPixel(dc[0], x, y);
        if (std::abs(GetRValue(m) - GetRValue(s)) + std::abs(GetGValue(m) - GetGValue(s)) +
                std::abs(GetBValue(m) - GetBValue(s)) > 24)
          ++miss;
      }
    if (miss < bestMiss) {
      bestMiss = miss;
      best = k.name;
    }
  }
  for (int i = 0; i < 3; ++i) {
    SelectObject(dc[i], old[i]);
    DeleteObject(bmp[i]);
    DeleteDC(dc[i]);
  }
  ReleaseDC(nullptr, screen);
  return best;
}

Result MsgBox(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: msgbox <caption> <timeout ms>"};
  HWND box = WaitMessageBox(Decode(a[1]), TimeoutArg(a, 2, 0));
  if (!box) return {kNotFound, "timeout"};
  Sleep(50);  // let it paint before the icon is looked at
  std::string buttons;
  for (const auto& b : kButtons) {
    HWND button = GetDlgItem(box, b.id);
    if (!button || !IsWindowVisible(button)) continue;
    buttons += std::string(buttons.empty() ? "" : ",") + "\"" + b.name + "\"";
  }
  HWND owner = GetWindow(box, GW_OWNER);
  return {kOk, "{\"text\":" + Json(ReadText(GetDlgItem(box, 0xFFFF))) + ",\"buttons\":[" + buttons +
                   "],\"icon\":\"" + IconKind(box) + "\",\"owner\":" + Json(owner ? WindowTitle(owner) : "") + "}"};
}

Result Answer(const Args& a) {
  if (a.size() < 3) return {kUsage, "usage: answer <caption> <ok|yes|no|cancel|...> <timeout ms>"};
  int id = 0;
  for (const auto& b : kButtons)
    if (a[2] == b.name) id = b.id;
  if (!id) return {kUsage, "unknown button"};
  HWND box = WaitMessageBox(Decode(a[1]), TimeoutArg(a, 3, 0));
  if (!box) return {kNotFound, "timeout"};
  HWND button = GetDlgItem(box, id);
  if (!button || !IsWindowVisible(button)) return {kNotFound, "no such button"};
  PostMessageA(button, BM_CLICK, 0, 0);
  return {kOk, "ok"};
}

// ---- popup menus ------------------------------------------------------------

HWND WaitMenuWindow(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu)) return menu;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

Result MenuItems(const Args& a) {
  HWND menuWindow = WaitMenuWindow(TimeoutArg(a, 1, 0));
  if (!menuWindow) return {kNotFound, "no popup menu shown"};
  DWORD_PTR handle = 0;
  SendMessageTimeoutA(menuWindow, kMnGetHMenu, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &handle);
  HMENU menu = reinterpret_cast<HMENU>(handle);
  int count = menu ? GetMenuItemCount(menu) : -1;
  if (count < 0) return {kNotFound, "{\"error\":\"menu not readable from here\",\"hmenu\":" + Hex(handle) + "}"};
  std::string out = "[";
  for (int i = 0; i < count; ++i) {
    char buf[512] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
    UINT st = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (i) out += ",";
    out += "{\"text\":" + Json(buf) + ",\"id\":" + Num(GetMenuItemID(menu, i)) + ",\"checked\":" +
           Bool(st & MF_CHECKED) + ",\"disabled\":" + Bool(st & (MF_DISABLED | MF_GRAYED)) + "}";
  }
  return {kOk, out + "]"};
}

// menu-pick <0-based position> <timeout ms>: the keys a user would press.
// menu-pick none <timeout ms> dismisses the menu with Escape.
Result MenuPick(const Args& a) {
  long pos = -1;
  if (a.size() < 2 || (a[1] != "none" && !ParseInt(a[1], &pos))) return {kUsage, "usage: menu-pick <position|none> <timeout ms>"};
  HWND menuWindow = WaitMenuWindow(TimeoutArg(a, 2, 0));
  if (!menuWindow) return {kNotFound, "no popup menu shown"};
  auto key = [&](WPARAM vk) {
    PostMessageA(menuWindow, WM_KEYDOWN, vk, 1);
    PostMessageA(menuWindow, WM_KEYUP, vk, 0xC0000001);
  };
  if (a[1] == "none") {
    key(VK_ESCAPE);
    return {kOk, "ok"};
  }
  for (long i = 0; i <= pos; ++i) key(VK_DOWN);
  key(VK_RETURN);
  return {kOk, "ok"};
}

// ---- named mutexes ------------------------------------------------------------

// hold-mutex <name> [ms]: takes the name; with ms, lets it go again after that
// long (in serve mode without ms it is held until release-mutex or the end).
Result HoldMutex(const Args& a) {
  if (a.size() < 2) return {kUsage, "usage: hold-mutex <name> [ms]"};
  std::string name = Decode(a[1]);
  HANDLE h = CreateMutexA(nullptr, FALSE, name.c_str());
  if (!h) return {kNotFound, "cannot create"};
  DWORD ms = TimeoutArg(a, 2, 0);
  if (ms) {
    std::printf("held\n");
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
  if (a.size() < 2) return {kUsage, "usage: release-mutex <name>"};
  auto it = g_heldMutexes.find(Decode(a[1]));
  if (it == g_heldMutexes.end()) return {kNotFound, "not held"};
  CloseHandle(it->second);
  g_heldMutexes.erase(it);
  return {kOk, "released"};
}

Result SleepFor(const Args& a) {
  Sleep(TimeoutArg(a, 1, 0));
  return {kOk, "ok"};
}

// ---- dispatch -----------------------------------------------------------------

Result Run(const Args& a) {
  if (a.empty()) return {kUsage, "no verb"};
  const std::string& v = a[0];
  if (v == "info") return Info(a);
  if (v == "wait-window") return WaitWindow(a);
  if (v == "gone") return Gone(a);
  if (v == "count") return Count(a);
  if (v == "windows") return Windows(a);
  if (v == "text") return Text(a);
  if (v == "wait-text") return WaitText(a);
  if (v == "state") return State(a);
  if (v == "wait-state") return WaitState(a);
  if (v == "window") return Window(a);
  if (v == "list") return List(a);
  if (v == "click") return Click(a, false);
  if (v == "dblclick") return Click(a, true);
  if (v == "mouse") return Mouse(a);
  if (v == "close") return Close(a);
  if (v == "msgbox") return MsgBox(a);
  if (v == "answer") return Answer(a);
  if (v == "menu-items") return MenuItems(a);
  if (v == "menu-pick") return MenuPick(a);
  if (v == "hold-mutex") return HoldMutex(a);
  if (v == "release-mutex") return ReleaseMutex(a);
  if (v == "sleep") return SleepFor(a);
  return {kUsage, "unknown verb " + v};
}

Args SplitTabs(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  Args out;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return out;
    start = tab + 1;
  }
}

// Commands from a stream, one per line. Interactive: every command is
// answered and the loop goes on; a script stops at its first failure.
int RunLines(FILE* in, bool interactive) {
  char buf[8192];
  while (std::fgets(buf, sizeof buf, in)) {
    Args a = SplitTabs(buf);
    if (a.size() == 1 && a[0].empty()) continue;
    if (a[0] == "quit") return kOk;
    Result r = Run(a);
    std::printf("%d\t%s\n", r.code, r.text.c_str());
    std::fflush(stdout);
    if (!interactive && r.code != kOk) return r.code;
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  Args a(argv + 1, argv + argc);
  if (a.empty()) {
    std::fprintf(stderr, "usage: epiloom_driver <verb> <args...> | serve | script <file>\n");
    return kUsage;
  }
  if (a[0] == "serve") return RunLines(stdin, true);
  if (a[0] == "script") {
    FILE* f = a.size() > 1 ? std::fopen(a[1].c_str(), "rb") : nullptr;
    if (!f) return kUsage;
    int code = RunLines(f, false);
    std::fclose(f);
    return code;
  }
  Result r = Run(a);
  std::printf("%s\n", r.text.c_str());
  return r.code;
}
