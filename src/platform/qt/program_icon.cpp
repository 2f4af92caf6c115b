#include "platform/qt/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace r742 {

namespace {
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 32.0;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 96, 64));
  p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 5 * s, 5 * s);
  // Three channels, three output levels.
  const qreal heights[3] = {18, 12, 24};
  p.setBrush(QColor(255, 214, 0));
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF((6 + 8 * i) * s, (27 - heights[i]) * s, 5 * s, heights[i] * s));
  return pixmap;
}
}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  icon.addPixmap(DrawIcon(16));
  icon.addPixmap(DrawIcon(32));
  return icon;
}

}  // namespace r742
