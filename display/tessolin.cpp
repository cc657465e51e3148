#include "tessolin.h"

#include "japanese_fonts.h"
#include "sheet.h"
#include "sheet_painter.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

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

TTessolin::~TTessolin() = default;

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
    return {kolvara::problemWidth(m_fontSize, 3), kolvara::problemHeight(m_fontSize)};
}

// The longer whole number decides the width; the digits written one by one do not.
int TTessolin::wholeDigitCount() const
{
    return std::max(digitCount(m_line1), digitCount(m_line2));
}

// As wide as the longer whole number plus a sign column and two margins.
int TTessolin::ruleWidth() const
{
    return kolvara::problemWidth(m_fontSize, wholeDigitCount());
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

// Boxes and digits are backed with the colour of the sheet they lie on.
QColor TTessolin::fill() const
{
    const QWidget *background = parentWidget() ? parentWidget() : this;
    return background->palette().color(QPalette::Window);
}

void TTessolin::paintProblem(QPainter &painter) const
{
    if (!m_metrics && !m_ownMetrics)
        m_ownMetrics = std::make_unique<QtTextMetrics>();
    const QtTextMetrics &metrics = m_metrics ? *m_metrics : *m_ownMetrics;
    kolvara::ProblemLook look;
    const auto whole = [](const Digits &d) { return 100 * d[0] + 10 * d[1] + d[2]; };
    look.problem =
        kolvara::wholeProblem(m_sign == QLatin1String("-"), whole(m_line1Digits), whole(m_line2Digits));
    look.columns = wholeDigitCount();
    look.boxes = m_showRuledLine;
    look.answers = m_showAnswer;
    look.backings = true;
    // A pixel size from the screen's resolution, so the text keeps its size whatever
    // device the painter draws on (a print scales the painter).
    look.pixelSize = R(m_fontSize * logicalDpiY() / 72.0);
    look.fontSize = m_fontSize;
    look.width = width();
    kolvara::Drawing drawing;
    kolvara::layOutProblem(look, metrics, 0, 0, drawing);
    paintDrawing(painter, drawing, metrics, DrawingTarget::Screen,
                 {palette().color(QPalette::WindowText), fill()});
}
