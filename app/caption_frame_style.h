#pragma once

#include <QProxyStyle>

// The stored layout places the options of a group box as if the frame ran through the
// middle of the caption; Fusion starts it below the caption, across the first option.
// This style draws the frame from half the caption's height and keeps it off the caption,
// with the caption set in a little from the left so that a neighbour's frame ending at the
// box's left edge does not run into the caption's first character.
class CaptionFrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
};

// Makes the style the application's, over the style Qt would use. Call once, after the
// application object exists.
void installCaptionFrameStyle();
