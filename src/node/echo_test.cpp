#include "node/echo_test.h"

#include <algorithm>

#include "modbus/modbus_frame.h"

namespace r742 {

void CEchoTest::NoteRequest(std::span<const std::uint8_t> written, bool opensOperation) {
  if (opensOperation && m_bEchoProbe) {
    const std::size_t kept = std::min(written.size(), m_abSentFrame.size());
    std::copy_n(written.begin(), kept, m_abSentFrame.begin());
    m_bEchoChecked = 0;
    m_bEchoPresent = 0;
  }
  m_nSentLength = static_cast<std::uint32_t>(written.size());
}

void CEchoTest::RemoveEcho(CModbusFrame& reply, std::uint32_t limit) {
  if (m_bEchoProbe) {
    m_bEchoPresent = reply.MatchesSent(m_nSentLength, m_abSentFrame) ? 1 : 0;
    m_bEchoProbe = 0;
    m_bEchoChecked = 1;
  }
  if (m_bEchoPresent && m_bEchoChecked) reply.StripEcho(m_nSentLength, limit);
}

}  // namespace r742
