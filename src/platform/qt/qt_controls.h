// Widgets for the controls of a dialog template, and the small helpers the
// Qt window shares with them.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/dialog_template.h"

class QWidget;

namespace r742 {

// Pixel size of the dialog font: the 8 pt face on the 13-pixel line of the
// fixed base units, independent of the screen's dpi. The face runs a little
// wider than the one the templates were laid out for, so its letters are set
// slightly closer (per cent of the normal advance) to keep captions inside
// their rectangles.
inline constexpr int kDialogFontPixels = 11;
inline constexpr double kDialogFontSpacingPercent = 96.0;
inline constexpr const char* kDialogFontFamily = "Liberation Sans";

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

// Creates the widget for `control` as a child of `parent`, at its template
// rectangle (a combo box gets its closed height). Signals are connected by the window.
QWidget* CreateControlWidget(const ControlTemplate& control, QWidget* parent);

// Shows `text` on a static control created by CreateControlWidget.
void SetStaticText(QWidget* label, std::string_view text);

}  // namespace r742
