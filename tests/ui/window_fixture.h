// A main window opened on the headless backend, driven like a user would.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/outputs_app.h"
#include "support/headless_platform.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace r742::test {

using Strings = std::vector<std::string>;
// Status texts with the time (ms) each appeared.
using Timeline = std::vector<std::pair<std::uint64_t, std::string>>;

class MainWindowTest : public ::testing::Test {
 protected:
  void Open(const std::string& commandLine = "") {
    LoadCommandLine(dlg, commandLine);
    window = &platform.Open(dlg);
  }
  std::string Text(int id) const { return window->GetText(id); }
  bool Enabled(int id) const { return window->IsEnabled(id); }
  Strings Rows(int id) const { return window->Rows(id); }
  void Assign(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const auto rows = Rows(IDC_AVAILABLE_LIST);
      const auto row = std::find(rows.begin(), rows.end(), name);
      ASSERT_NE(row, rows.end()) << name;
      window->SelectRow(IDC_AVAILABLE_LIST, static_cast<int>(row - rows.begin()));
      window->Click(IDC_ADD);
    }
  }
  std::array<std::string, 3> Readouts(int ch, int (*id)(int, int) = PointId) const {
    return {Text(id(ch, 0)), Text(id(ch, 1)), Text(id(ch, 2))};
  }
  std::array<std::string, 3> Units(int ch) const { return Readouts(ch, UnitId); }
  void ChoosePortInDialog(int button = kIdOk) {
    platform.ScriptModal(IDD_PORT_SETUP, [button](HeadlessWindow& w) { w.Click(button); });
  }

  // Fires the timers one due time after another until none runs (or
  // `limitMs` passed), noting each new status text with its time after the start.
  Timeline RunToIdle(std::uint64_t limitMs = 60000) {
    const std::uint64_t start = platform.Now();
    Timeline seen;
    std::string last = Text(IDC_STATUS_RIGHT);
    while (auto due = platform.NextTimerDue()) {
      if (*due - start > limitMs) break;
      platform.Advance(*due - platform.Now());
      std::string now = Text(IDC_STATUS_RIGHT);
      if (now != last) seen.emplace_back(platform.Now() - start, now);
      last = std::move(now);
    }
    return seen;
  }

  // The event log without its date row, time stamps dropped.
  Strings LogRows() const {
    Strings rows;
    for (const std::string& row : Rows(IDC_LOG_LIST)) {
      const bool stamped = row.size() >= 9 && row[2] == ':' && row[5] == ':' && row[8] == ' ';
      if (row.size() == 11 && row[2] == ' ' && row[6] == ' ') continue;  // " 6 Dec 2026"
      rows.push_back(stamped ? row.substr(9) : row);
    }
    return rows;
  }
  Strings LastLogRows(std::size_t n) const {
    const Strings rows = LogRows();
    return {rows.end() - static_cast<std::ptrdiff_t>(std::min(n, rows.size())), rows.end()};
  }

  // The dialog outlives the platform, which destroys the windows still open.
  COutputsDlg dlg;
  HeadlessPlatform platform;
  PlatformScope scope{platform};
  HeadlessWindow* window = nullptr;
};

}  // namespace r742::test
