#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QPainter;
class QtTextMetrics;

// One column-arithmetic problem as a pupil writes it on paper: the upper
// number, the sign with the lower number, a rule, and the answer, optionally
// inside dotted place-value boxes. Setters store and ask for a repaint; the
// width follows the whole numbers and the font size, the answer the digits
// and the sign, as soon as they change, so painting (on screen or into a
// print) only draws.
class TTessolin : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint16 ValueLine1 READ ValueLine1 WRITE setValueLine1)
    Q_PROPERTY(quint8 ValueLine1_1 READ ValueLine1_1 WRITE setValueLine1_1)
    Q_PROPERTY(quint8 ValueLine1_10 READ ValueLine1_10 WRITE setValueLine1_10)
    Q_PROPERTY(quint8 ValueLine1_100 READ ValueLine1_100 WRITE setValueLine1_100)
    Q_PROPERTY(QString Sign READ Sign WRITE setSign)
    Q_PROPERTY(quint16 ValueLine2 READ ValueLine2 WRITE setValueLine2)
    Q_PROPERTY(quint8 ValueLine2_1 READ ValueLine2_1 WRITE setValueLine2_1)
    Q_PROPERTY(quint8 ValueLine2_10 READ ValueLine2_10 WRITE setValueLine2_10)
    Q_PROPERTY(quint8 ValueLine2_100 READ ValueLine2_100 WRITE setValueLine2_100)
    Q_PROPERTY(quint16 ValueAnswer READ ValueAnswer)
    Q_PROPERTY(bool ShowRuledLine READ ShowRuledLine WRITE setShowRuledLine)
    Q_PROPERTY(bool ShowAnswer READ ShowAnswer WRITE setShowAnswer)
    Q_PROPERTY(quint8 FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE setShowHint)

public:
    explicit TTessolin(QWidget *owner = nullptr);
    ~TTessolin() override;

    quint16 ValueLine1() const { return m_line1; }
    quint8 ValueLine1_1() const { return m_line1Digits[2]; }
    quint8 ValueLine1_10() const { return m_line1Digits[1]; }
    quint8 ValueLine1_100() const { return m_line1Digits[0]; }
    QString Sign() const { return m_sign; }
    quint16 ValueLine2() const { return m_line2; }
    quint8 ValueLine2_1() const { return m_line2Digits[2]; }
    quint8 ValueLine2_10() const { return m_line2Digits[1]; }
    quint8 ValueLine2_100() const { return m_line2Digits[0]; }
    quint16 ValueAnswer() const { return m_answer; }
    bool ShowRuledLine() const { return m_showRuledLine; }
    bool ShowAnswer() const { return m_showAnswer; }
    quint8 FontSize() const { return m_fontSize; }
    bool ShowHint() const { return m_showHint; }

    void setValueLine1(quint16 value);
    void setValueLine1_1(quint8 digit) { setDigit(m_line1Digits[2], digit); }
    void setValueLine1_10(quint8 digit) { setDigit(m_line1Digits[1], digit); }
    void setValueLine1_100(quint8 digit) { setDigit(m_line1Digits[0], digit); }
    void setSign(const QString &sign);
    void setValueLine2(quint16 value);
    void setValueLine2_1(quint8 digit) { setDigit(m_line2Digits[2], digit); }
    void setValueLine2_10(quint8 digit) { setDigit(m_line2Digits[1], digit); }
    void setValueLine2_100(quint8 digit) { setDigit(m_line2Digits[0], digit); }
    void setShowRuledLine(bool show);
    void setShowAnswer(bool show);
    void setFontSize(quint8 size);
    void setShowHint(bool show) { m_showHint = show; }

    // The measurements to draw with, shared by the controls of a sheet; without them the
    // control makes its own.
    void setTextMetrics(const QtTextMetrics *metrics) { m_metrics = metrics; }

    // Thousands, hundreds, tens, ones; all zero for a negative difference.
    std::array<quint8, 4> answerDigits() const { return m_answerDigits; }
    int repaintRequestCount() const { return m_repaintRequests; }

    QSize sizeHint() const override;

    // Draws the whole problem in the control's own pixel coordinates.
    void paintProblem(QPainter &painter) const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    using Digits = std::array<quint8, 3>; // hundreds, tens, ones

    void requestRepaint();
    template <typename T>
    bool store(T &field, const T &value);
    void setDigit(quint8 &field, quint8 digit);
    void setWhole(quint16 &field, Digits &digits, quint16 value);

    int wholeDigitCount() const;
    int ruleWidth() const;
    void deriveAnswer();
    QColor fill() const;

    quint16 m_line1 = 0;
    Digits m_line1Digits{};
    QString m_sign;
    quint16 m_line2 = 0;
    Digits m_line2Digits{};
    quint16 m_answer = 0;
    std::array<quint8, 4> m_answerDigits{};
    bool m_answerNegative = false;
    bool m_showRuledLine = false;
    bool m_showAnswer = false;
    quint8 m_fontSize = 0;
    bool m_showHint = false;

    int m_repaintRequests = 0;
    const QtTextMetrics *m_metrics = nullptr;
    mutable std::unique_ptr<QtTextMetrics> m_ownMetrics;
};
