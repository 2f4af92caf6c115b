// A pseudo-terminal standing in for a serial line: the node serves the master
// side, programs open the slave path as their port. The slave is set raw and
// kept open, so the line discipline neither echoes nor alters bytes and the
// master never sees a hang-up between clients.
#pragma once

#include <string>

namespace r742 {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();  // closes both sides and removes the link
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Open(std::string& error);
  // A symbolic link to the slave path; an existing symbolic link there is replaced.
  bool MakeLink(const std::string& linkPath, std::string& error);

  // Lets go of the slave and waits, at most `timeoutMs`, until the program on
  // it has closed it too, so that the last reply is not lost with the master.
  // Bytes the program still sends meanwhile are dropped.
  void AwaitProgramClose(int timeoutMs);

  int MasterFd() const { return master_; }  // non-blocking
  const std::string& SlavePath() const { return slavePath_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string link_;
};

}  // namespace r742
