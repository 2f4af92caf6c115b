#include "serial/serial_port.h"

namespace r742 {

const char* PortNamesHelpText() {
  return "Ports on Linux: COM1 to COM9 are the devices named by the environment variables "
         "R742_COM1 to R742_COM9 (for example R742_COM1=/dev/ttyUSB0), otherwise /dev/ttyS0 to "
         "/dev/ttyS8. A port held by another program is not offered. R742_RS485=1 turns on the "
         "kernel's RS-485 direction control for adapters that need it.";
}

}  // namespace r742
