#include "tessolin.h"

#include "japanese_fonts.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

enum Line { UpperLine, LowerLine, AnswerLine };

// Rounds halves to the even neighbour (the default floating-point rounding mode).
int R(double x)
{
    return int(std::nearbyint(x));
}

int digitCount(int value)
{
    return value < 10 ? 1 : value < 100 ? 2 : 3;
}

} // namespace

TTessolin::TTessolin(QWidget *owner)
    : QWidget(owner)
{
    // Resolved once: looking up a face by a name the system lacks costs on every paint.
    setFont(QFont(QFont::substitute(QString::fromUtf8(problemFaceName))));
    m_fontSize = 32;
    resize(148, 139);
    m_line1Digits = {7, 8, 9};
    setValueLine1(789);
    setSign(QStringLiteral("+"));
    m_line2Digits = {4, 5, 6};
    setValueLine2(456);
    m_showRuledLine = true;
    m_showAnswer = true;
}

void TTessolin::requestRepaint()
{
    ++m_repaintRequests;
    update();
}

// Stores a changed value and asks for a repaint; an equal value changes nothing.
template <typename T>
bool TTessolin::store(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    requestRepaint();
    return true;
}

// A digit does not move the whole number, so the width stays; the answer follows it.
void TTessolin::setDigit(quint8 &field, quint8 digit)
{
    if (store(field, std::min<quint8>(digit, 9)))
        deriveAnswer();
}

void TTessolin::setWhole(quint16 &field, Digits &digits, quint16 value)
{
    value = std::min<quint16>(value, 999);
    if (value == field)
        return;
    field = value;
    digits = {quint8(value / 100), quint8(value / 10 % 10), quint8(value % 10)};
    if (const int w = ruleWidth(); w != width())
        resize(w, height());
    deriveAnswer();
    requestRepaint();
}

void TTessolin::setValueLine1(quint16 value)
{
    setWhole(m_line1, m_line1Digits, value);
}

void TTessolin::setValueLine2(quint16 value)
{
    setWhole(m_line2, m_line2Digits, value);
}

void TTessolin::setSign(const QString &sign)
{
    if (store(m_sign, sign == QLatin1String("-") ? sign : QStringLiteral("+")))
        deriveAnswer();
}

void TTessolin::setShowRuledLine(bool show)
{
    store(m_showRuledLine, show);
}

void TTessolin::setShowAnswer(bool show)
{
    store(m_showAnswer, show);
}

void TTessolin::setFontSize(quint8 size)
{
    if (size == m_fontSize)
        return;
    m_fontSize = size;
    resize(ruleWidth(), sizeHint().height());
    requestRepaint();
}

QSize TTessolin::sizeHint() const
{
    return {4 * m_fontSize + 20, R(m_fontSize * 1.5 * 3) - 5};
}

// The longer whole number decides the width; the digits written one by one do not.
int TTessolin::wholeDigitCount() const
{
    return std::max(digitCount(m_line1), digitCount(m_line2));
}

// As wide as the longer whole number plus a sign column and two margins.
int TTessolin::ruleWidth() const
{
    return (wholeDigitCount() + 1) * m_fontSize + 20;
}

// The digits as shown make the answer, whatever the whole numbers say.
void TTessolin::deriveAnswer()
{
    const auto whole = [](const Digits &d) { return 100 * d[0] + 10 * d[1] + d[2]; };
    const int a = whole(m_line1Digits);
    const int b = whole(m_line2Digits);
    const int result = m_sign == QLatin1String("-") ? a - b : a + b;
    m_answer = quint16(result);
    m_answerNegative = result < 0;
    const int shown = std::max(result, 0);
    m_answerDigits = {quint8(shown / 1000), quint8(shown / 100 % 10),
                      quint8(shown / 10 % 10), quint8(shown % 10)};
}

bool TTessolin::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !m_showHint)
        return true; // swallowed: no tooltip at all
    return QWidget::event(event);
}

void TTessolin::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click on the sheet itself draws new problems; one on a problem must not.
    event->accept();
}

void TTessolin::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintProblem(painter);
}

// Text cell of a place: columns are counted from the ones at the right.
QRect TTessolin::cell(int line, int column) const
{
    const int fs = m_fontSize;
    const int bottom = R(fs * 1.5 * (line + 1)) - (2 * line + 1);
    const int top = line == UpperLine ? 1 : R(fs * 1.5 * line) - 2 * line;
    const int left = width() - (column + 1) * fs - 10;
    return QRect(left, top, fs, bottom - top);
}

// Boxes and digits are backed with the colour of the sheet they lie on.
QColor TTessolin::fill() const
{
    const QWidget *background = parentWidget() ? parentWidget() : this;
    return background->palette().color(QPalette::Window);
}

void TTessolin::paintProblem(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A pixel size from the screen's resolution, so the text keeps its size
    // whatever device the painter draws on (the print run scales the painter).
    QFont face(font().family());
    face.setPixelSize(R(m_fontSize * logicalDpiY() / 72.0));
    painter.setFont(face);

    drawNumber(painter, UpperLine, m_line1Digits);
    drawCellText(painter, LowerLine, wholeDigitCount(), m_sign);
    drawNumber(painter, LowerLine, m_line2Digits);

    // A negative difference has no digits to show, only the empty ones box.
    const bool hasAnswer = !m_answerNegative;
    bool present = false;
    for (int column = 3; column >= 0; --column) {
        const quint8 digit = m_answerDigits[3 - column];
        present = present || digit != 0 || column == 0;
        if (present)
            drawPlace(painter, AnswerLine, column,
                      m_showAnswer && hasAnswer ? QString::number(digit) : QString());
    }

    const int ruleY = R(m_fontSize * 3.0) - 5;
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.drawLine(0, ruleY, width() - 1, ruleY);
    painter.restore();
}

// A leading zero is left blank, with no box; the ones are always written.
void TTessolin::drawNumber(QPainter &painter, int line, const Digits &digits) const
{
    if (digits[0] != 0)
        drawPlace(painter, line, 2, QString::number(digits[0]));
    if (digits[0] != 0 || digits[1] != 0)
        drawPlace(painter, line, 1, QString::number(digits[1]));
    drawPlace(painter, line, 0, QString::number(digits[2]));
}

void TTessolin::drawPlace(QPainter &painter, int line, int column, const QString &text) const
{
    if (m_showRuledLine)
        drawBox(painter, line, column);
    if (!text.isEmpty())
        drawCellText(painter, line, column, text);
}

// The box sits one pixel up and left of the cell, so neighbouring boxes share edges.
void TTessolin::drawBox(QPainter &painter, int line, int column) const
{
    const QRect box = cell(line, column).adjusted(-1, -1, 0, -1);
    painter.fillRect(box.adjusted(1, 1, -1, -1), fill());
    QPen dotted(Qt::black, 1, Qt::CustomDashLine, Qt::FlatCap);
    dotted.setDashPattern({1, 1});
    painter.setPen(dotted);
    painter.drawLine(box.topLeft(), box.topRight());
    painter.drawLine(box.topRight(), box.bottomRight());
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.topLeft(), box.bottomLeft());
}

void TTessolin::drawCellText(QPainter &painter, int line, int column, const QString &text) const
{
    // The opaque backing is one character (em) high and as wide as the text,
    // so it covers what lies under the text but spares the box's bottom edge.
    const QRect area = cell(line, column);
    const int advance = painter.fontMetrics().horizontalAdvance(text);
    const QRect backing(area.left() + (area.width() - advance) / 2, area.top(), advance,
                        painter.font().pixelSize());
    painter.fillRect(backing & area, fill());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, text);
}
