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
  void SleepUntilUs(std::int64_t dueUs) override {
    const std::int64_t wait = dueUs - NowUs();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
  }
};

}  // namespace

SiteClock& SteadySiteClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace r742
