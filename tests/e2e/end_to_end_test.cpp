// End to end: the real program offscreen against r742-node-sim on a
// pseudo-terminal. The simulator's frame log ("seconds.micros RX|TX hex") is
// the witness of what went over the line. Send and Release over a real line
// are played by tools/e2e-windows, the Qt input by tests/qt.
#include <gtest/gtest.h>

#include <filesystem>

#include "frame_log.h"
#include "modbus/modbus_test_support.h"
#include "sim/child_process.h"

namespace r742::test {
namespace {

using simtest::ChildProcess;
using simtest::Clock;
using namespace std::chrono_literals;

// The five requests of a Read of node 1 with float order 2: system settings,
// the modes of channels 1..3 (function 70), the output settings.
const std::vector<Bytes> kReadRequests = {Hex("01 03 00 00 00 38 44 18"), Hex("01 46 00 00 00 24 88 1E"),
                                          Hex("01 46 00 02 00 24 29 DE"), Hex("01 46 00 04 00 24 C9 DF"),
                                          Hex("01 03 00 18 00 12 45 C0")};

// The reply tick's read ends once the line has been quiet for 20 ms, and the
// next request goes out 300 ms after that. Timers never fire early; late by
// up to 60 ms is allowed for a loaded two-core machine (a lost or extra step
// would be 300 ms or more).
constexpr long kQuietReadMs = 20;
constexpr long kLateToleranceMs = 60;

TEST(EndToEnd, OffscreenProgramReadsAtTheResponsePaceAndPicturesTheWindowWhenReady) {
  // A response time other than the default, so one the program ignored would show; the others are the window's.
  const int responseMs = 500;
  std::filesystem::create_directories(R742_ARTIFACT_DIR);
  const std::string frameLog = R742_ARTIFACT_DIR "/e2e_read_500.log", picture = R742_ARTIFACT_DIR "/e2e_read_500.png";
  std::filesystem::remove(picture);
  std::string workDir = testing::TempDir() + "r742-e2e-XXXXXX";
  ASSERT_NE(mkdtemp(workDir.data()), nullptr);

  ChildProcess sim;
  ASSERT_TRUE(sim.Start({R742_NODE_SIM_PATH, "--pty", "--log", frameLog}));
  const std::string pty = sim.FirstLine(Clock::now() + 10s);
  ASSERT_TRUE(pty.starts_with("/dev/")) << sim.Output();
  ChildProcess program;
  ASSERT_TRUE(program.Start({"env", "-C", workDir, "QT_QPA_PLATFORM=offscreen", "R742_COM1=" + pty,
                             "R742_SCREENSHOT=" + picture, R742_OUTPUTS_PATH, "COM1", "38400", "N", "8", "2", "1",
                             std::to_string(responseMs), "2"}));
  // The program closes by itself once the Read is over and the window pictured.
  EXPECT_EQ(program.Wait(Clock::now() + 40s), 0) << program.Output();
  EXPECT_NE(program.Output().find("Window picture written to " + picture + "\n"), std::string::npos)
      << program.Output();
  EXPECT_TRUE(std::filesystem::exists(picture));

  std::vector<LoggedFrame> rx = ReadFrameLogFile(frameLog);
  std::erase_if(rx, [](const LoggedFrame& f) { return f.direction != FrameLog::Direction::kReceived; });
  std::vector<Bytes> requests;
  for (const LoggedFrame& f : rx) requests.push_back(f.bytes);
  EXPECT_EQ(requests, kReadRequests);
  // Each request goes out 300 ms after the reply tick, which comes one response time after the request.
  for (std::size_t i = 1; i < rx.size(); ++i) {
    const long gap = rx[i].ms - rx[i - 1].ms, pace = responseMs + 300;
    EXPECT_GE(gap, pace - 2) << "request " << i + 1;  // the log's whole milliseconds
    EXPECT_LE(gap, pace + kQuietReadMs + kLateToleranceMs) << "request " << i + 1;
  }
  EXPECT_FALSE(std::filesystem::exists(workDir + "/kesTestLog.txt")) << "written without Modbus ticked";
  std::filesystem::remove_all(workDir);
}

}  // namespace
}  // namespace r742::test
