// COutputsDlg: the program's main window and the holder of its state. Its
// members are defined in the outputs_*.cpp files beside it; they call the
// window-free layers (node exchange, sequencer, log, model) and apply what
// those give to the controls.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "node/echo_test.h"
#include "node/node_data.h"
#include "node/node_requests.h"
#include "platform/dialog.h"
#include "site/site_config.h"

namespace r742 {

class ISerialPort;
class SiteClock;

// Only the first characters of the Node # box count.
inline constexpr std::size_t kNodeChars = 9;

// The command-line token store holds this many tokens.
inline constexpr int kTokenSlots = 50;

inline constexpr unsigned TIMER_STEP = 1;
inline constexpr unsigned TIMER_READY = 2;

class COutputsDlg : public CDialog {
 public:
  COutputsDlg();
  ~COutputsDlg() override;

  // --- command line, filled before the window opens
  std::string m_strCmdLine;
  std::array<std::string, kTokenSlots> m_strToken;
  int m_nTokenCount = 0;
  bool IsOverrideMode() const { return m_nTokenCount == 8; }

  // --- shell
  std::uint8_t m_bShowModbus = 0;
  std::uint8_t m_bLimitLength = 0;
  std::uint8_t m_nFloatOrder = 2;

  // --- link and sequencer
  std::unique_ptr<ISerialPort> m_hPort;  // null while no port is open
  int m_nPortSetUp = -1;
  int m_nNode = 1;
  int m_nResponseMs = 300;
  int m_nState = 0;
  std::uint8_t m_bAwaitingReply = 1;
  std::uint32_t m_nReplyResult = 0;
  unsigned m_nStepTimer = 0;
  unsigned m_nReadyTimer = 0;

  // --- pending traffic line and echo test
  std::string m_szTraffic;  // at most 999 characters
  CEchoTest m_echo;
  // Function code of the last request: its reply must answer that function.
  std::uint8_t m_nRequestFunction = 0;
  // For the event log: the port and its device, and why the last exchange failed.
  std::string m_strPortLabel;
  std::string m_strExchangeFault;
  // The port's device went away (unplugged): the port is closed when the operation ends.
  bool m_bPortGone = false;
  // The line settings of the port last opened, or of a node found or a
  // configuration opened since: what the next Port Setup opens on.
  LineConfig m_lineInUse;

  // --- the pending register write
  int m_nWriteStart = 0;  // value number: 13 output settings, 36 pass code
  std::uint8_t m_nWriteCount = 0;
  std::array<float, 50> m_afWriteValues{};

  // --- output model, index 0..2 = CH1..CH3
  std::array<int, 3> m_nParamCode{};
  std::array<int, 3> m_nPolarity{};
  std::array<float, 3> m_fNominal{100.0f, 100.0f, 100.0f};
  std::array<float, 3> m_fZeroOffset{};
  std::array<float, 3> m_fFullScale{};
  std::array<int, 3> m_nOutputMode{1, 1, 1};

  bool IsPortOpen() const { return m_hPort != nullptr; }

  // --- shell
  void DisableControls();
  void EnableControls();
  void OnShowModbus();
  void OnLimitLength();
  void OnFloatOrderChange();
  void OnHelp();

  // --- channel assignment
  void OnAdd();
  void OnRemove();
  void OnClear();
  void RefreshChannels();

  // --- scaling and read-outs
  void OnChangeCh1Nominal() { OnChangeNominal(0); }
  void OnChangeCh2Nominal() { OnChangeNominal(1); }
  void OnChangeCh3Nominal() { OnChangeNominal(2); }
  void OnChangeCh1Offset() { OnChangeOffset(0); }
  void OnChangeCh2Offset() { OnChangeOffset(1); }
  void OnChangeCh3Offset() { OnChangeOffset(2); }
  void UpdateValueLabels(int code, int channel);  // channel 1..3
  void UpdateReadouts();
  // One of the two node values of a frequency channel (channel 1..3, which 0 or 1); 0.0 otherwise.
  float FrequencyToNode(int code, int channel, int which) const;

