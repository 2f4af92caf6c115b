#include "serial/serial_port.h"

namespace r742 {

const char* PortNamesHelpText() {
  return "Ports on Windows: COM1 to COM9 are the machine's COM ports as the Device Manager lists them "
         "(Ports (COM & LPT)); a USB adapter shows there with the number Windows gave it, which can be "
         "changed in the port's Advanced settings. A port held by another program is not offered. "
         "R742_COM1 to R742_COM9 pin a name to a serial device server (R742_COM1=tcp://10.0.0.5:4001) "
         "or to another port (R742_COM1=COM12).";
}

}  // namespace r742
