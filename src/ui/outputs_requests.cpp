// The four requests the operations send to the node: system settings, a
// channel's output mode, the output settings, and a register write. Each is
// built by the node exchange, written, kept for the echo test and shown as traffic.
#include <algorithm>

#include "modbus/modbus_frame.h"
#include "node/node_map.h"
#include "node/port_exchange.h"
#include "serial/serial_port.h"
#include "ui/outputs_dlg.h"

namespace r742 {

std::uint32_t COutputsDlg::SendNodeRequest(const Frame& request, bool opensOperation) {
  m_nRequestFunction = request[1];
  WriteOutcome sent;
  if (m_hPort) sent = SendRequest(*m_hPort, request);
  m_strExchangeFault = sent.written == 0 ? m_strPortLabel + ": " + sent.error : std::string();
  m_bPortGone = m_bPortGone || sent.deviceGone;
  m_echo.NoteRequest({request.data(), sent.written}, opensOperation);
  // The pass code itself never reaches the log or the file, nor does a request that never left.
  const bool isPassCodeWrite = m_nRequestFunction == kWriteMultiple && m_afWriteValues[0] == kPassCode;
  if (m_bShowModbus && !isPassCodeWrite && sent.written > 0) FormatTraffic(request.data(), sent.written, 0);
  return sent.written;
}

std::uint32_t COutputsDlg::ReadSystemSettings() {
  return SendNodeRequest(SystemSettingsRead(static_cast<unsigned>(m_nNode)), true);
}

std::uint32_t COutputsDlg::ReadChannelMode(std::uint32_t channel) {
  return SendNodeRequest(ChannelModeRead(static_cast<unsigned>(m_nNode), channel), false);
}

std::uint32_t COutputsDlg::ReadOutputSettings() {
  return SendNodeRequest(OutputSettingsRead(static_cast<unsigned>(m_nNode)), false);
}

std::uint32_t COutputsDlg::WriteRegisters() {
  const std::size_t count = std::min<std::size_t>(m_nWriteCount, m_afWriteValues.size());
  return SendNodeRequest(RegisterWrite(static_cast<unsigned>(m_nNode), static_cast<unsigned>(m_nWriteStart),
                                       {m_afWriteValues.data(), count}, m_nFloatOrder),
                         true);
}

}  // namespace r742
