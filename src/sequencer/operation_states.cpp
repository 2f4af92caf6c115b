#include "sequencer/operation_states.h"

namespace r742 {

OperationStep StepOf(int state) {
  using R = StepRequest;
  using A = AfterReply;
  switch (state) {
    case kStateReadStart: return {R::kSystemSettings, 0, kStateSystem, A::kNothing, 0};
    case kStateSystem: return {R::kNone, 0, kStateSystem, A::kNextState, kStateChannel1};
    case kStateChannel1: return {R::kChannelMode, 1, kStateChannel1, A::kNextState, kStateChannel1 + 1};
    case kStateChannel1 + 1: return {R::kChannelMode, 2, kStateChannel1 + 1, A::kNextState, kStateChannel3};
    case kStateChannel3: return {R::kChannelMode, 3, kStateChannel3, A::kNextState, kStateOutputs};
    case kStateOutputs: return {R::kOutputSettings, 0, kStateOutputs, A::kEndRead, 0};
    case kStateSendStart: return {R::kPassCode, 0, kStatePassCode, A::kNothing, 0};
    case kStatePassCode: return {R::kNone, 0, kStatePassCode, A::kNextState, kStateWriteOutputs};
    // A full Read follows, so that the window shows what the node now holds.
    case kStateWriteOutputs: return {R::kOutputWrite, 0, kStateWriteOutputs, A::kNextState, kStateReadStart};
    case kStateRelease: return {R::kRelease, 0, kStateRelease, A::kEndRelease, 0};
    default: return {R::kNone, 0, state, A::kNothing, 0};
  }
}

}  // namespace r742
