// COM1..COM9 on Linux: the serial devices found in a fake device tree laid
// out like the kernel's tty class folder and the by-id links, the names given
// to them around the pinned ones, and what the user sees of them.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <set>
#include <span>

#include "serial/posix/posix_port_provider.h"
#include "support/fake_port.h"
#include "ui/port_setup_dlg.h"
#include "ui/window_fixture.h"

namespace r742::test {
namespace {

namespace fs = std::filesystem;

struct Tty {
  const char* name;
  int type;            // sysfs `type` file; -1: none
  const char* driver;  // nullptr: no device link either (console, virtual terminal)
  const char* byId;    // by-id link name, nullptr: none
};

// Seen by the machine's discovery as Linux lays it out.
const Tty kMachine[] = {
    {"console", -1, nullptr, nullptr},
    {"tty0", -1, nullptr, nullptr},
    {"ttyS0", 4, "serial8250", nullptr},
    {"ttyS1", 0, "serial8250", nullptr},  // a UART without hardware
    {"ttyS10", 4, "serial8250", nullptr},
    {"ttyS2", -1, "serial8250", nullptr},  // no type file: its driver is asked (4)
    {"ttyS3", -1, "serial8250", nullptr},  // no type file and the driver cannot say
    {"ttyUSB0", -1, "cp210x", "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0"},
    {"ttyUSB1", -1, "ftdi_sio", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
    {"ttyUSB2", -1, "ftdi_sio", nullptr},  // an adapter the device manager has not linked
    {"ttyACM0", -1, "cdc_acm", "usb-Arduino__www.arduino.cc__0043_7583-if00"},
    {"ttyUSB3", -1, "ch341", "usb-1a86_USB\\x20Serial-if0a-port12"},  // a blank the device manager escaped
    {"ttyAMA0", -1, "uart-pl011", nullptr},
    {"ttyXR0", 0, "xr_serial", nullptr},
    {"ttyS5", 4, "serial8250", nullptr},  // the kernel's console (tty class)
    {"ttyS6", 4, "serial8250", nullptr},  // the kernel's console (/proc/consoles)
};

const std::string kHint = ": no permission; add your user to the dialout group and log in again";

class PortDiscoveryTest : public MainWindowTest {
 protected:
  void SetUp() override {
    TearDown();
    for (const Tty& t : kMachine) Add(t);
    std::ofstream(root / "sys/class/tty/console/active") << "tty0 ttyS5\n";
    fs::create_directories(root / "proc");
    std::ofstream(root / "proc/consoles") << "tty0                 -WU (E  p  )    4:1\nttyS6  -W- (E p a) 4:70\n";
  }
  void TearDown() override {
    dlg.m_hPort.reset();
    fs::remove_all(root);
    for (int n = 1; n <= 9; ++n) unsetenv(("R742_COM" + std::to_string(n)).c_str());
  }

  void Add(const Tty& t) {
    const fs::path entry = root / "sys/class/tty" / t.name;
    fs::create_directories(entry);
    fs::create_directories(root / "dev");
    std::ofstream(root / "dev" / t.name).flush();
    if (t.type >= 0) std::ofstream(entry / "type") << t.type << '\n';
    if (t.driver) {
      fs::create_directories(entry / "device");
      fs::create_directories(root / "sys/bus/drivers" / t.driver);
      fs::create_directory_symlink(root / "sys/bus/drivers" / t.driver, entry / "device/driver");
    }
    if (t.byId) {
      fs::create_directories(root / "dev/serial/by-id");
      fs::create_symlink(fs::path("../..") / t.name, root / "dev/serial/by-id" / t.byId);
    }
  }
  std::string Dev(const std::string& name) const { return (root / "dev" / name).string(); }

  // Each device as "path label", the path inside the fake /dev.
  std::vector<std::string> Shown(std::span<const SerialDevice> devices) const {
    std::vector<std::string> shown;
    for (const SerialDevice& d : devices) {
      const std::string path = d.path.starts_with(Dev("")) ? d.path.substr(Dev("").size()) : d.path;
      shown.push_back(path + (d.label.empty() ? "" : " " + d.label));
    }
    return shown;
  }

  // Opens what is in `free`, refuses `denied` as a missing permission; the rest is not there.
  std::unique_ptr<ISerialPort> OpenDevice(const std::string& path, int& error) {
    const std::string name = fs::path(path).filename().string();
    error = denied.count(name) != 0 ? EACCES : free.count(name) != 0 ? 0 : ENOENT;
    return error == 0 ? std::make_unique<FakePort>(script) : nullptr;
  }

  fs::path root = fs::path(::testing::TempDir()) /
                  ("r742_tree_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  SysfsSerialDiscovery discovery{root.string(), [this](const std::string& path) -> std::optional<int> {
                                   if (fs::path(path).filename() == "ttyS2") return 4;
                                   return std::nullopt;
                                 }};
  std::set<std::string> free, denied;
  PortScript script;
  PosixPortProvider provider{
      discovery, [this](const std::string& path, int& error, std::string&) { return OpenDevice(path, error); }};
  PortProviderScope providerScope{provider};
};

TEST_F(PortDiscoveryTest, AdaptersByTheirByIdNamesThenUartsWithHardwareThenTheRestNamedAroundThePinnedOnes) {
  // clang-format off
  EXPECT_EQ(Shown(discovery.Devices()), (std::vector<std::string>{
      "ttyUSB3 1a86 USB Serial", "ttyACM0 Arduino www.arduino.cc 0043 7583", "ttyUSB1 FTDI FT232R USB UART A50285BI",
      "ttyUSB0 Silicon Labs CP2102 USB to UART Bridge Controller 0001", "ttyUSB2 ftdi_sio", "ttyS0 serial8250",
      "ttyS2 serial8250", "ttyS10 serial8250", "ttyAMA0 uart-pl011"}));
  // clang-format on
  // A machine without the folders (no device manager, no serial class) has none.
  EXPECT_TRUE(SysfsSerialDiscovery((root / "nothing").string()).Devices().empty());

  // Pinned names win and the others take the devices not pinned.
  const std::vector<SerialDevice> found = {{Dev("ttyUSB1"), "FTDI"}, {Dev("ttyUSB0"), "CP2102"}, {Dev("ttyS0"), ""}};
  const std::string usb0ById = "serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0";
  struct Case {
    std::map<int, std::string> pinned;  // COM number -> $R742_COMn
    std::vector<std::string> want;      // COM1.. "device label"
  } cases[] = {
      // Pinned by its by-id link: the same device is not given a second name.
      {{{1, Dev(usb0ById)}}, {usb0ById + " CP2102", "ttyUSB1 FTDI", "ttyS0", "", "", "", "", "", ""}},
      // Pinned to something not found (a pseudo-terminal): taken as given.
      {{{1, "/dev/pts/7"}, {9, Dev("ttyUSB1")}},
       {"/dev/pts/7", "ttyUSB0 CP2102", "ttyS0", "", "", "", "", "", "ttyUSB1 FTDI"}},
  };
  for (const Case& c : cases) {
    std::array<std::string, kPortCount> pinned;
    for (const auto& [n, path] : c.pinned) pinned[n - 1] = path;
    EXPECT_EQ(Shown(AssignPortNames(pinned, found)), c.want);
  }
}

TEST_F(PortDiscoveryTest, DialogAndLogShowTheFreePortsTheDeviceAndWhichMayNotBeOpened) {
  setenv("R742_COM2", Dev("ttyAMA0").c_str(), 1);
  struct Case {
    std::set<std::string> free, denied;
    std::vector<std::string> offered;
    std::string firstLine, afterPickingTheLast;
  } cases[] = {
      // clang-format off
      {{"ttyUSB1", "ttyAMA0", "ttyS10"}, {}, {"COM2", "COM4", "COM9"}, Dev("ttyAMA0") + "  uart-pl011",
       Dev("ttyS10") + "  serial8250"},
      {{"ttyUSB1", "ttyAMA0"}, {"ttyACM0", "ttyS0"}, {"COM2", "COM4"},
       Dev("ttyAMA0") + "  uart-pl011\n" + Dev("ttyACM0") + ", " + Dev("ttyS0") + kHint,
       Dev("ttyUSB1") + "  FTDI FT232R USB UART A50285BI\n" + Dev("ttyACM0") + ", " + Dev("ttyS0") + kHint},
      {{}, {"ttyUSB1"}, {}, Dev("ttyUSB1") + kHint, Dev("ttyUSB1") + kHint},
      {{}, {}, {}, "No serial port found", "No serial port found"},
      // clang-format on
  };
  for (const Case& c : cases) {
    free = c.free;
    denied = c.denied;
    CPortSetupDlg setup;
    HeadlessWindow& w = platform.Open(setup);
    EXPECT_EQ(w.Rows(IDC_PORT), c.offered);
    EXPECT_EQ(w.GetText(IDC_PORT_DEVICE), c.firstLine);
    if (!c.offered.empty()) w.SelectRow(IDC_PORT, static_cast<int>(c.offered.size()) - 1);
    EXPECT_EQ(w.GetText(IDC_PORT_DEVICE), c.afterPickingTheLast);
    w.Click(kIdCancel);
  }

  // The event log names the device opened, or why it may not be opened.
  unsetenv("R742_COM2");  // COM2 is ttyACM0 again
  denied = {"ttyACM0"};
  free.clear();
  Open("COM2 38400 N 8 2 1 300 2");
  EXPECT_EQ(Text(IDC_STATUS_RIGHT) + '|' + Text(IDC_STATUS_LEFT), "CreateFile|No Port Open");
  // The system's reason, then what the user can do about it (the log wraps long rows: joined here).
  const auto logText = [this] {
    const std::vector<std::string> rows = LogRows();
    return std::accumulate(rows.begin(), rows.end(), std::string());
  };
  const std::string refused = "COM2 (" + Dev("ttyACM0") + "): Permission denied" + Dev("ttyACM0") + kHint;
  EXPECT_EQ(logText(), refused);

  denied.clear();
  free = {"ttyACM0"};
  window->Click(IDC_READ);
  EXPECT_EQ(Text(IDC_STATUS_LEFT), "COM2: baud=38400 parity=N data=8 stop=2");
  EXPECT_EQ(logText(), refused + "COM2 is " + Dev("ttyACM0") + "  Arduino www.arduino.cc 0043 7583");
}

}  // namespace
}  // namespace r742::test
