// What the fuzz targets share: the check that stops a run, a port that plays
// back the fuzz input, and the main window on the headless backend.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/outputs_app.h"
#include "serial/serial_port.h"
#include "support/headless_platform.h"
#include "ui/outputs_dlg.h"

namespace r742::fuzz {

// A violated invariant ends the run at once, so that libFuzzer keeps the input.
inline void Require(bool holds) {
  if (!holds) __builtin_trap();
}

using Chunks = std::vector<std::vector<std::uint8_t>>;

// Every read returns the next chunk (cut to the count asked for), then nothing;
// writes are accepted whole and the line settings applied are kept.
class PlaybackPort final : public ISerialPort {
 public:
  explicit PlaybackPort(Chunks chunks) : chunks_(std::move(chunks)) {}

  bool SetupComm(std::uint32_t, std::uint32_t) override { return true; }
  bool GetCommState(LineSettings& settings) override { return (settings = settings_, true); }
  bool SetCommState(const LineSettings& settings) override { return (settings_ = settings, applied_ = true); }
  bool GetCommTimeouts(CommTimeouts& timeouts) override { return (timeouts = timeouts_, true); }
  bool SetCommTimeouts(const CommTimeouts& timeouts) override { return (timeouts_ = timeouts, true); }
  bool Write(const std::uint8_t*, std::uint32_t length, std::uint32_t& written) override {
    written = length;
    return length != 0;
  }
  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& received) override {
    received = 0;
    if (next_ >= chunks_.size()) return true;
    const std::vector<std::uint8_t>& chunk = chunks_[next_++];
    received = static_cast<std::uint32_t>(std::min<std::size_t>(count, chunk.size()));
    std::copy_n(chunk.begin(), received, buffer);
    return true;
  }
  bool PurgeReceive() override { return true; }
  bool ClearCommError(std::uint32_t& errors) override { return (errors = 0, true); }
  std::uint32_t LastError() const override { return 0; }

  const LineSettings& Applied() const { return settings_; }
  bool SettingsApplied() const { return applied_; }

 private:
  Chunks chunks_;
  std::size_t next_ = 0;
  LineSettings settings_;
  CommTimeouts timeouts_;
  bool applied_ = false;
};

// Every port name opens, once, the port prepared for the window.
class PlaybackProvider final : public IPortProvider {
 public:
  explicit PlaybackProvider(Chunks chunks) : port_(std::make_unique<PlaybackPort>(std::move(chunks))) {}
  std::unique_ptr<ISerialPort> Open(std::string_view name) override {
    if (!port_) return nullptr;
    opened_ = port_.get();
    openedName_ = std::string(name);
    return std::move(port_);
  }
  std::string OpenFailure(std::string_view) override { return "opened once already"; }
  const PlaybackPort* Opened() const { return opened_; }  // valid while the window holds it
  const std::string& OpenedName() const { return openedName_; }

 private:
  std::unique_ptr<PlaybackPort> port_;
  PlaybackPort* opened_ = nullptr;
  std::string openedName_;
};

// The main window opened with `commandLine`, its port (if one opens) playing
// back `chunks`. Traffic lines are filed to /dev/null.
struct MainWindow {
  explicit MainWindow(const std::string& commandLine, Chunks chunks = {}) : ports(std::move(chunks)) {
    dlg.m_strLogFileName = "/dev/null";
    LoadCommandLine(dlg, commandLine);
    window = &platform.Open(dlg);
  }
  ~MainWindow() { dlg.m_hPort.reset(); }
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Fires the timers in order of due time until none runs, at most `ticks` of them.
  void RunTimers(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      const auto due = platform.NextTimerDue();
      if (!due) return;
      platform.Advance(*due - platform.Now());
    }
  }

  COutputsDlg dlg;  // outlives the platform, which destroys its window
  HeadlessPlatform platform;
  PlatformScope platformScope{platform};
  PlaybackProvider ports;
  PortProviderScope portScope{ports};
  HeadlessWindow* window = nullptr;
};

}  // namespace r742::fuzz

#include <cmath>

#include "modbus/traffic_text.h"
#include "model/param_catalogue.h"
#include "ui/resource.h"

namespace r742::fuzz {

// Longest text the window puts in a read-out, a system value or a caption
// (FormatFixed and the caption limit).
inline constexpr std::size_t kShortTextMax = 63;

// What the window must hold whatever reached it: scaling values limited and
// finite, at most three assigned channels, every shown text bounded.
inline void CheckWindowModel(const MainWindow& w) {
  const COutputsDlg& dlg = w.dlg;
  const HeadlessWindow& win = *w.window;
  for (int ch = 0; ch < 3; ++ch) {
    const float n = dlg.m_fNominal[ch], z = dlg.m_fZeroOffset[ch];
    Require(std::isfinite(n) && n >= 5.0f && n <= 200.0f);
    Require(std::isfinite(z) && z <= 90.0f);
    Require(dlg.m_nParamCode[ch] >= 0 && dlg.m_nParamCode[ch] < kParamCount);
    Require(dlg.m_nPolarity[ch] >= 0 && dlg.m_nPolarity[ch] <= 2);
    for (int p = 0; p < 3; ++p) {
      Require(win.GetText(PointId(ch, p)).size() <= kShortTextMax);
      Require(win.GetText(UnitId(ch, p)).size() <= 2);
    }
    Require(win.GetText(GroupId(ch)).size() <= kShortTextMax);
  }
  Require(win.Rows(IDC_CHANNEL_LIST).size() <= 3);
  for (int id : {IDC_SYS_VOLTS, IDC_SYS_AMPS, IDC_SYS_WATTS, IDC_SYS_TYPE, IDC_STATUS_RIGHT, IDC_TITLE_TEXT})
    Require(win.GetText(id).size() <= kShortTextMax);
  Require(dlg.m_szTraffic.size() <= kTrafficLineMax);
  for (const std::string& row : win.Rows(IDC_LOG_LIST)) Require(row.size() <= kTrafficLineMax);
  Require(dlg.m_nFloatOrder <= 3);
}

}  // namespace r742::fuzz
