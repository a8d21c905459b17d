#include "ui/SmoothPanel.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace kestrin::ui {

void TAdvSmoothPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, QColor(191, 191, 191));
    fill.setColorAt(1, QColor(145, 145, 145));
    p.fillRect(rect(), fill);
    QRadialGradient glow(width() / 2.0, 0, width() * 0.6);
    glow.setColorAt(0, QColor(255, 255, 255, 70));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(rect(), glow);
    p.setPen(QColor(109, 109, 109));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TAdvReflectionImage::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    // Row i below the picture's lower edge: opacity 127 * (100 - i) / 100 times the picture's own
    // alpha.
    const QImage source = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    const int rows = std::min(source.height(), kFadeRows);
    reflection_ = QImage(source.width(), rows, QImage::Format_ARGB32);
    for (int i = 0; i < rows; ++i) {
        const auto* from =
            reinterpret_cast<const QRgb*>(source.constScanLine(source.height() - 1 - i));
        auto* to = reinterpret_cast<QRgb*>(reflection_.scanLine(i));
        const int opacity =
            static_cast<int>(std::lround(kStartOpacity * (kFadeRows - i) / double(kFadeRows)));
        for (int x = 0; x < source.width(); ++x) {
            to[x] = qRgba(qRed(from[x]), qGreen(from[x]), qBlue(from[x]),
                          qAlpha(from[x]) * opacity / 255);
        }
    }
    update();
}

void TAdvReflectionImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
    p.drawImage(0, picture_.height(), reflection_);
}

} // namespace kestrin::ui
