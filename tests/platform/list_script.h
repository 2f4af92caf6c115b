// The dialog code is tested on the headless window; a real backend's window
// must answer every program call on rows, selection and text as it does. A
// step is one program call on box `id`; its result is compared together with
// the box's state after it.
#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/window.h"

namespace r742::test {

using ListStep = std::function<int(IWindow&, int id)>;

inline std::string ResultAndState(IWindow& w, int id, const ListStep& step) {
  std::ostringstream out;
  out << step(w, id) << " count=" << w.GetCount(id) << " sel=" << w.GetCurSel(id) << " text=" << w.GetText(id)
      << " rows=";
  for (int row = 0; row < w.GetCount(id); ++row) out << w.GetRowText(id, row) << '|';
  return out.str();
}

inline const std::vector<ListStep> kListScript = {
    [](IWindow& w, int id) { return w.AddString(id, "Volts L1"); },
    [](IWindow& w, int id) { return w.InsertString(id, 0, "watts"); },
    [](IWindow& w, int id) { return w.InsertString(id, -1, "Volts L2 µ"); },
    [](IWindow& w, int id) { return w.InsertString(id, 9, "beyond"); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 2); },
    [](IWindow& w, int id) { return w.InsertString(id, 1, "Hz"); },  // the selection moves down
    [](IWindow& w, int id) { return w.DeleteString(id, 0); },        // and up again
    [](IWindow& w, int id) { return w.DeleteString(id, 1); },        // the selected row goes
    [](IWindow& w, int id) { return w.DeleteString(id, 7); },
    [](IWindow& w, int id) { return w.SetCurSel(id, 1); },
    [](IWindow& w, int id) { return w.DeleteString(id, 2); },  // a row after the selection
    [](IWindow& w, int id) { return w.SetCurSel(id, 5); },     // out of range clears
    [](IWindow& w, int id) { return w.FindStringPrefix(id, -1, "VOLTS"); },
    [](IWindow& w, int id) { return w.FindStringPrefix(id, 0, "volts"); },
    [](IWindow& w, int id) { return w.FindStringPrefix(id, 1, "hz"); },  // wraps to the top
    [](IWindow& w, int id) { return w.FindStringPrefix(id, -1, "kvar"); },
    [](IWindow& w, int id) { return static_cast<int>(w.GetRowText(id, 9).size()); },
    [](IWindow& w, int id) { return (w.SetCurSel(id, 0), w.ResetContent(id), w.AddString(id, "again")); },
};

}  // namespace r742::test
