// The time the command line's exchanges are paced by: the machine's steady
// clock, or a virtual one in tests.
#pragma once

#include <cstdint>

namespace r742 {

class SiteClock {
 public:
  virtual ~SiteClock() = default;
  virtual std::int64_t NowUs() = 0;
  // Returns at once when `dueUs` has passed.
  virtual void SleepUntilUs(std::int64_t dueUs) = 0;
};

SiteClock& SteadySiteClock();

}  // namespace r742
