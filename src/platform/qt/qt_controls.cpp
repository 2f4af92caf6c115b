#include "platform/qt/qt_controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace r742 {

void SetStaticText(QWidget* label, std::string_view text) {
  if (auto* l = qobject_cast<QLabel*>(label)) l->setText(ToQString(WithoutMnemonic(text)));
}

namespace {

QRect PixelGeometry(const DlgRect& rect) {
  const PixelRect px = DluToPixels(rect);
  return {px.x, px.y, px.w, px.h};
}

QWidget* CreateStatic(const ControlTemplate& c, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  Qt::Alignment align = (c.style & kCentre) ? Qt::AlignHCenter : Qt::AlignLeft;
  align |= (c.style & kVCentre) ? Qt::AlignVCenter : Qt::AlignTop;
  label->setAlignment(align);
  if (c.style & kSunken) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
  }
  label->setWordWrap((c.style & kMultiLine) != 0);
  if (c.style & kIconImage) {
    // The program's icon, or the platform's information icon while it has none.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = label->style()->standardIcon(QStyle::SP_MessageBoxInformation);
    const PixelRect px = DluToPixels(c.rect);
    label->setPixmap(icon.pixmap(std::min(px.w, px.h)));
    return label;
  }
  SetStaticText(label, c.text);
  return label;
}

QWidget* CreateGroupBox(const ControlTemplate& c, QWidget* parent) {
  auto* box = new QGroupBox(ToQString(c.text), parent);
  // A group box only frames its neighbours: clicks go to whatever lies under it.
  box->setAttribute(Qt::WA_TransparentForMouseEvents);
  box->setFocusPolicy(Qt::NoFocus);
  // The frame's top line runs through the middle of the title, whose own
  // background breaks it, rather than starting below the title.
  const int half = kDialogFontPixels / 2 + 1;
  box->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: %1px; }"
                                    "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }")
                         .arg(half));
  return box;
}

QWidget* CreateEdit(const ControlTemplate& c, QWidget* parent) {
  auto* edit = new QLineEdit(ToQString(c.text), parent);
  edit->setFrame((c.style & kBorder) != 0);
  return edit;
}

QWidget* CreateListBox(const ControlTemplate& c, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setVerticalScrollBarPolicy((c.style & kVScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setSelectionMode((c.style & kNoSelection) ? QAbstractItemView::NoSelection
                                                  : QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  return list;
}

QWidget* CreateComboBox(const ControlTemplate& c, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(false);
  for (const auto& item : c.items) combo->addItem(ToQString(item));
  combo->setCurrentIndex(-1);  // nothing is chosen until the program or the user picks a row
  // The part of the template height below the closed box is the open list.
  const int listPixels = DluToPixelsY(c.rect.h) - DluToPixelsY(kClosedComboHeightDlu);
  combo->setMaxVisibleItems(std::max(1, listPixels / kBaseUnitY));
  return combo;
}

}  // namespace

QWidget* CreateControlWidget(const ControlTemplate& c, QWidget* parent) {
  QWidget* widget = nullptr;
  switch (c.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(ToQString(c.text), parent);
      button->setAutoDefault(false);  // Enter goes to the dialog, never to a focused button
      button->setDefault(false);
      widget = button;
      break;
    }
    case ControlKind::CheckBox: widget = new QCheckBox(ToQString(c.text), parent); break;
    case ControlKind::Static: widget = CreateStatic(c, parent); break;
    case ControlKind::GroupBox: widget = CreateGroupBox(c, parent); break;
    case ControlKind::Edit: widget = CreateEdit(c, parent); break;
    case ControlKind::ListBox: widget = CreateListBox(c, parent); break;
    case ControlKind::ComboBox: widget = CreateComboBox(c, parent); break;
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);  // a bar alone, as the platform's control draws it elsewhere
      widget = bar;
      break;
    }
  }
  QRect geometry = PixelGeometry(c.rect);
  if (c.kind == ControlKind::ComboBox) geometry.setHeight(DluToPixelsY(kClosedComboHeightDlu));
  widget->setGeometry(geometry);
  return widget;
}

}  // namespace r742
