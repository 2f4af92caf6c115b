// The Port Setup dialog and the opening of the port.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

#include "platform/headless/headless_platform.h"
#include "pseudo_terminal.h"
#include "serial/memory_line.h"
#include "serial/port_setup_dlg.h"
#include "ui/resource.h"

namespace r742 {
namespace {

// A port whose every call can be made to fail, to walk the opening steps.
struct ScriptedPort final : ISerialPort {
  struct Script {
    bool setupFails = false, getStateFails = false, setStateFails = false, getTimeoutsFails = false;
    int closed = 0;
    LineSettings applied;
    CommTimeouts timeouts{.readInterval = 7, .readTotalMultiplier = 7, .readTotalConstant = 7,
                          .writeTotalMultiplier = 50, .writeTotalConstant = 500};
  };
  explicit ScriptedPort(Script& s) : s(s) {}
  ~ScriptedPort() override { ++s.closed; }
  bool SetupComm(std::uint32_t in, std::uint32_t out) override { return !s.setupFails && in == 1000 && out == 1000; }
  bool GetCommState(LineSettings& l) override { return !s.getStateFails && (l = {}, true); }
  bool SetCommState(const LineSettings& l) override { return !s.setStateFails && (s.applied = l, true); }
  bool GetCommTimeouts(CommTimeouts& t) override { return !s.getTimeoutsFails && (t = s.timeouts, true); }
  bool SetCommTimeouts(const CommTimeouts& t) override { return (s.timeouts = t, true); }
  bool Write(const std::uint8_t*, std::uint32_t, std::uint32_t& w) override { return (w = 0, false); }
  bool Read(std::uint8_t*, std::uint32_t, std::uint32_t& r) override { return (r = 0, true); }
  bool ClearCommError(std::uint32_t& e) override { return (e = 0, true); }
  std::uint32_t LastError() const override { return 0; }
  Script& s;
};

struct ScriptedProvider final : IPortProvider {
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    opened.emplace_back(name);
    return name == "COM3" || name == "COM2" ? std::make_unique<ScriptedPort>(script) : nullptr;
  }
  ScriptedPort::Script script;
  std::vector<std::string> opened;
};

class OpenPortTest : public ::testing::Test {
 protected:
  void CommandLine(const char* port, const char* baud, const char* parity, const char* data, const char* stop) {
    dlg.m_nCmdLineCount = 8;
    dlg.m_szCmdPort = port;
    dlg.m_szCmdBaud = baud;
    dlg.m_szCmdParity = parity;
    dlg.m_szCmdDataBits = data;
    dlg.m_szCmdStopBits = stop;
  }
  // After a failed step nothing may stay open.
  void ExpectFailedAt(const char* step, bool portWasOpened) {
    provider.script.closed = 0;
    EXPECT_EQ(dlg.OpenPort(), nullptr);
    EXPECT_EQ(dlg.m_bOpenFailed, 1);
    EXPECT_EQ(dlg.m_szStep, step);
    EXPECT_EQ(provider.script.closed, portWasOpened ? 1 : 0);
  }

