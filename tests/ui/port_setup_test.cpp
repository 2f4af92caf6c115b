// The Port Setup dialog and the opening of the port.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "support/fake_port.h"
#include "support/headless_platform.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"

namespace r742 {
namespace {

struct ScriptedProvider final : IPortProvider {
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    return name == "COM3" || name == "COM2" ? std::make_unique<test::FakePort>(script) : nullptr;
  }
  std::string OpenFailure(std::string_view) override { return "No such file or directory"; }
  std::string Describe(std::string_view name) override {
    return name == "COM2" ? "USB Serial Port (COM2)" : std::string(name);
  }
  bool DescribesPorts() override { return describes; }
  bool describes = true;
  test::PortScript script;
};

class OpenPortTest : public ::testing::Test {
 protected:
  void CommandLine(const char* port, const char* baud = "19200", const char* parity = "E") {
    dlg.m_nCmdLineCount = 8;
    dlg.m_szCmdPort = port;
    dlg.m_szCmdBaud = baud;
    dlg.m_szCmdParity = parity;
    dlg.m_szCmdDataBits = "8";
    dlg.m_szCmdStopBits = "1";
  }

  CPortSetupDlg dlg;
  HeadlessPlatform platform;
  PlatformScope platformScope{platform};
  ScriptedProvider provider;
  PortProviderScope providerScope{provider};
};

TEST_F(OpenPortTest, CommandLineOpensWithoutDialogAndSetsReplyTimeouts) {
  CommandLine("COM3");
  ASSERT_NE(dlg.OpenPort(), nullptr);  // without a dialog, as the window's tests show
  const auto& s = provider.script;
  EXPECT_EQ(std::tie(s.applied.baud, s.applied.parity, s.applied.stopBits, s.applied.rtsToggle, s.applied.abortOnError),
            std::make_tuple(19200u, 'E', 1, true, true));
  // Read time-outs for replies; the driver's write time-outs stay.
  EXPECT_EQ(std::tie(s.timeouts.readInterval, s.timeouts.readTotalMultiplier, s.timeouts.readTotalConstant,
                     s.timeouts.writeTotalMultiplier, s.timeouts.writeTotalConstant),
            std::make_tuple(20u, 1u, 1u, 50u, 500u));
}

// After a failed step nothing stays open, and the reason names the port.
TEST_F(OpenPortTest, EachStepFailsWithItsNameAndClosesThePort) {
  const auto fails = [](bool test::PortScript::*call) { return [call](test::PortScript& s) { s.*call = true; }; };
  struct Case {
    const char *port, *baud, *parity;
    std::function<void(test::PortScript&)> fault;
    const char *step, *reason;
  } cases[] = {
      {"COM4", "19200", "E", nullptr, "CreateFile", "No such file or directory"},
      // Too long: refused, never cut to COM3.
      {"COM3ABCDEFG", "19200", "E", nullptr, "CreateFile", "a port name has at most 9 characters"},
      {"COM3", "19200", "E", fails(&test::PortScript::setupFails), "Assign buffer space", test::kFakeError},
      {"COM3", "19200", "E", fails(&test::PortScript::getStateFails), "Port Functionality", test::kFakeError},
      // Parity M is refused by this port's own rules on every system (the Win32 port leaves it to the system).
      {"COM3", "19200", "M", nullptr, "Port Functionality", "parity=M refused: this port takes parity N, O or E"},
      // Ten characters: refused whole.
      {"COM3", "1920000000", "N", nullptr, "Port Functionality", "\"1920000000\" is longer than 9 characters"},
      {"COM3", "19200", "E", fails(&test::PortScript::setStateFails), "Setting Comm State", test::kFakeError},
      {"COM3", "19200", "E", fails(&test::PortScript::getTimeoutsFails), "Setting Comm State", test::kFakeError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.port) + ' ' + c.step);
    provider.script = {};
    if (c.fault) c.fault(provider.script);
    CommandLine(c.port, c.baud, c.parity);
    EXPECT_EQ(dlg.OpenPort(), nullptr);
    EXPECT_EQ(dlg.m_bOpenFailed, 1);
    EXPECT_EQ(dlg.m_szStep + '|' + dlg.m_szReason, std::string(c.step) + '|' + c.port + ": " + c.reason);
    EXPECT_EQ(provider.script.closed, std::string(c.step) == "CreateFile" ? 0 : 1);
  }
}

// The defaults it opens on are those the window's tests see after OK.
TEST_F(OpenPortTest, DialogHandsBackTheChoice) {
  platform.ScriptModal(IDD_PORT_SETUP, [&](HeadlessWindow& w) {
    EXPECT_EQ(w.Rows(IDC_PORT), (std::vector<std::string>{"COM2", "COM3"}));  // only the ports there are
    w.SelectRow(IDC_BAUD, 4);
    w.SelectRow(IDC_PARITY, 2);
    w.SelectRow(IDC_STOP_BITS, 0);
    w.Click(kIdOk);
  });
  EXPECT_NE(dlg.OpenPort(), nullptr);
  EXPECT_EQ(dlg.m_szCommDef, "COM2: baud=9600 parity=E data=8 stop=1");
}

// The device line says what the machine knows of a port beyond its name, and is
// left out where the machine names none of its ports.
TEST_F(OpenPortTest, DeviceLineOnlyWhereTheMachineNamesItsPortsNeverJustTheName) {
  for (const bool describes : {true, false}) {
    provider.describes = describes;
    CPortSetupDlg setup;
    HeadlessWindow& w = platform.Open(setup);
    EXPECT_EQ(w.Exists(IDC_PORT_DEVICE), describes);
    EXPECT_EQ(w.GetText(IDC_PORT_DEVICE), describes ? "USB Serial Port (COM2)" : "");
    w.SelectRow(IDC_PORT, 1);  // COM3: the machine knows nothing of it but its name
    EXPECT_EQ(w.GetText(IDC_PORT_DEVICE), "");
    w.Click(kIdCancel);
  }
}

}  // namespace
}  // namespace r742
