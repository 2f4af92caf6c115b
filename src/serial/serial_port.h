// The serial port the program talks to the node through.
#pragma once

namespace r742 {

class ISerialPort {
 public:
  virtual ~ISerialPort() = default;
};

}  // namespace r742
