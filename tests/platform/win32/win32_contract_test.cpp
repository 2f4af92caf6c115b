// The window contract on the Win32 window.
#include "win32_driver.h"

namespace r742::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowContract, Win32Driver);
}  // namespace r742::test
