#include "caption_frame_style.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionGroupBox>

namespace {

constexpr int CaptionIndent = 6;

bool framedBox(QStyle::ComplexControl control, const QStyleOptionComplex *option)
{
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    return control == QStyle::CC_GroupBox && box && !(box->features & QStyleOptionFrame::Flat);
}

}  // namespace

QRect CaptionFrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                        SubControl subControl, const QWidget *widget) const
{
    const QRect rect = QProxyStyle::subControlRect(control, option, subControl, widget);
    if (!framedBox(control, option) || (subControl != SC_GroupBoxLabel && subControl != SC_GroupBoxCheckBox))
        return rect;
    if (option->direction == Qt::RightToLeft)
        return rect;
    // Label and check box move together, never past the box's right edge.
    QRect caption = QProxyStyle::subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (option->subControls & SC_GroupBoxCheckBox)
        caption |= QProxyStyle::subControlRect(control, option, SC_GroupBoxCheckBox, widget);
    const int missing = CaptionIndent - (caption.left() - option->rect.left());
    const int shift = qMax(0, qMin(missing, option->rect.right() - caption.right()));
    return rect.translated(shift, 0);
}

void CaptionFrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                           QPainter *painter, const QWidget *widget) const
{
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    // A flat box is a single line already; everything else is the base style's.
    if (!framedBox(control, option) || !(box->subControls & SC_GroupBoxFrame)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    QRect caption;
    if ((box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty())
        caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxCheckBox)
        caption |= subControlRect(CC_GroupBox, box, SC_GroupBoxCheckBox, widget);

    QRect frame = box->rect.adjusted(0, 0, -1, -1);
    painter->save();
    if (!caption.isEmpty()) {
        frame.setTop(caption.top() + caption.height() / 2);
        // A little air either side, so the line stops short of the first and last glyph.
        painter->setClipRegion(QRegion(box->rect) - QRegion(caption.adjusted(-2, 0, 2, 0)), Qt::IntersectClip);
    }
    // Fusion's own shades: a faint well inside a soft line.
    const QColor window = box->palette.window().color();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(window.darker(111));
    painter->setBrush(window.darker(103));
    painter->drawRect(frame);
    painter->restore();

    QStyleOptionGroupBox rest(*box);
    rest.subControls &= ~SC_GroupBoxFrame;
    QProxyStyle::drawComplexControl(control, &rest, painter, widget);
}

void installCaptionFrameStyle()
{
    // Without a base the proxy wraps the style Qt would have chosen (Fusion, or the
    // desktop's); QApplication owns it from here on.
    QApplication::setStyle(new CaptionFrameStyle);
}
