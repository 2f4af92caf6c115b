// The four requests the operations send to the node: system settings,
// a channel's output mode, the output settings, and a register write.
#include <algorithm>

#include "modbus/modbus_frame.h"
#include "serial/serial_port.h"
#include "ui/outputs_dlg.h"

namespace r742 {

namespace {

constexpr unsigned kSystemFirstValue = 1;
constexpr unsigned kSystemValueCount = 28;
constexpr unsigned kChannelModeValueCount = 18;
constexpr unsigned kOutputFirstValue = 13;
constexpr unsigned kOutputValueCount = 9;

}  // namespace

// Writes the built frame and leaves its traffic line. The first request of an
// operation also keeps a copy of itself for the echo test of its reply.
std::uint32_t COutputsDlg::SendRequest(CModbusFrame& frame, bool keepsEchoReference) {
  frame.AppendCrc();
  m_nRequestFunction = frame.TransmitBytes()[1];
  // A reply that came too late for its tick must not be read as this one's.
  if (m_hPort) m_hPort->PurgeReceive();
  const std::uint32_t written = m_hPort ? frame.SendFrame(*m_hPort) : 0;
  const std::uint32_t kept = std::min<std::uint32_t>(written, m_abSentFrame.size());
  if (keepsEchoReference && m_bEchoProbe) {
    std::copy_n(frame.TransmitBytes(), kept, m_abSentFrame.begin());
    m_bEchoChecked = 0;
    m_bEchoPresent = 0;
  }
  const bool isPassCodeWrite = m_nRequestFunction == kWriteMultiple && m_afWriteValues[0] == kPassCode;
  if (m_bShowModbus && !isPassCodeWrite) FormatTraffic(frame.TransmitBytes(), written, 0);
  m_nSentLength = written;
  return written;
}

std::uint32_t COutputsDlg::ReadSystemSettings() {
  CModbusFrame frame;
  frame.BuildRequest(kReadHolding, static_cast<unsigned>(m_nNode), kSystemFirstValue, kSystemValueCount);
  return SendRequest(frame, true);
}

std::uint32_t COutputsDlg::ReadChannelMode(std::uint32_t channel) {
  CModbusFrame frame;
  frame.BuildRequest(kReadNodeSpecific, static_cast<unsigned>(m_nNode), channel, kChannelModeValueCount);
  return SendRequest(frame, false);
}

std::uint32_t COutputsDlg::ReadOutputSettings() {
  CModbusFrame frame;
  frame.BuildRequest(kReadHolding, static_cast<unsigned>(m_nNode), kOutputFirstValue, kOutputValueCount);
  return SendRequest(frame, false);
}

std::uint32_t COutputsDlg::WriteRegisters() {
  CModbusFrame frame;
  const std::size_t count = std::min<std::size_t>(m_nWriteCount, m_afWriteValues.size());
  for (std::size_t i = 0; i < count; ++i) frame.AppendPayloadFloat(m_afWriteValues[i], m_nFloatOrder);
  frame.BuildRequest(kWriteMultiple, static_cast<unsigned>(m_nNode), static_cast<std::uint8_t>(m_nWriteStart),
                     m_nWriteCount);
  return SendRequest(frame, true);
}

}  // namespace r742
