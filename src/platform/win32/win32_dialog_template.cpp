#include "platform/win32/win32_dialog_template.h"

#include "os/win32/utf16_text.h"
#include "os/win32/windows_api.h"
#include "platform/window.h"

namespace r742 {

namespace {

constexpr std::uint16_t kButtonAtom = 0x80, kEditAtom = 0x81, kStaticAtom = 0x82, kListBoxAtom = 0x83,
                        kComboBoxAtom = 0x85;
constexpr std::uint16_t kUnnamedId = 0xFFFF;  // the id of unaddressed statics

std::uint32_t Flag(unsigned style, unsigned flag, std::uint32_t windowStyle) {
  return (style & flag) ? windowStyle : 0;
}

std::uint32_t StaticStyle(const ControlTemplate& c) {
  if (c.style & kIconImage) return SS_ICON | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
  // A text of several lines is the program's prose, where '&' is an ampersand, never a mnemonic.
  std::uint32_t style = (c.style & kCentre)      ? SS_CENTER
                        : (c.style & kMultiLine) ? SS_LEFT | SS_NOPREFIX
                                                 : SS_LEFTNOWORDWRAP;
  return style | Flag(c.style, kVCentre, SS_CENTERIMAGE) | Flag(c.style, kSunken, SS_SUNKEN);
}

class Writer {
 public:
  void Word(std::uint16_t w) { words_.push_back(w); }
  void Dword(std::uint32_t d) {
    Word(static_cast<std::uint16_t>(d & 0xFFFF));
    Word(static_cast<std::uint16_t>(d >> 16));
  }
  void Short(int v) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
  void Text(std::string_view utf8) { Text(Widen(utf8).c_str()); }
  void Text(const wchar_t* text) {
    for (; *text; ++text) Word(static_cast<std::uint16_t>(*text));
    Word(0);
  }
  void AlignDword() {
    if (words_.size() % 2) Word(0);
  }
  std::vector<std::uint16_t> Take() { return std::move(words_); }

 private:
  std::vector<std::uint16_t> words_;
};

}  // namespace

Win32ControlClass ControlClassOf(const ControlTemplate& c) {
  const std::uint32_t common = WS_CHILD | WS_VISIBLE | Flag(c.style, kTabStop, WS_TABSTOP) |
                               Flag(c.style, kBorder, WS_BORDER) | Flag(c.style, kVScroll, WS_VSCROLL);
  switch (c.kind) {
    case ControlKind::PushButton:
      // The OK button is the default one: Enter anywhere else presses it.
      return {kButtonAtom, common | static_cast<std::uint32_t>(c.id == kIdOk ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)};
    case ControlKind::CheckBox: return {kButtonAtom, common | BS_AUTOCHECKBOX};
    case ControlKind::GroupBox: return {kButtonAtom, common | BS_GROUPBOX};
    case ControlKind::Static: return {kStaticAtom, common | StaticStyle(c)};
    case ControlKind::Edit:
      return {kEditAtom,
              common | ES_LEFT | Flag(c.style, kAutoHScroll, ES_AUTOHSCROLL) | Flag(c.style, kUpperCase, ES_UPPERCASE)};
    case ControlKind::ListBox:
      return {kListBoxAtom, common | LBS_NOINTEGRALHEIGHT | Flag(c.style, kNotify, LBS_NOTIFY) |
                                Flag(c.style, kNoSelection, LBS_NOSEL)};
    case ControlKind::ComboBox: return {kComboBoxAtom, common | CBS_DROPDOWNLIST};
    case ControlKind::ProgressBar: return {0, common, L"msctls_progress32"};
  }
  return {kStaticAtom, common};
}

std::uint32_t DialogStyleOf(const DialogTemplate& d) {
  return WS_POPUP | DS_SETFONT | DS_3DLOOK | DS_CENTER | Flag(d.style, kDlgCaption, WS_CAPTION) |
         Flag(d.style, kDlgSysMenu, WS_SYSMENU) | Flag(d.style, kDlgModalFrame, DS_MODALFRAME);
}

std::vector<std::uint16_t> BuildDialogTemplate(const DialogTemplate& d) {
  Writer out;
  out.Dword(DialogStyleOf(d));
  out.Dword((d.style & kDlgAppWindow) ? WS_EX_APPWINDOW : 0);
  out.Word(static_cast<std::uint16_t>(d.controls.size()));
  for (int v : {0, 0, d.width, d.height}) out.Short(v);
  out.Word(0);  // no menu
  out.Word(0);  // the standard dialog class
  out.Text(d.caption);
  out.Short(d.fontPoints);
  out.Text(d.font);
  for (const ControlTemplate& c : d.controls) {
    out.AlignDword();
    const Win32ControlClass cls = ControlClassOf(c);
    out.Dword(cls.style);
    out.Dword(0);
    for (int v : {c.rect.x, c.rect.y, c.rect.w, c.rect.h}) out.Short(v);
    out.Word(c.id == -1 ? kUnnamedId : static_cast<std::uint16_t>(c.id));
    if (cls.name) {
      out.Text(cls.name);
    } else {
      out.Word(0xFFFF);
      out.Word(cls.atom);
    }
    // An icon's picture is set once the dialog is created, not named here.
    out.Text((c.style & kIconImage) ? std::string_view() : std::string_view(c.text));
    out.Word(0);  // no creation data
  }
  return out.Take();
}

}  // namespace r742
