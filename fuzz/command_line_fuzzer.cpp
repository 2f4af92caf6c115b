// The command line: LoadCommandLine's tokenising into the window, and with
// eight tokens the override mode as the window opens (SetUpLink copying the
// tokens into the link settings, CPortSetupDlg::OpenPort building the
// device-control text, BuildCommDCB parsing it, the settings applied to the
// port); also BuildCommDCB on the raw input and the terminal attributes of
// every accepted line definition (ApplyLineSettings / LineSettingsFrom).
//
// Input: the command line itself, any bytes (NUL, separators, any length).
// Asserts: the tokens put back together give the upper-cased line; no token
// holds a separator; a port opens only with a node 1..255 and settings inside
// their ranges, the shown device-control text at most 43 characters; a
// refused definition changes nothing, an accepted one reads back the same when
// written out again, and survives the terminal attributes unchanged.
#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "fuzz_support.h"
#include "serial/posix/termios_settings.h"
#include "ui/port_setup_dlg.h"
#include "ui/resource.h"

namespace r742::fuzz {
namespace {

bool ValidSettings(const LineSettings& s) {
  return s.baud >= 1 && s.baud <= 4000000 && (s.parity == 'N' || s.parity == 'O' || s.parity == 'E') &&
         s.dataBits >= 5 && s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2);
}

bool Same(const LineSettings& a, const LineSettings& b) {
  return a.baud == b.baud && a.parity == b.parity && a.dataBits == b.dataBits && a.stopBits == b.stopBits &&
         a.rtsToggle == b.rtsToggle && a.abortOnError == b.abortOnError;
}

void CheckLineDefinition(std::string_view definition) {
  const LineSettings before{.baud = 7, .parity = 'X', .dataBits = 3, .stopBits = 9, .rtsToggle = true};
  LineSettings parsed = before;
  if (!BuildCommDCB(definition, parsed)) {
    Require(Same(parsed, before));
    return;
  }
  // Every field a definition does not name keeps its old (here invalid) value.
  LineSettings full{};
  Require(BuildCommDCB(definition, full));
  if (!ValidSettings(full)) return;
  const std::string written = "COM1: baud=" + std::to_string(full.baud) + " parity=" + std::string(1, full.parity) +
                              " data=" + std::to_string(full.dataBits) + " stop=" + std::to_string(full.stopBits);
  LineSettings again{};
  Require(BuildCommDCB(written, again) && Same(again, full));

  termios t{};
  if (ApplyLineSettings(full, t)) {
    const LineSettings back = LineSettingsFrom(t);
    Require(back.baud == full.baud && back.parity == full.parity && back.dataBits == full.dataBits &&
            back.stopBits == full.stopBits);
  }
}

std::string Transformed(std::string_view line) {
  std::string out(line);
  for (char& c : out) {
    if (c == ',' || c == ';') c = ' ';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

void CheckTokens(const COutputsDlg& dlg, const std::string& line) {
  Require(dlg.m_nTokenCount >= 0 && dlg.m_strCmdLine.empty());
  const std::size_t stored = std::min<std::size_t>(static_cast<std::size_t>(dlg.m_nTokenCount), kMaxTokens);
  std::string joined;
  for (std::size_t i = 0; i < stored; ++i) {
    const std::string& token = dlg.m_strToken[i];
    for (char c : token) Require(c != ' ' && c != ',' && c != ';' && !(c >= 'a' && c <= 'z'));
    if (i != 0) joined += ' ';
    joined += token;
  }
  for (std::size_t i = stored; i < kMaxTokens; ++i) Require(dlg.m_strToken[i].empty());
  if (dlg.m_nTokenCount > kMaxTokens) return;
  std::string expected = Transformed(line);
  if (!expected.empty() && expected.back() == ' ') expected.pop_back();
  Require(joined == expected);
}

void CheckOverrideLink(const MainWindow& w) {
  const COutputsDlg& dlg = w.dlg;
  const std::string statusLeft = w.window->GetText(IDC_STATUS_LEFT);
  if (!dlg.IsPortOpen()) {
    Require(statusLeft == "No Port Open");
    return;
  }
  Require(dlg.m_nNode >= 1 && dlg.m_nNode <= 255);
  Require(dlg.m_nResponseMs >= 300);
  Require(statusLeft.size() <= kMaxCommDefChars);
  const PlaybackPort* port = w.ports.Opened();
  Require(port != nullptr && port->SettingsApplied() && ValidSettings(port->Applied()));
  Require(w.ports.OpenedName() == dlg.m_strToken[0] && !dlg.m_strToken[0].empty());
  Require(w.ports.OpenedName().size() <= kMaxSettingChars);
  LineSettings shown{};
  Require(BuildCommDCB(statusLeft, shown) && shown.baud == port->Applied().baud &&
          shown.parity == port->Applied().parity && shown.dataBits == port->Applied().dataBits &&
          shown.stopBits == port->Applied().stopBits);
}

}  // namespace
}  // namespace r742::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace r742::fuzz;
  const std::string line(reinterpret_cast<const char*>(data), size);
  CheckLineDefinition(line);

  r742::COutputsDlg tokens;
  r742::LoadCommandLine(tokens, line);
  CheckTokens(tokens, line);
  if (!tokens.IsOverrideMode()) return 0;

  MainWindow w(line);  // eight tokens: the link is set up and a Read starts as the window opens
  CheckOverrideLink(w);
  CheckWindowModel(w);
  w.RunTimers(8);  // the Read runs without replies and ends
  CheckWindowModel(w);
  return 0;
}
