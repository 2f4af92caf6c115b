// The program's dialog templates.
#pragma once

#include "platform/dialog_template.h"

namespace r742 {

const DialogTemplate& MainDialogTemplate();      // IDD_MAIN
const DialogTemplate& AboutDialogTemplate();     // IDD_ABOUTBOX
const DialogTemplate& HelpDialogTemplate();      // IDD_HELP
const DialogTemplate& FindNodeDialogTemplate();  // IDD_FIND_NODE
// IDD_PORT_SETUP; with the device line below the lists it is 33 units taller.
const DialogTemplate& PortSetupDialogTemplate(bool deviceLine = true);

// The four byte orders offered by IDC_FLOAT_ORDER, index = byte-order index.
inline constexpr const char* kFloatOrderNames[4] = {
    "Float = Big Endian (Motorola)",
    "Float = Little Endian (Intel)",
    "Float = Big Endian (Word Swap)",
    "Float = Little Endian (Word Swap)",
};

}  // namespace r742
