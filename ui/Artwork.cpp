#include "ui/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace kestrin::ui {
namespace {

QPixmap Transparent(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Grey tones of the same picture for a disabled control.
QPixmap Greyed(const QPixmap& source) {
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 150 + qGray(line[x]) * 90 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return QPixmap::fromImage(image);
}

void Person(QPainter& p, QPointF head, qreal scale, const QColor& body, const QColor& hair,
            bool tie) {
    p.setPen(QPen(QColor(60, 45, 35), 0.6 * scale));
    p.setBrush(body);
    QPainterPath torso;
    torso.moveTo(head.x() - 6 * scale, head.y() + 16 * scale);
    torso.quadTo(head.x() - 6 * scale, head.y() + 5 * scale, head.x(), head.y() + 5 * scale);
    torso.quadTo(head.x() + 6 * scale, head.y() + 5 * scale, head.x() + 6 * scale,
                 head.y() + 16 * scale);
    torso.closeSubpath();
    p.drawPath(torso);
    if (tie) {
        p.setBrush(QColor(200, 20, 30));
        p.setPen(Qt::NoPen);
        QPolygonF shape;
        shape << QPointF(head.x() - 1 * scale, head.y() + 5.5 * scale)
              << QPointF(head.x() + 1 * scale, head.y() + 5.5 * scale)
              << QPointF(head.x() + 1.5 * scale, head.y() + 12 * scale)
              << QPointF(head.x(), head.y() + 13.5 * scale)
              << QPointF(head.x() - 1.5 * scale, head.y() + 12 * scale);
        p.drawPolygon(shape);
    }
    p.setPen(QPen(QColor(120, 80, 60), 0.5 * scale));
    p.setBrush(QColor(250, 214, 180));
    p.drawEllipse(head, 3.6 * scale, 4 * scale);
    p.setPen(Qt::NoPen);
    p.setBrush(hair);
    p.drawChord(QRectF(head.x() - 3.8 * scale, head.y() - 4.3 * scale, 7.6 * scale, 6 * scale), 0,
                180 * 16);
}

} // namespace

QPixmap FolderWithPage(int size) {
    QPixmap pixmap = Transparent(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(6, 14);
    back.lineTo(24, 14);
    back.lineTo(28, 10);
    back.lineTo(56, 10);
    back.lineTo(58, 56);
    back.lineTo(6, 56);
    back.closeSubpath();
    QLinearGradient backFill(0, 10, 0, 56);
    backFill.setColorAt(0, QColor(120, 185, 235));
    backFill.setColorAt(1, QColor(60, 130, 200));
    p.setPen(QPen(QColor(40, 95, 160), 1));
    p.setBrush(backFill);
    p.drawPath(back);
    // The page, with rings along its left edge and ruled lines.
    const QRectF page(14, 6, 36, 44);
    p.setPen(QPen(QColor(150, 150, 160), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QPen(QColor(120, 160, 210), 0.9));
    for (qreal y = 14; y < 48; y += 4.5) {
        p.drawLine(QPointF(20, y), QPointF(47, y));
    }
    p.setPen(QPen(QColor(110, 110, 120), 1.2));
    p.setBrush(Qt::NoBrush);
    for (qreal y = 10; y < 48; y += 6) {
        p.drawEllipse(QPointF(14, y), 2.2, 1.6);
    }
    // Front of the folder, lower than the page.
    QPainterPath front;
    front.moveTo(4, 28);
    front.lineTo(60, 28);
    front.lineTo(56, 58);
    front.lineTo(8, 58);
    front.closeSubpath();
    QLinearGradient frontFill(0, 28, 0, 58);
    frontFill.setColorAt(0, QColor(170, 215, 250, 235));
    frontFill.setColorAt(1, QColor(90, 160, 225, 245));
    p.setPen(QPen(QColor(40, 95, 160), 1));
    p.setBrush(frontFill);
    p.drawPath(front);
    p.setPen(QPen(QColor(255, 255, 255, 140), 1));
    p.drawLine(QPointF(7, 30), QPointF(57, 30));
    return pixmap;
}

QPixmap CrossPicture(bool enabled) {
    QPixmap pixmap = Transparent(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath cross;
    cross.setFillRule(Qt::WindingFill);
    for (const qreal angle : {45.0, -45.0}) {
        QTransform turn;
        turn.translate(16, 16);
        turn.rotate(angle);
        QPainterPath bar;
        bar.addRoundedRect(QRectF(-13, -4, 26, 8), 3, 3);
        cross.addPath(turn.map(bar));
    }
    QLinearGradient fill(0, 3, 0, 29);
    fill.setColorAt(0, QColor(255, 120, 110));
    fill.setColorAt(0.5, QColor(220, 30, 30));
    fill.setColorAt(1, QColor(150, 0, 0));
    p.setPen(QPen(QColor(110, 0, 0), 1));
    p.setBrush(fill);
    p.drawPath(cross.simplified());
    // The gloss on the upper half.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QRectF(9, 5, 14, 7));
    p.end();
    return enabled ? pixmap : Greyed(pixmap);
}

QPixmap PeoplePicture(bool enabled) {
    QPixmap pixmap = Transparent(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Person(p, QPointF(9, 9), 1.0, QColor(200, 80, 150), QColor(150, 90, 30),
           false); // woman on the left
    Person(p, QPointF(23, 8), 1.05, QColor(235, 240, 250), QColor(60, 40, 25),
           true); // man in shirt and tie
    Person(p, QPointF(16, 17), 0.8, QColor(70, 150, 70), QColor(210, 170, 60),
           false); // child in front
    p.end();
    return enabled ? pixmap : Greyed(pixmap);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(FolderWithPage(size));
    }
    return icon;
}

} // namespace kestrin::ui