  CPortSetupDlg dlg;
  HeadlessPlatform platform;
  PlatformScope platformScope{platform};
  ScriptedProvider provider;
  PortProviderScope providerScope{provider};
};

TEST_F(OpenPortTest, CommandLineOpensWithoutDialogAndSetsReplyTimeouts) {
  CommandLine("COM3", "19200", "E", "8", "1");
  auto port = dlg.OpenPort();
  ASSERT_NE(port, nullptr);
  EXPECT_TRUE(platform.ModalRuns().empty());
  EXPECT_EQ(dlg.m_szCommDef, "COM3: baud=19200 parity=E data=8 stop=1");
  EXPECT_EQ(dlg.m_bOpenFailed, 0);
  const auto& s = provider.script;
  EXPECT_EQ(s.applied.baud, 19200u);
  EXPECT_EQ(s.applied.parity, 'E');
  EXPECT_EQ(s.applied.stopBits, 1);
  EXPECT_TRUE(s.applied.rtsToggle);
  EXPECT_TRUE(s.applied.abortOnError);
  EXPECT_EQ(s.timeouts.readInterval, 20u);
  EXPECT_EQ(s.timeouts.readTotalMultiplier, 1u);
  EXPECT_EQ(s.timeouts.readTotalConstant, 1u);
  EXPECT_EQ(s.timeouts.writeTotalMultiplier, 50u);  // the driver's write time-outs stay
  EXPECT_EQ(s.timeouts.writeTotalConstant, 500u);
}

TEST_F(OpenPortTest, EachStepFailsWithItsNameAndClosesThePort) {
  CommandLine("COM4", "19200", "E", "8", "1");
  ExpectFailedAt("CreateFile", false);
  CommandLine("COM3ABCDEFG", "19200", "E", "8", "1");  // too long: refused, never cut to COM3
  ExpectFailedAt("CreateFile", false);

  struct Case {
    const char *baud, *parity, *data, *stop;
    void (*fault)(ScriptedPort::Script&);
    const char* step;
  } cases[] = {
      {"19200", "E", "8", "1", [](ScriptedPort::Script& s) { s.setupFails = true; }, "Assign buffer space"},
      {"19200", "E", "8", "1", [](ScriptedPort::Script& s) { s.getStateFails = true; }, "Port Functionality"},
      {"19200", "X", "8", "1", nullptr, "Port Functionality"},
      {"19200", "N", "9", "1", nullptr, "Port Functionality"},
      {"19200", "N", "8", "3", nullptr, "Port Functionality"},
      {"1920000000", "N", "8", "1", nullptr, "Port Functionality"},  // ten characters: refused whole
      {"19200", "E", "8", "1", [](ScriptedPort::Script& s) { s.setStateFails = true; }, "Setting Comm State"},
      {"19200", "E", "8", "1", [](ScriptedPort::Script& s) { s.getTimeoutsFails = true; }, "Setting Comm State"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    provider.script = {};
    if (c.fault) c.fault(provider.script);
    CommandLine("COM3", c.baud, c.parity, c.data, c.stop);
    ExpectFailedAt(c.step, true);
  }
}

TEST_F(OpenPortTest, DialogOpensOnDefaultsAndHandsBackTheChoice) {
  std::vector<std::string> shown;
  platform.ScriptModal(IDD_PORT_SETUP, [&](HeadlessWindow& w) {
    for (int id : {IDC_PORT, IDC_BAUD, IDC_PARITY, IDC_STOP_BITS}) shown.push_back(w.GetText(id));
    w.SelectRow(IDC_BAUD, 4);
    w.SelectRow(IDC_PARITY, 2);
    w.SelectRow(IDC_STOP_BITS, 0);
    w.Click(IDOK);
  });
  auto port = dlg.OpenPort();
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(shown, (std::vector<std::string>{"COM2", "38400", "NONE", "2"}));
  EXPECT_EQ(dlg.m_szCommDef, "COM2: baud=9600 parity=E data=8 stop=1");
  EXPECT_EQ(dlg.m_bPortPresent, (std::array<bool, 9>{false, true, true, false, false, false, false, false, false}));
}

TEST_F(OpenPortTest, CancelFailsWithEmptyStepAndKeepsTheMembers) {
  platform.ScriptModal(IDD_PORT_SETUP, [](HeadlessWindow& w) {
    w.SelectRow(IDC_BAUD, 0);
    w.Click(IDCANCEL);
  });
  EXPECT_EQ(dlg.OpenPort(), nullptr);
  EXPECT_EQ(dlg.m_bOpenFailed, 1);
  EXPECT_EQ(dlg.m_szStep, "");
  EXPECT_EQ(dlg.m_strBaud, "38400");
  EXPECT_EQ(dlg.m_strParity, "NONE");
  EXPECT_EQ(dlg.m_strStopBits, "2");
  EXPECT_EQ(dlg.m_strPort, "");
}

TEST_F(OpenPortTest, NoUsablePortLeavesAnEmptyListAndFailsAtCreateFile) {
  MemoryPortProvider none;
  PortProviderScope scope{none};
  std::vector<std::string> rows;
  platform.ScriptModal(IDD_PORT_SETUP, [&](HeadlessWindow& w) {
    rows = w.Rows(IDC_PORT);
    w.Click(IDOK);
  });
  EXPECT_EQ(dlg.OpenPort(), nullptr);
  EXPECT_TRUE(rows.empty());  // the template's COM1, COM2 never show
  EXPECT_EQ(dlg.m_szStep, "CreateFile");
}

// Over the machine's real ports: COM1..COM9 mapped to pseudo-terminals and
// missing devices, one of the terminals held by another open.
TEST(PortSetupProbe, ListsExactlyTheFreePortsInOrder) {
  std::vector<std::unique_ptr<PseudoTerminal>> terminals;
  for (int n = 1; n <= 9; ++n) {
    std::string path = "/nonexistent/tty" + std::to_string(n);
    if (n == 2 || n == 5 || n == 7) {
      std::string error;
      ASSERT_TRUE(terminals.emplace_back(std::make_unique<PseudoTerminal>())->Open(error)) << error;
      path = terminals.back()->SlavePath();
    }
    setenv(("R742_COM" + std::to_string(n)).c_str(), path.c_str(), 1);
  }
  auto held = CurrentPortProvider().Open("COM7");
  ASSERT_NE(held, nullptr);

  HeadlessPlatform platform;
  PlatformScope scope{platform};
  for (int round = 0; round < 2; ++round) {  // every probe handle is closed again
    CPortSetupDlg dlg;
    HeadlessWindow& w = platform.Open(dlg);
    EXPECT_EQ(w.Rows(IDC_PORT), (std::vector<std::string>{"COM2", "COM5"}));
    EXPECT_EQ(w.GetText(IDC_PORT), "COM2");
    w.Click(IDCANCEL);
  }
  held.reset();
  for (int n = 1; n <= 9; ++n) unsetenv(("R742_COM" + std::to_string(n)).c_str());
}

}  // namespace
}  // namespace r742
