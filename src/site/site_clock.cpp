#include "site/site_clock.h"

#include <chrono>
#include <thread>

namespace r742 {
namespace {

class SteadyClock final : public SiteClock {
 public:
  std::int64_t NowUs() override {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  // Never returns early: the gap between two requests is a minimum. Some
  // runtimes (mingw's) cut a sleep to whole milliseconds, down to none at all,
  // so the last two milliseconds are waited by yielding.
  void SleepUntilUs(std::int64_t dueUs) override {
    for (std::int64_t wait = dueUs - NowUs(); wait > 0; wait = dueUs - NowUs()) {
      if (wait > kYieldBelowUs)
        std::this_thread::sleep_for(std::chrono::microseconds(wait - kYieldBelowUs));
      else
        std::this_thread::yield();
    }
  }

 private:
  static constexpr std::int64_t kYieldBelowUs = 2000;
};

}  // namespace

SiteClock& SteadySiteClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace r742
