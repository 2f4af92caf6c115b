// The main window on the headless backend with a simulated node on COM1 of
// an in-memory line: operations run on the virtual clock.
#pragma once

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "memory_link.h"
#include "modbus/modbus_test_support.h"
#include "serial/memory_line.h"
#include "sim_node.h"
#include "ui/window_fixture.h"

namespace r742::test {

// Status texts with the time (ms) each appeared.
using Timeline = std::vector<std::pair<std::uint64_t, std::string>>;

class OperationTest : public MainWindowTest {
 public:  // fault tables arrange the node through it
  void SetUp() override {
    ports.Add("COM1", line);
    link.emplace(line, node);
    logFile = ::testing::TempDir() + "r742_log_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::remove(logFile.c_str());
    dlg.m_strLogFileName = logFile;
  }
  void TearDown() override {
    dlg.m_hPort.reset();  // the line goes before the window
    std::remove(logFile.c_str());
  }

  // Eight tokens: the port opens and a Read starts as the window opens.
  void OpenLinked(const std::string& order = "2", const std::string& responseMs = "300") {
    Open("COM1 38400 N 8 2 1 " + responseMs + " " + order);
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
  std::vector<std::string> LogRows() const {
    std::vector<std::string> rows;
    for (const std::string& row : Rows(IDC_LOG_LIST)) {
      const bool stamped = row.size() >= 9 && row[2] == ':' && row[5] == ':' && row[8] == ' ';
      if (row.size() == 11 && row[2] == ' ' && row[6] == ' ') continue;  // " 6 Dec 2026"
      rows.push_back(stamped ? row.substr(9) : row);
    }
    return rows;
  }

  // The node answers as usual, except `request`, which gets `reply` (each
  // call adds one such request).
  void AnswerRequestWith(Bytes request, Bytes reply) {
    scripted.emplace_back(std::move(request), std::move(reply));
    line.SetPeer([this](std::span<const std::uint8_t> frame, std::int64_t nowMs) {
      for (const auto& [request, reply] : scripted) {
        if (std::equal(frame.begin(), frame.end(), request.begin(), request.end())) {
          line.DeliverToProgram(reply, nowMs + 5);
          return;
        }
      }
      std::int64_t at = nowMs;
      for (const ReplyChunk& chunk : node.HandleRequest(frame)) line.DeliverToProgram(chunk.bytes, at += chunk.delayMs);
    });
  }

  // The frames the program wrote after the first `skipped`.
  std::vector<Bytes> WrittenAfter(std::size_t skipped) const {
    const auto& all = line.Written();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(skipped, all.size())), all.end()};
  }

  std::vector<std::string> LogFileLines() const {
    std::vector<std::string> lines;
    if (FILE* f = std::fopen(logFile.c_str(), "r")) {
      char buf[2048];
      while (std::fgets(buf, sizeof buf, f)) {
        std::string s(buf);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        lines.push_back(s);
      }
      std::fclose(f);
    }
    return lines;
  }

  MemoryLine line{[this] { return static_cast<std::int64_t>(platform.Now()); }};
  MemoryPortProvider ports;
  PortProviderScope portScope{ports};
  SimNode node{1, 2};
  std::optional<MemoryLink> link;
  std::vector<std::pair<Bytes, Bytes>> scripted;
  std::string logFile;
};

}  // namespace r742::test
