#include "serial/serial_port.h"

namespace r742 {

const char* PortNamesHelpText() {
  return "Ports on Linux: COM1 to COM9 are the serial devices found here (Port Setup shows which): USB "
         "adapters first, by their /dev/serial/by-id names, then serial ports with hardware, then "
         "the others (never the console). R742_COM1 to R742_COM9 pin a name to a device "
         "(R742_COM1=/dev/ttyUSB0) or to a serial device server (R742_COM1=tcp://10.0.0.5:4001); the other names "
         "take the devices not pinned. A port held by another program is not offered, nor one you may not "
         "open: add your user to the dialout group and log in again. RTS is up while a request is sent; "
         "R742_RTS=keep leaves it alone.";
}

}  // namespace r742