  // --- event log
  void AddLogLine(std::string_view text, std::uint8_t timestamp);

  // --- traffic log: requests and accepted replies as hexadecimal lines
  std::string m_strLogFileName = "kesTestLog.txt";  // in the current folder
  // Fills m_szTraffic with the line of a frame sent (direction 0) or received.
  int FormatTraffic(const std::uint8_t* bytes, std::size_t length, int direction);
  // Where a published line goes: a request as one list row, a reply through
  // AddLogLine (rows of 120 characters, list scrolled to its end).
  enum class TrafficRoute { Request, Reply };
  // Files the pending line whole, shows it (shortened with "Limit String
  // Length") and empties it; nothing while "Modbus" is off or no line is pending.
  void PublishTraffic(TrafficRoute route);
  // Appends `text` and a line end in one write; 0 when written, -1 when nothing
  // was (the reason then in m_strLogFileFault).
  int AppendLogFile(const char* fileName, std::string_view text);
  std::string m_strLogFileFault;
  // The event log said why a line missed the file, and no line was written since.
  bool m_bLogFileFaultSaid = false;

  // --- requests to the node; each returns the number of bytes written (0: not sent)
  std::uint32_t ReadSystemSettings();
  std::uint32_t ReadChannelMode(std::uint32_t channel);  // channel 1..3
  std::uint32_t ReadOutputSettings();
  std::uint32_t WriteRegisters();

  // --- replies: 0 when no usable reply arrived, else the reply's byte count
  std::uint32_t ProcessReply();
  void ShowScaling();
  void ClampScaling();

  // --- operation steps: each sends one request and reports it
  void StepReadSystem();
  void StepReadChannelMode(std::uint32_t channel);
  void StepReadOutputs();
  void StepWritePassCode(float value);
  void StepWriteOutputs();

  // --- operations
  void OnRead();
  void OnSend();
  void OnRelease();
  // Reads node number and response time and opens the port (Port Setup
  // dialog unless the command line gives the link).
  void SetUpLink();
  void ReportCommandLine();
  void ClosePort();
  // --- configurations
  SiteConfig ConfigurationShown() const;
  // Fills the channel list, scaling, node and byte order as a Read of a node
  // holding `config` would; nothing goes to the node.
  void ShowConfiguration(const SiteConfig& config);
  void OnFindNode();
  void OnOpenConfiguration();
  void OnSaveConfiguration();
  void ShowConfigurationFault(const std::string& text);  // one message box naming the fault
  std::string m_strConfigFolder;                         // the folder of the last configuration file, for this session
  SiteClock* m_pScanClock = nullptr;                     // the Find Node scan's clock; null: the machine's

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnSysCommand(unsigned commandId, long param) override;
  void OnTimer(unsigned nIDEvent) override;

 private:
  void OnChangeNominal(int ch);
  void OnChangeOffset(int ch);
  void SetText(int id, std::string_view text) { GetDlgItem(id).SetWindowText(text); }
  void Enable(int id, bool on) { GetDlgItem(id).EnableWindow(on); }
  void CloseWindowCleanly(int result);
  void StartOperation(int startState);
  // The nine values of the output-settings write for the given codes; empty
  // when one is not finite or a frequency channel has no span.
  std::optional<std::array<float, 9>> OutputWriteValues(const std::array<float, 3>& codes) const;
  std::uint32_t SendNodeRequest(const Frame& request, bool opensOperation);
  void ReportStep(std::uint32_t written, std::string_view status, std::string_view log);
  void StartReadyTimer(unsigned periodMs);
  // "Function Not Supported or Node Not Responding", then the reason when one is known.
  void EndWithNoReply();
  void CloseVanishedPort();
  void OnStepTick();
  void OnReplyTick();
  void ApplySystemSettings(const SystemSettings& settings);
  void ApplyChannelMode(const ChannelMode& mode);
  void ApplyOutputSettings(const OutputSettings& settings);
};

}  // namespace r742
