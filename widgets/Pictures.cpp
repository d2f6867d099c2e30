#include "widgets/Pictures.h"

#include <cmath>
#include <numbers>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

QPen Outline(const char* color, double width = 1.0) {
  return QPen(QColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawDisksAndTower(QPainter& p) {
  // Server tower on the right.
  p.setPen(Outline("#1e1e22"));
  p.setBrush(QColor("#3a3a42"));
  p.drawRect(QRectF(9.5, 1.5, 6, 13.5));
  p.setPen(Outline("#8a8a92"));
  p.drawLine(QPointF(11, 4), QPointF(14, 4));
  p.drawLine(QPointF(11, 6), QPointF(14, 6));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor("#4caf50"));
  p.drawEllipse(QPointF(12.5, 12.5), 0.9, 0.9);

  // Stacked disks: one cylinder with the seams of three platters.
  QPainterPath body;
  body.moveTo(1, 4);
  body.lineTo(1, 13);
  body.arcTo(QRectF(1, 11.5, 8, 3), 180, 180);
  body.lineTo(9, 4);
  body.closeSubpath();
  QLinearGradient shade(1, 0, 9, 0);
  shade.setColorAt(0, QColor("#9a9aa2"));
  shade.setColorAt(0.4, QColor("#d6d6dc"));
  shade.setColorAt(1, QColor("#84848c"));
  p.setPen(Outline("#55555d"));
  p.setBrush(shade);
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(1, 5.5, 8, 3), 180 * 16, 180 * 16);
  p.drawArc(QRectF(1, 8.5, 8, 3), 180 * 16, 180 * 16);
  p.setBrush(QColor("#ececf0"));
  p.drawEllipse(QRectF(1, 2.5, 8, 3));
}

void DrawClipboard(QPainter& p) {
  p.setPen(Outline("#6d4a22"));
  p.setBrush(QColor("#b07a3c"));
  p.drawRoundedRect(QRectF(2.5, 2, 11, 13.5), 1.5, 1.5);
  p.setPen(Outline("#9a9a9a"));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 4, 7, 10));
  p.setPen(Outline("#a0a8b8"));
  for (double y : {6.5, 8.5, 10.5, 12.5}) p.drawLine(QPointF(5.8, y), QPointF(10.2, y));
  p.setPen(Outline("#606068"));
  p.setBrush(QColor("#c4c4cc"));
  p.drawRoundedRect(QRectF(5.5, 0.5, 5, 3), 1, 1);
}

QPainterPath Gear(QPointF centre, double outer, double inner, double hole, int teeth) {
  QPainterPath gear;
  const int points = teeth * 4;
  for (int i = 0; i < points; ++i) {
    const double angle = 2 * std::numbers::pi * i / points;
    const double r = (i % 4 < 2) ? outer : inner;
    const QPointF pt = centre + QPointF(r * std::cos(angle), r * std::sin(angle));
    if (i == 0) gear.moveTo(pt); else gear.lineTo(pt);
  }
  gear.closeSubpath();
  QPainterPath axle;
  axle.addEllipse(centre, hole, hole);
  return gear.subtracted(axle);
}

void DrawGearOverPlate(QPainter& p) {
  const QRectF plate(0.5, 9.5, 15, 6);
  p.setPen(Outline("#9a7a08"));
  p.setBrush(QColor("#f5d33a"));
  p.drawRect(plate);
  p.save();
  p.setClipRect(plate.adjusted(0.5, 0.5, -0.5, -0.5));
  p.setPen(QPen(QColor("#c49a00"), 1.6));
  for (double x = -6; x < 18; x += 3.5) p.drawLine(QPointF(x, 16), QPointF(x + 6, 9));
  p.restore();
  p.setPen(Outline("#5e3f8c"));
  p.setBrush(QColor("#b48fdc"));
  p.drawPath(Gear(QPointF(8, 6.5), 6.2, 4.6, 1.8, 8));
}

void DrawPencil(QPainter& p) {
  // Drawn lying along x and turned so that the point is at the bottom left.
  p.translate(8, 8);
  p.rotate(-45);
  p.setPen(Outline("#6b5220", 0.8));
  p.setBrush(QColor("#e8c48a"));
  QPolygonF wood{QPointF(-9, 0), QPointF(-5, -2.2), QPointF(-5, 2.2)};
  p.drawPolygon(wood);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor("#2e2e2e"));
  p.drawPolygon(QPolygonF{QPointF(-9, 0), QPointF(-7.4, -0.9), QPointF(-7.4, 0.9)});
  p.setPen(Outline("#8a6a10", 0.8));
  p.setBrush(QColor("#f2c230"));
  p.drawRect(QRectF(-5, -2.2, 9, 4.4));
  p.drawLine(QPointF(-5, 0), QPointF(4, 0));
  p.setBrush(QColor("#b8b8c0"));
  p.drawRect(QRectF(4, -2.2, 1.4, 4.4));
  p.setBrush(QColor("#f08aa0"));
  p.drawRoundedRect(QRectF(5.4, -2.2, 2.4, 4.4), 0.8, 0.8);
}

void DrawNoEntry(QPainter& p) {
  p.setPen(Outline("#8b1a1a"));
  p.setBrush(QColor("#d32f2f"));
  p.drawEllipse(QPointF(8, 8), 7.2, 7.2);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(3.5, 6.6, 9, 2.8), 0.6, 0.6);
}

void DrawInfoBubble(QPainter& p) {
  QPainterPath bubble;
  bubble.addRoundedRect(QRectF(0.5, 0.5, 15, 11), 3, 3);
  QPainterPath tail;
  tail.addPolygon(QPolygonF{QPointF(3.5, 11), QPointF(2.5, 15.5), QPointF(8, 11)});
  tail.closeSubpath();
  p.setPen(Outline("#54657e"));
  p.setBrush(Qt::white);
  p.drawPath(bubble.united(tail));
  // The letter on whole pixels, so that its dot stays apart from its stem.
  const QColor blue("#1e5fc8");
  p.fillRect(QRect(7, 2, 2, 2), blue);
  p.fillRect(QRect(6, 5, 3, 1), blue);
  p.fillRect(QRect(7, 5, 2, 5), blue);
  p.fillRect(QRect(6, 9, 4, 1), blue);
}

}  // namespace

QPixmap DrawPicture(int position) {
  QImage image(kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  switch (position) {
    case 1: DrawDisksAndTower(p); break;
    case 2: DrawClipboard(p); break;
    case 3: DrawGearOverPlate(p); break;
    case 4: DrawPencil(p); break;
    case 5: DrawNoEntry(p); break;
    case 6: DrawInfoBubble(p); break;
    default: break;
  }
  p.end();
  return QPixmap::fromImage(image);
}
