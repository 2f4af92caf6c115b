// Dialog templates as data: one table per dialog, controls in template order
// (which is also the tab order), rectangles in dialog units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace r742 {

enum class ControlKind {
  PushButton,
  CheckBox,  // automatic check box
  Static,
  GroupBox,
  Edit,
  ListBox,
  ComboBox,     // drop-down list: pick only, never typed into
  ProgressBar,  // 0..100 per cent, set by the program only
};

// Style flags of a control or dialog, named after the window styles they stand for.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kNotify = 1u << 0,  // list box reports clicks and selection changes
  kVScroll = 1u << 1,
  kAutoHScroll = 1u << 2,  // edit scrolls horizontally while typing
  kBorder = 1u << 3,
  kCentre = 1u << 4,   // static text centred horizontally
  kVCentre = 1u << 5,  // static text centred vertically
  kSunken = 1u << 6,
  kNoSelection = 1u << 7,  // list box rows cannot be selected by the user
  kUpperCase = 1u << 8,
  kMultiLine = 1u << 9,  // static text wraps over several lines
  kTabStop = 1u << 10,
  kIconImage = 1u << 11,  // static that shows the program's icon
};

enum DialogStyle : unsigned {
  kDlgCaption = 1u << 0,
  kDlgSysMenu = 1u << 1,
  kDlgModalFrame = 1u << 2,
  kDlgAppWindow = 1u << 3,  // shown in the task bar
};

struct DlgRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const DlgRect&) const = default;
};

struct ControlTemplate {
  int id = -1;
  ControlKind kind = ControlKind::Static;
  std::string text;
  DlgRect rect;
  unsigned style = kStyleNone;
  std::vector<std::string> items;  // initial rows of a combo box
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  int width = 0, height = 0;  // dialog units
  std::string font = "MS Sans Serif";
  int fontPoints = 8;
  unsigned style = kDlgCaption | kDlgSysMenu | kDlgModalFrame;
  std::vector<ControlTemplate> controls;

  const ControlTemplate* Find(int controlId) const;
};

// A caption as shown: each '&' marks the next character as the mnemonic and
// is left out ("&&" shows one '&'; a trailing '&' marks nothing).
std::string WithoutMnemonic(std::string_view text);

// Pixels from dialog units with fixed base units of 6 x 13 (the classic 8 pt
// dialog font at 96 dpi), so geometry is the same on every machine.
inline constexpr int kBaseUnitX = 6;
inline constexpr int kBaseUnitY = 13;

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const PixelRect&) const = default;
};

int DluToPixelsX(int dlu);
int DluToPixelsY(int dlu);
PixelRect DluToPixels(const DlgRect& r);

// Height in dialog units of a closed drop-down list; its template height includes the open list.
inline constexpr int kClosedComboHeightDlu = 12;

}  // namespace r742
