// Reply bytes as they come off the line, through COutputsDlg::ProcessReply on
// the headless window: echo test and removal, exception, CRC, node and
// function checks, value extraction and the application to the window model,
// in every sequencer state and float byte order.
//
// Input: five header bytes, then the line.
//   [0] state (mod 11)
//   [1] bits 0-1 float order, 2 echo probe, 3 echo checked, 4 echo present,
//       5 "Modbus" shown, 6 "Limit String Length", 7 run the real timer path
//   [2] function asked (bits 0-1: 3, 70, 16, or the byte itself)
//   [3] node asked
//   [4] bits 0-1 channels assigned before, 2 send the state's own request,
//       3-7 length of the sent frame kept for the echo test (taken from the line)
// Direct path: the rest is one read. Timer path: Read runs from the command
// line with the state forced, and the rest is a series of reads, each a length
// byte and that many bytes.
// Asserts after every step: the reply count is below the read limit, and the
// window model holds (CheckWindowModel: finite limited scaling, <= 3 channels,
// bounded texts, traffic line <= 999 characters).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "modbus/modbus_frame.h"
#include "model/param_catalogue.h"
#include "node/node_map.h"
#include "ui/resource.h"

namespace r742::fuzz {
namespace {

constexpr std::uint32_t kReplyLimit = 512;

std::uint8_t FunctionAsked(std::uint8_t b) {
  switch (b & 3) {
    case 0: return kReadHolding;
    case 1: return kReadNodeSpecific;
    case 2: return kWriteMultiple;
    default: return b;
  }
}

// Channels as a user assigns them: a frequency channel first, then two others.
void AssignChannels(MainWindow& w, int count) {
  const int codes[3] = {kFrequencyCode, 1, 5};
  for (int i = 0; i < count; ++i) {
    w.window->SelectRow(IDC_AVAILABLE_LIST, codes[i]);
    w.window->Click(IDC_ADD);
  }
}

// The request the operation sends in `state`, as its step would send it.
void SendStateRequest(COutputsDlg& dlg, int state) {
  switch (state) {
    case 1:
    case 6: dlg.ReadSystemSettings(); break;
    case 2:
    case 3:
    case 4: dlg.ReadChannelMode(static_cast<std::uint32_t>(state - 1)); break;
    case 5: dlg.ReadOutputSettings(); break;
    case 9:
      dlg.m_nWriteStart = 13;
      for (int ch = 0; ch < 3; ++ch) {
        dlg.m_afWriteValues[3 * ch] = static_cast<float>(dlg.m_nParamCode[ch]);
        dlg.m_afWriteValues[3 * ch + 1] = dlg.m_fNominal[ch];
        dlg.m_afWriteValues[3 * ch + 2] = dlg.m_fZeroOffset[ch];
      }
      dlg.m_nWriteCount = 9;
      dlg.WriteRegisters();
      break;
    case 7:
    case 8:
    case 10:
      dlg.m_nWriteStart = 36;
      dlg.m_afWriteValues[0] = state == 10 ? 0.0f : kPassCode;
      dlg.m_nWriteCount = 1;
      dlg.WriteRegisters();
      break;
    default: break;
  }
}

void RunDirect(const std::uint8_t* h, const std::uint8_t* line, std::size_t length) {
  MainWindow w("", {});
  COutputsDlg& dlg = w.dlg;
  AssignChannels(w, h[4] & 3);
  const int state = h[0] % 11;
  dlg.m_nState = state;
  dlg.m_nFloatOrder = h[1] & 3;
  dlg.m_bShowModbus = (h[1] >> 5) & 1;
  dlg.m_bLimitLength = (h[1] >> 6) & 1;
  dlg.m_nNode = h[3];
  dlg.m_hPort = std::make_unique<PlaybackPort>(Chunks{{line, line + length}});
  if (h[4] & 4) {
    dlg.m_echo.m_bEchoProbe = (h[1] >> 2) & 1;
    SendStateRequest(dlg, state);
    dlg.PublishTraffic(COutputsDlg::TrafficRoute::Request);
  } else {
    dlg.m_nRequestFunction = FunctionAsked(h[2]);
    const std::size_t kept = std::min<std::size_t>(h[4] >> 3, length);
    std::copy_n(line, kept, dlg.m_echo.m_abSentFrame.begin());
    dlg.m_echo.m_nSentLength = static_cast<std::uint32_t>(h[4] >> 3);
    dlg.m_echo.m_bEchoProbe = (h[1] >> 2) & 1;
  }
  dlg.m_echo.m_bEchoChecked = (h[1] >> 3) & 1;
  dlg.m_echo.m_bEchoPresent = (h[1] >> 4) & 1;
  const std::uint32_t count = dlg.ProcessReply();
  Require(count < kReplyLimit && count <= length);
  CheckWindowModel(w);
}

void RunTimers(const std::uint8_t* h, const std::uint8_t* rest, std::size_t length) {
  Chunks reads;
  for (std::size_t i = 0; i < length;) {
    const std::size_t n = std::min<std::size_t>(rest[i], length - i - 1);
    reads.emplace_back(rest + i + 1, rest + i + 1 + n);
    i += 1 + n;
  }
  const std::string order = std::to_string(h[1] & 3);
  MainWindow w("COM1 38400 N 8 2 " + std::to_string(h[3]) + " 300 " + order, std::move(reads));
  COutputsDlg& dlg = w.dlg;
  AssignChannels(w, h[4] & 3);
  if (const int state = h[0] % 11; state != 0) dlg.m_nState = state;
  dlg.m_bShowModbus = (h[1] >> 5) & 1;
  dlg.m_bLimitLength = (h[1] >> 6) & 1;
  CheckWindowModel(w);
  for (int tick = 0; tick < 64 && w.platform.NextTimerDue(); ++tick) {
    w.RunTimers(1);
    Require(dlg.m_nReplyResult < kReplyLimit);
    CheckWindowModel(w);
  }
}

}  // namespace
}  // namespace r742::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kHeader = 5;
  if (size < kHeader) return 0;
  if (data[1] & 0x80)
    r742::fuzz::RunTimers(data, data + kHeader, size - kHeader);
  else
    r742::fuzz::RunDirect(data, data + kHeader, size - kHeader);
  return 0;
}
