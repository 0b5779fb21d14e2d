#include "support/Clock_win.h"

#include <windows.h>

namespace epiloom {

double SystemClock::SecondsSinceMidnight() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

void SystemClock::Sleep(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace epiloom
