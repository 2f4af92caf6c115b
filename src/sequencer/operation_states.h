// Read, Send and Release as data: the states an operation passes through, the
// request each state's send tick writes, what a valid reply leads to, and the
// timeline between them.
#pragma once

namespace r742 {

// The state (m_nState) while an operation runs.
inline constexpr int kStateReadStart = 1;  // next: system settings request
inline constexpr int kStateChannel1 = 2;   // channel modes, states 2..4
inline constexpr int kStateChannel3 = 4;
inline constexpr int kStateOutputs = 5;       // output settings request
inline constexpr int kStateSystem = 6;        // system settings requested
inline constexpr int kStateSendStart = 7;     // next: pass code
inline constexpr int kStatePassCode = 8;      // pass code written
inline constexpr int kStateWriteOutputs = 9;  // output settings write
inline constexpr int kStateRelease = 10;      // pass-code register cleared, then the port closes

enum class StepRequest { kNone, kSystemSettings, kChannelMode, kOutputSettings, kPassCode, kOutputWrite, kRelease };

// What the reply tick of a state does with a valid reply.
enum class AfterReply {
  kNothing,     // no reply is read in this state
  kNextState,   // the next request follows after kStepGapMs
  kEndRead,     // the operation ends: "Ready" after kReadyAfterReplyMs
  kEndRelease,  // the port closes, then as kEndRead
};

struct OperationStep {
  StepRequest request = StepRequest::kNone;  // what the send tick writes
  unsigned channel = 0;                      // 1..3 for a channel-mode request
  int awaitingState = 0;                     // the state while its reply is awaited
  AfterReply afterReply = AfterReply::kNothing;
  int nextState = 0;  // with kNextState
};

// The step of `state`; a state outside 1..10 sends and reads nothing.
OperationStep StepOf(int state);

inline constexpr unsigned kStepGapMs = 300;             // button or valid reply to the next request
inline constexpr unsigned kReadyAfterReplyMs = 1000;    // last reply to "Ready"
inline constexpr unsigned kReadyAfterRefusalMs = 2000;  // nothing sent to "Ready"
inline constexpr int kMinResponseMs = 300;              // the wait for a reply is never shorter

inline constexpr const char* kInvalidScalingText = "Invalid Scaling - Nothing Sent";

}  // namespace r742
