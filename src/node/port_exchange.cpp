#include "node/port_exchange.h"

#include <algorithm>

#include "modbus/modbus_frame.h"
#include "node/node_map.h"
#include "serial/serial_port.h"

namespace r742 {

WriteOutcome SendRequest(ISerialPort& port, std::span<const std::uint8_t> request) {
  port.PurgeReceive();
  WriteOutcome out;
  const bool ok = port.Write(request.data(), static_cast<std::uint32_t>(request.size()), out.written);
  out.written = std::min(out.written, static_cast<std::uint32_t>(request.size()));
  if (!ok || out.written == 0) {
    out.error = port.LastErrorText();
    out.deviceGone = !ok && port.DeviceGone();
  }
  return out;
}

ReadOutcome ReceiveReply(ISerialPort& port, CModbusFrame& reply) {
  ReadOutcome out;
  out.asked = std::min(kReplyReadLimit, CModbusFrame::kBufferSize);
  out.deviceError = !port.Read(reply.ReceiveBuffer(), out.asked, out.received);
  if (out.deviceError) {
    out.error = port.LastErrorText();
    out.deviceGone = port.DeviceGone();
  }
  reply.TakeReceived(out.received, out.asked);
  if (reply.ReceivedCount() == 0) {
    std::uint32_t errors = 0;
    if (!port.ClearCommError(errors) && !out.deviceError && port.DeviceGone()) {
      out.deviceError = out.deviceGone = true;
      out.error = port.LastErrorText();
    }
  }
  return out;
}

}  // namespace r742
