// The exit codes of r742, one per kind of outcome; over several nodes the
// program ends with the worst of them, which is the highest.
#pragma once

namespace r742 {

enum CliExit : int {
  kExitOk = 0,
  kExitUsage = 2,         // the command line is wrong
  kExitPort = 3,          // the port could not be opened
  kExitReply = 4,         // no reply, or a reply that failed its checks; a scan that found nothing
  kExitDiffers = 5,       // a value read back is not the one written
  kExitBadFile = 6,       // the configuration file is missing or invalid: nothing was written
  kExitNotWritten = 7,    // the record or an output file could not be written
  kExitInterrupted = 130  // Ctrl+C
};

}  // namespace r742
