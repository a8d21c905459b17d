#include "ui/GlowButton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>

namespace kestrin::ui {
namespace {

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

GlowColours Mix(const GlowColours& a, const GlowColours& b, qreal t) {
    return {Mix(a.UpperTop, b.UpperTop, t), Mix(a.UpperBottom, b.UpperBottom, t),
            Mix(a.LowerTop, b.LowerTop, t), Mix(a.LowerBottom, b.LowerBottom, t),
            Mix(a.Border, b.Border, t)};
}

} // namespace

const GlowColours TAdvGlowButton::kNormal = {
    {191, 191, 191}, {145, 145, 145}, {145, 145, 145}, {145, 145, 145}, {109, 109, 109}};
const GlowColours TAdvGlowButton::kHover = {
    {253, 227, 138}, {253, 249, 217}, {253, 249, 217}, {253, 227, 138}, {241, 202, 88}};
const GlowColours TAdvGlowButton::kPressed = {
    {255, 208, 108}, {255, 238, 123}, {255, 238, 123}, {255, 208, 108}, {194, 138, 48}};
const GlowColours TAdvGlowButton::kDisabled = {
    {242, 242, 242}, {242, 242, 242}, {182, 182, 182}, {242, 242, 242}, {109, 109, 109}};

TAdvGlowButton::TAdvGlowButton(QWidget* parent)
    : QAbstractButton(parent), from_(kNormal), to_(kNormal), shown_(kNormal) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    blend_.setDuration(150);
    blend_.setStartValue(0.0);
    blend_.setEndValue(1.0);
    connect(&blend_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        shown_ = Mix(from_, to_, value.toReal());
        update();
    });
    connect(this, &QAbstractButton::pressed, this, [this] { BlendTo(kPressed); });
    connect(this, &QAbstractButton::released, this,
            [this] { BlendTo(underMouse() ? kHover : kNormal); });
}

void TAdvGlowButton::SetPictures(const QPixmap& normal, const QPixmap& disabled) {
    picture_ = normal;
    disabledPicture_ = disabled;
    update();
}

void TAdvGlowButton::BlendTo(const GlowColours& target) {
    blend_.stop();
    from_ = shown_;
    to_ = target;
    blend_.start();
}

void TAdvGlowButton::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        BlendTo(isDown() ? kPressed : kHover);
    }
    QAbstractButton::enterEvent(event);
}

void TAdvGlowButton::leaveEvent(QEvent* event) {
    if (isEnabled()) {
        BlendTo(kNormal);
    }
    QAbstractButton::leaveEvent(event);
}

void TAdvGlowButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        blend_.stop();
        shown_ = from_ = to_ = kNormal; // disabled colours are drawn from the state itself
        update();
    }
    QAbstractButton::changeEvent(event);
}

void TAdvGlowButton::paintEvent(QPaintEvent*) {
    const GlowColours& colours = isEnabled() ? shown_ : kDisabled;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(frame, 3, 3);
    QLinearGradient fill(0, frame.top(), 0, frame.bottom());
    fill.setColorAt(0, colours.UpperTop);
    fill.setColorAt(0.499, colours.UpperBottom);
    fill.setColorAt(0.5, colours.LowerTop);
    fill.setColorAt(1, colours.LowerBottom);
    p.fillPath(shape, fill);
    p.setPen(QPen(colours.Border, 1));
    p.drawPath(shape);

    // Picture to the left of the caption, 2 pixels apart, the pair centred.
    const QPixmap& picture = isEnabled() ? picture_ : disabledPicture_;
    p.setFont(font());
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int pictureWidth =
        picture.isNull() ? 0 : picture.width() / picture.devicePixelRatio() + 2;
    int x = (width() - pictureWidth - textWidth) / 2;
    if (!picture.isNull()) {
        p.drawPixmap(x, (height() - 32) / 2, picture);
        x += pictureWidth;
    }
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : QColor(141, 141, 141));
    p.drawText(QRect(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

} // namespace kestrin::ui
