// The window on the machine's own port provider over a pseudo-terminal whose
// other side closes while a reply is awaited (an adapter pulled out) and comes
// back as a new terminal under the same name (plugged in again).
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <memory>

#include "modbus/modbus_test_support.h"
#include "pseudo_terminal.h"
#include "serial/serial_port.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

class UnpluggedPty : public MainWindowTest {
 protected:
  void SetUp() override {
    setenv("R742_COM1", link.c_str(), 1);
    PlugIn();
  }
  void TearDown() override {
    dlg.m_hPort.reset();  // the port before its terminal
    unsetenv("R742_COM1");
  }
  // A new terminal under the same name, as a replugged adapter gets; the old one goes.
  void PlugIn() {
    line = std::make_unique<PseudoTerminal>();
    std::string error;
    ASSERT_TRUE(line->Open(error) && line->MakeLink(link, error)) << error;
  }
  Bytes Received() {
    std::array<std::uint8_t, 64> buffer{};
    const ssize_t n = read(line->MasterFd(), buffer.data(), buffer.size());
    return {buffer.begin(), buffer.begin() + std::max<ssize_t>(n, 0)};
  }

  const std::string link = ::testing::TempDir() + "r742-unplugged-" + std::to_string(getpid());
  std::unique_ptr<PseudoTerminal> line;
};

TEST_F(UnpluggedPty, TheNextReadOpensTheNewTerminalWithoutARelease) {
  const Bytes readSystem = Hex("01 03 00 00 00 38 44 18");
  Open("COM1 38400 N 8 2 1 300 2");
  platform.Advance(350);
  EXPECT_EQ(Received(), readSystem);
  line.reset();  // pulled out
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
