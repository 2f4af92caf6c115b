// How long Read and Send take in the Qt window against r742-node-sim on a
// pseudo-terminal, from the button to "Ready", next to the timeline the
// operations are paced by: with response time R, the first request goes out
// 300 ms after the button, each reply is read R after its request, the next
// request goes out 300 ms after a valid reply, and "Ready" comes 1000 ms after
// the last reply tick:
//   Read (5 exchanges) = 300 + 4 x (R + 300) + R + 1000
//   Send (7 exchanges) = 300 + 6 x (R + 300) + R + 1000
// The figure that matters is the overhead per exchange, (measured - defined) /
// exchanges, median over the runs. The node's frame log gives the spacing of
// the requests on the line as a second view of the same overhead, and the
// time spent inside timer ticks (writing requests, reading replies) says how
// much of it is the thread blocked in the port rather than late timers.
// Also times the first window: QtWindow creation, OnInitDialog (which opens
// the port) and show, until the window system reports it exposed.
//
//   operation_timeline [--runs N] [--response MS]... [--sim PATH]
//
// Lines starting with "result " are for bench/run-benchmarks.
#include <stdlib.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/outputs_app.h"
#include "frame_log.h"
#include "platform/platform.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_test_support.h"  // WaitUntil
#include "platform/qt/qt_window.h"
#include "sim/child_process.h"
#include "ui/outputs_dlg.h"
#include "ui/resource.h"

namespace {

using Clock = std::chrono::steady_clock;
using r742::simtest::ChildProcess;
using r742::test::WaitUntil;

constexpr int kFirstRequestMs = 300;  // button to the first request
constexpr int kNextRequestMs = 300;   // valid reply tick to the next request
constexpr int kReadyMs = 1000;        // last reply tick to "Ready"
constexpr int kReadExchanges = 5;
constexpr int kSendExchanges = 7;
constexpr int kSlackMs = 4000;  // an operation slower than its timeline by this much has failed

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Adds up the time the thread spends handling timer events: every step and
// ready tick of the window, so also the port's writes and reads done in them.
class TickTimingApplication final : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    if (event->type() != QEvent::Timer || depth_ > 0) return QApplication::notify(receiver, event);
    ++depth_;
    const Clock::time_point start = Clock::now();
    const bool handled = QApplication::notify(receiver, event);
    tickMs_ += Ms(Clock::now() - start);
    --depth_;
    return handled;
  }
  double TickMs() const { return tickMs_; }

 private:
  int depth_ = 0;
  double tickMs_ = 0.0;
};

double TickMs() { return static_cast<TickTimingApplication*>(QCoreApplication::instance())->TickMs(); }

