#pragma once

#include <QWidget>

namespace kestrin::ui {

// The background panel: a vertical gradient with a radial glow and a square border.
class TAdvSmoothPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The picture with its mirror image fading away beneath it.
class TAdvReflectionImage : public QWidget {
    Q_OBJECT
public:
    explicit TAdvReflectionImage(QWidget* parent = nullptr) : QWidget(parent) {}
    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }
    const QImage& Reflection() const { return reflection_; }

    static constexpr int kStartOpacity = 127;
    static constexpr int kFadeRows = 100;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QImage reflection_;
};

} // namespace kestrin::ui
