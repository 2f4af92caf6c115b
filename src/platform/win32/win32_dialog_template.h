// A dialog template as data turned into the platform's in-memory dialog
// template: the dialog header and one item per control, in template order.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialog_template.h"

namespace r742 {

// The window class and style a control of the template is created with.
struct Win32ControlClass {
  std::uint16_t atom;  // predefined class: 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x85 combo box
  std::uint32_t style;
  const wchar_t* name = nullptr;  // a class named instead (a common control), registered before the dialog is made
};
Win32ControlClass ControlClassOf(const ControlTemplate& control);
std::uint32_t DialogStyleOf(const DialogTemplate& dialog);

// The template's words, DWORD-aligned where the format asks for it. The
// buffer itself is at least DWORD-aligned, as any vector's storage is.
std::vector<std::uint16_t> BuildDialogTemplate(const DialogTemplate& dialog);

}  // namespace r742
