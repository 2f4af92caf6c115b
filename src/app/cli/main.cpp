// r742: the command line that finds, reads, configures and records nodes.
#include <atomic>
#include <cstdio>
#include <iostream>

#include "app/cli_commands.h"
#include "os/console.h"
#include "site/site_clock.h"

int main(int argc, char** argv) {
  static std::atomic<bool> interrupted{false};
  r742::CatchInterrupts(interrupted);
  r742::CliContext context{std::cout, std::cerr, interrupted, r742::SteadySiteClock(), r742::StandardErrorIsTerminal()};
  try {
    const int code = r742::RunR742(argc, argv, context);
    std::cout.flush();
    return code;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "r742: %s\n", e.what());
    return 1;
  }
}