double DefinedMs(int exchanges, int responseMs) {
  return kFirstRequestMs + (exchanges - 1) * (responseMs + kNextRequestMs) + responseMs + kReadyMs;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool Fail(std::string& problem, std::string text) {
  problem = std::move(text);
  return false;
}

struct OperationFigures {
  std::vector<double> wallMs;       // button to "Ready"
  std::vector<double> gapExcessMs;  // request spacing beyond R + 300, from the node's log
  std::vector<double> tickMs;       // per exchange: time inside timer ticks
};

// The main window with the override command line, shown, its opening Read done.
class Bench {
 public:
  Bench(int responseMs, std::filesystem::path frameLog) : responseMs_(responseMs), frameLog_(std::move(frameLog)) {}
  ~Bench() {
    if (window_) window_->Destroy();
  }
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  // Opens the window; returns how long creation, OnInitDialog and show took
  // until the window was exposed, or nothing if it never was.
  std::optional<double> Open() {
    r742::LoadCommandLine(dlg_, "COM1 38400 N 8 2 1 " + std::to_string(responseMs_) + " 2");
    const Clock::time_point start = Clock::now();
    window_ = std::make_unique<r742::QtWindow>(dlg_);
    dlg_.AttachWindow(window_.get());
    dlg_.InitWindow();  // opens the port and starts the opening Read
    window_->show();
    if (!WaitUntil([this] { return window_->windowHandle() && window_->windowHandle()->isExposed(); }, 5000))
      return std::nullopt;
    return Ms(Clock::now() - start);
  }

  bool Idle() const {
    return dlg_.m_nStepTimer == 0 && dlg_.m_nReadyTimer == 0 && window_->GetText(r742::IDC_STATUS_RIGHT) == "Ready";
  }
  bool WaitIdle(int timeoutMs) {
    return WaitUntil([this] { return Idle(); }, timeoutMs);
  }
  std::string Status() const { return window_->GetText(r742::IDC_STATUS_RIGHT); }
  bool PortOpen() const { return dlg_.IsPortOpen(); }

  // Presses `button` and waits for "Ready"; the run must show `exchanges`
  // requests and replies in the node's log. Adds the run to `figures`.
  bool Run(int button, int exchanges, OperationFigures& figures, std::string& problem) {
    auto* b = qobject_cast<QAbstractButton*>(window_->Widget(button));
    if (!b || !b->isEnabled()) return Fail(problem, "button missing or disabled");
    const std::size_t framesBefore = r742::ReadFrameLogFile(frameLog_.string()).size();
    const double ticksBefore = TickMs();
    const Clock::time_point pressed = Clock::now();
    b->click();
    if (dlg_.m_nStepTimer == 0) return Fail(problem, "the press started no exchanges (status \"" + Status() + "\")");
    const double defined = DefinedMs(exchanges, responseMs_);
    if (!WaitIdle(static_cast<int>(defined) + kSlackMs))
      return Fail(problem, "no \"Ready\" (status \"" + Status() + "\")");
    const double wall = Ms(Clock::now() - pressed);
    const double ticks = TickMs() - ticksBefore;

    const std::vector<r742::LoggedFrame> frames = r742::ReadFrameLogFile(frameLog_.string());
    std::vector<double> requests;  // ms after the node started
    int replies = 0;
    for (std::size_t i = framesBefore; i < frames.size(); ++i) {
      if (frames[i].direction == r742::FrameLog::Direction::kReceived)
        requests.push_back(static_cast<double>(frames[i].ms));
      else
        ++replies;
    }
    if (static_cast<int>(requests.size()) != exchanges || replies != exchanges) {
      return Fail(problem, std::to_string(requests.size()) + " requests and " + std::to_string(replies) +
                               " replies, not " + std::to_string(exchanges));
    }
    figures.wallMs.push_back(wall);
    figures.tickMs.push_back(ticks / exchanges);
    for (std::size_t i = 1; i < requests.size(); ++i)
      figures.gapExcessMs.push_back(requests[i] - requests[i - 1] - responseMs_ - kNextRequestMs);
    return true;
  }

 private:
  int responseMs_;
  std::filesystem::path frameLog_;
  r742::COutputsDlg dlg_;
  std::unique_ptr<r742::QtWindow> window_;
};

void PrintOperation(const char* name, int exchanges, int responseMs, const OperationFigures& f) {
  const double defined = DefinedMs(exchanges, responseMs);
  const double median = Median(f.wallMs);
  const auto [lo, hi] = std::minmax_element(f.wallMs.begin(), f.wallMs.end());
  std::vector<double> perExchange;
  for (double w : f.wallMs) perExchange.push_back((w - defined) / exchanges);
  const double overhead = Median(perExchange);
  std::printf(
      "  %-5s %d exchanges  defined %6.0f ms  measured median %7.1f ms (%.1f..%.1f)  "
      "overhead %5.1f ms/exchange\n"
      "        per exchange: %.1f ms inside timer ticks; requests %+.1f ms beyond R + 300 apart (median)\n",
      name, exchanges, defined, median, *lo, *hi, overhead, Median(f.tickMs), Median(f.gapExcessMs));
  std::printf(
      "result %s R=%d runs=%zu defined_ms=%.0f median_ms=%.1f overhead_ms_per_exchange=%.2f "
      "tick_ms_per_exchange=%.2f gap_excess_ms=%.1f\n",
      name, responseMs, f.wallMs.size(), defined, median, overhead, Median(f.tickMs), Median(f.gapExcessMs));
}

// One response time: a fresh node and window, the opening Read, then `runs`
// Reads and `runs` Sends. False when an operation did not run through.
bool MeasureAt(int responseMs, int runs, const std::string& simPath, bool reportWindow) {
  const std::filesystem::path frameLog =
      std::filesystem::temp_directory_path() /
      ("r742-timeline-" + std::to_string(getpid()) + "-" + std::to_string(responseMs) + ".log");
  ChildProcess node;
  if (!node.Start({simPath, "--pty", "--log", frameLog.string()})) {
    std::fprintf(stderr, "cannot start %s\n", simPath.c_str());
    return false;
  }
  const std::string pty = node.FirstLine(Clock::now() + std::chrono::seconds(5));
  if (pty.rfind("/dev/", 0) != 0) {
    std::fprintf(stderr, "the node gave no pseudo-terminal: %s\n", pty.c_str());
    return false;
  }
  setenv("R742_COM1", pty.c_str(), 1);

  r742::QtPlatform platform;
  r742::PlatformScope scope(platform);
  bool ok = true;
  {
    Bench bench(responseMs, frameLog);
    const std::optional<double> shown = bench.Open();
    if (!shown) {
      std::fprintf(stderr, "the window was never exposed\n");
      ok = false;
    } else if (!bench.PortOpen()) {
      std::fprintf(stderr, "the port did not open (status \"%s\")\n", bench.Status().c_str());
      ok = false;
    } else if (!bench.WaitIdle(static_cast<int>(DefinedMs(kReadExchanges, responseMs)) + kSlackMs)) {
      std::fprintf(stderr, "the opening Read did not end with \"Ready\" (status \"%s\")\n", bench.Status().c_str());
      ok = false;
    }
    if (ok && reportWindow) {
      std::printf("first window: created, initialised (port opened) and shown until exposed in %.1f ms\n", *shown);
      std::printf("result window_shown_ms=%.1f\n", *shown);
    }

    std::printf("R = %d ms, %d runs each, node reply delay 5 ms\n", responseMs, runs);
    struct Operation {
      const char* name;
      int button;
      int exchanges;
    };
    for (const Operation& op :
         {Operation{"Read", r742::IDC_READ, kReadExchanges}, Operation{"Send", r742::IDC_SEND, kSendExchanges}}) {
      OperationFigures figures;
      for (int run = 1; ok && run <= runs; ++run) {
        std::string problem;
        if (!bench.Run(op.button, op.exchanges, figures, problem)) {
          std::fprintf(stderr, "%s run %d at R = %d: %s\n", op.name, run, responseMs, problem.c_str());
          ok = false;
        }
      }
      if (ok) PrintOperation(op.name, op.exchanges, responseMs, figures);
    }
  }
  std::error_code ignored;
  std::filesystem::remove(frameLog, ignored);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const Clock::time_point started = Clock::now();
  int runs = 5;
  std::vector<int> responses;
  std::string simPath = R742_NODE_SIM_PATH;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--runs" && hasValue) {
      runs = std::clamp(std::atoi(argv[++i]), 1, 100);
    } else if (arg == "--response" && hasValue) {
      responses.push_back(std::clamp(std::atoi(argv[++i]), 300, 5000));
    } else if (arg == "--sim" && hasValue) {
      simPath = argv[++i];
    } else {
      std::fprintf(stderr, "usage: operation_timeline [--runs N] [--response MS]... [--sim PATH]\n");
      return 2;
    }
  }
  if (responses.empty()) responses = {300, 500};

  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  TickTimingApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  std::printf("platform %s; QApplication ready %.1f ms after main()\n",
              QGuiApplication::platformName().toStdString().c_str(), Ms(Clock::now() - started));

  bool ok = true;
  for (std::size_t i = 0; ok && i < responses.size(); ++i) ok = MeasureAt(responses[i], runs, simPath, i == 0);
  return ok ? 0 : 1;
}
