// The Port Setup dialog's device line says what the machine knows of a port beyond its name.
#include <gtest/gtest.h>

#include "support/fake_port.h"
#include "support/headless_platform.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"

namespace r742 {
namespace {

struct NamingProvider final : IPortProvider {
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    return name == "COM2" || name == "COM5" ? std::make_unique<test::FakePort>(script) : nullptr;
  }
  std::string OpenFailure(std::string_view) override { return {}; }
  std::string Describe(std::string_view name) override {
    return name == "COM2" ? "USB Serial Port (COM2)" : std::string(name);
  }
  bool DescribesPorts() override { return names; }
  bool names = true;
  test::PortScript script;
};

TEST(PortDescription, DeviceLineOnlyWhereTheMachineNamesItsPortsNeverJustTheName) {
  HeadlessPlatform platform;
  PlatformScope platformScope(platform);
  NamingProvider provider;
  PortProviderScope providerScope(provider);
  for (const bool names : {true, false}) {
    provider.names = names;
    CPortSetupDlg setup;
    HeadlessWindow& w = platform.Open(setup);
    EXPECT_EQ(w.Exists(IDC_PORT_DEVICE), names);
    EXPECT_EQ(w.GetText(IDC_PORT_DEVICE), names ? "USB Serial Port (COM2)" : "");
    w.SelectRow(IDC_PORT, 1);  // COM5: the machine knows nothing of it but its name
    EXPECT_EQ(w.GetText(IDC_PORT_DEVICE), "");
    w.Click(kIdCancel);
  }
}

}  // namespace
}  // namespace r742
