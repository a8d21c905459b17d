#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QVariantAnimation>

namespace kestrin::ui {

// The colours of one state of a glow button: upper and lower gradient and border.
struct GlowColours {
    QColor UpperTop, UpperBottom, LowerTop, LowerBottom, Border;
};

// A rounded button with a two-part vertical gradient; the change between normal, mouse-over
// and pressed colours is blended in steps.
class TAdvGlowButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TAdvGlowButton(QWidget* parent = nullptr);

    void SetPictures(const QPixmap& normal, const QPixmap& disabled);
    QSize sizeHint() const override { return {150, 41}; }

    static const GlowColours kNormal, kHover, kPressed, kDisabled;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BlendTo(const GlowColours& target);

    QPixmap picture_, disabledPicture_;
    GlowColours from_, to_, shown_;
    QVariantAnimation blend_;
};

} // namespace kestrin::ui
