// A main window opened on the headless backend, driven like a user would.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/outputs_app.h"
#include "platform/headless/headless_platform.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742::test {

class MainWindowTest : public ::testing::Test {
 protected:
  void Open(const std::string& commandLine = "") {
    LoadCommandLine(dlg, commandLine);
    window = &platform.Open(dlg);
  }
  std::string Text(int id) const { return window->GetText(id); }
  bool Enabled(int id) const { return window->IsEnabled(id); }
  std::vector<std::string> Rows(int id) const { return window->Rows(id); }
  void Assign(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const auto rows = Rows(IDC_AVAILABLE_LIST);
      const auto row = std::find(rows.begin(), rows.end(), name);
      ASSERT_NE(row, rows.end()) << name;
      window->SelectRow(IDC_AVAILABLE_LIST, static_cast<int>(row - rows.begin()));
      window->Click(IDC_ADD);
    }
  }
  std::array<std::string, 3> Readouts(int ch) const {
    return {Text(PointId(ch, 0)), Text(PointId(ch, 1)), Text(PointId(ch, 2))};
  }
  std::array<std::string, 3> Units(int ch) const {
    return {Text(UnitId(ch, 0)), Text(UnitId(ch, 1)), Text(UnitId(ch, 2))};
  }

  // The dialog outlives the platform, which destroys the windows still open.
  COutputsDlg dlg;
  HeadlessPlatform platform;
  PlatformScope scope{platform};
  HeadlessWindow* window = nullptr;
};

}  // namespace r742::test
