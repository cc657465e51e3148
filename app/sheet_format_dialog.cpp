#include "sheet_format_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QString toQt(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QCheckBox *option(const QString &caption, const QString &hint, bool checked)
{
    auto *box = new QCheckBox(caption);
    box->setToolTip(hint);
    box->setChecked(checked);
    return box;
}

}  // namespace

SheetFormatDialog::SheetFormatDialog(const kolvara::SheetFormat &format, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("シートの形式"));
    auto *form = new QFormLayout;

    step_ = new QComboBox;
    step_->addItem(QStringLiteral("（いまの設定のまま）"));
    for (const kolvara::NamedStep &step : kolvara::NamedSteps)
        if (kolvara::settingsOf(step)) {
            steps_.push_back(&step);
            step_->addItem(toQt(step.name));
        }
    step_->setToolTip(QStringLiteral("選ぶと、OKで設定がその段階の問題に変わります。"));
    auto *stepLabel = new QLabel(QStringLiteral("練習の段階(&S):"));
    stepLabel->setBuddy(step_);
    form->addRow(stepLabel, step_);

    perPage_ = new QComboBox;
    perPage_->addItem(QStringLiteral("画面と同じ（20または28）"), 0);
    for (auto it = kolvara::SmallerPages.rbegin(); it != kolvara::SmallerPages.rend(); ++it)
        perPage_->addItem(QString::number(*it), *it);
    perPage_->setCurrentIndex(std::max(0, perPage_->findData(format.perPage)));
    perPage_->setToolTip(QStringLiteral("問題を少なくすると、数字とわくが大きくなります。"));
    auto *perPageLabel = new QLabel(QStringLiteral("1ページの問題数(&M):"));
    perPageLabel->setBuddy(perPage_);
    form->addRow(perPageLabel, perPage_);

    helperBoxes_ = option(QStringLiteral("補助数字のわく(&H)"),
                          QStringLiteral("くり上がり・くり下がりの数字を書く小さなわくを、問題の上に付けます。"),
                          format.helperBoxes);
    redAnswers_ = option(QStringLiteral("答えを赤で(&R)"),
                         QStringLiteral("解答のページの答えと補助数字を赤で印刷します。"), format.redAnswers);
    answerLabel_ = option(QStringLiteral("解答のページに「こたえ」(&A)"),
                          QStringLiteral("解答のページの見出しの横に「こたえ」と印刷します。"), format.answerLabel);
    classLine_ = option(QStringLiteral("組・番の欄(&C)"), QStringLiteral("なまえの前に組と番を書く欄を付けます。"),
                        format.classLine);
    score_ = option(QStringLiteral("点数の欄(&P)"), QStringLiteral("右上に点数を書く欄を付けます。"), format.score);
    numbers_ = option(QStringLiteral("問題番号(&N)"), QStringLiteral("問題の左上に (1) (2) … と番号を付けます。"),
                      format.numbers);
    for (QCheckBox *box : {helperBoxes_, redAnswers_, answerLabel_, classLine_, score_, numbers_})
        form->addRow(box);

    auto *note = new QLabel(QStringLiteral("印刷とPDF保存のページに使われます。問題数は画面にも使われます。"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

kolvara::SheetFormat SheetFormatDialog::format() const
{
    kolvara::SheetFormat f;
    f.helperBoxes = helperBoxes_->isChecked();
    f.redAnswers = redAnswers_->isChecked();
    f.answerLabel = answerLabel_->isChecked();
    f.classLine = classLine_->isChecked();
    f.score = score_->isChecked();
    f.numbers = numbers_->isChecked();
    f.perPage = perPage_->currentData().toInt();
    return f;
}

const kolvara::NamedStep *SheetFormatDialog::step() const
{
    const int index = step_->currentIndex() - 1;
    return index >= 0 && index < int(steps_.size()) ? steps_[std::size_t(index)] : nullptr;
}
