#include "platform/platform.h"

namespace r742 {

namespace {
IPlatform* g_platform = nullptr;
}

IPlatform* CurrentPlatform() { return g_platform; }

PlatformScope::PlatformScope(IPlatform& platform) : previous_(g_platform) { g_platform = &platform; }
PlatformScope::~PlatformScope() { g_platform = previous_; }

}  // namespace r742
