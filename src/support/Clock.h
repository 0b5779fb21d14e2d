// Time of day and pauses, so that workers can be tested without waiting.
#pragma once

namespace epiloom {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local time of day in seconds since midnight, with its fractional part.
  virtual double SecondsSinceMidnight() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

}  // namespace epiloom
