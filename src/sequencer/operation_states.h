// The states and timings of Read, Send and Release.
#pragma once

namespace r742 {

// m_nState while an operation runs.
inline constexpr int kStateReadStart = 1;  // next: system settings request
inline constexpr int kStateChannel1 = 2;   // channel modes, states 2..4
inline constexpr int kStateChannel3 = 4;
inline constexpr int kStateOutputs = 5;       // output settings request
inline constexpr int kStateSystem = 6;        // system settings requested
inline constexpr int kStateSendStart = 7;     // next: pass code
inline constexpr int kStatePassCode = 8;      // pass code written
inline constexpr int kStateWriteOutputs = 9;  // output settings write
inline constexpr int kStateRelease = 10;      // pass-code register cleared, then the port closes

inline constexpr unsigned kStepGapMs = 300;             // button or valid reply to the next request
inline constexpr unsigned kReadyAfterReplyMs = 1000;    // last reply to "Ready"
inline constexpr unsigned kReadyAfterRefusalMs = 2000;  // nothing sent to "Ready"

inline constexpr const char* kInvalidScalingText = "Invalid Scaling - Nothing Sent";

}  // namespace r742
