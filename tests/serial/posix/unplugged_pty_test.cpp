// The window on the machine's own port provider over a pseudo-terminal whose
// other side closes while a reply is awaited (an adapter pulled out) and comes
// back as a new terminal under the same name (plugged in again).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "modbus/modbus_test_support.h"
#include "serial/serial_port.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

class UnpluggedPty : public MainWindowTest {
 protected:
  void SetUp() override {
    link = ::testing::TempDir() + "r742-unplugged-" + std::to_string(getpid());
    setenv("R742_COM1", link.c_str(), 1);
    PlugIn();
  }
  void TearDown() override {
    dlg.m_hPort.reset();
    if (master >= 0) close(master);
    std::filesystem::remove(link);
    unsetenv("R742_COM1");
  }
  // A new terminal under the same name, as a replugged adapter gets.
  void PlugIn() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    std::array<char, 128> name{};
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 &&
                ptsname_r(master, name.data(), name.size()) == 0);
    std::filesystem::remove(link);
    std::filesystem::create_symlink(name.data(), link);
  }
  void Unplug() {
    close(master);
    master = -1;
  }
  Bytes Received() {
    std::array<std::uint8_t, 64> buffer{};
    const ssize_t n = read(master, buffer.data(), buffer.size());
    return {buffer.begin(), buffer.begin() + std::max<ssize_t>(n, 0)};
  }

  std::string link;
  int master = -1;
};

TEST_F(UnpluggedPty, TheNextReadOpensTheNewTerminalWithoutARelease) {
  const Bytes readSystem = Hex("01 03 00 00 00 38 44 18");
  Open("COM1 38400 N 8 2 1 300 2");
  platform.Advance(350);
  EXPECT_EQ(Received(), readSystem);
  Unplug();
  PlugIn();
  RunToIdle();
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "No Port Open");
  const std::string row = window->Rows(IDC_LOG_LIST).back();
  EXPECT_TRUE(row.ends_with(" COM1 (" + link + ") is gone - unplugged? The next Read opens it again")) << row;

  window->Click(IDC_READ);
  platform.Advance(350);
  EXPECT_EQ(Received(), readSystem);
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM1: baud=38400 parity=N data=8 stop=2");
  window->Click(kIdCancel);
}

}  // namespace
}  // namespace r742::test
