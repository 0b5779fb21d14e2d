// The local clock and pauses, on Win32.
#pragma once

#include "support/Clock.h"

namespace epiloom {

class SystemClock : public Clock {
 public:
  double SecondsSinceMidnight() override;
  void Sleep(int milliseconds) override;
};

}  // namespace epiloom
