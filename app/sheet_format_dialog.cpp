#include "sheet_format_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

using kolvara::SheetOptionRow;

QString toQt(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

const SheetOptionRow &row(std::string_view key)
{
    static const SheetOptionRow none{};
    for (const SheetOptionRow &r : kolvara::sheetOptionRows())
        if (r.key == key)
            return r;
    return none;
}

// The caption with its accelerator: "補助数字のわく(&H)".
QString caption(const SheetOptionRow &r)
{
    QString text = toQt(r.caption);
    if (r.accelerator)
        text += QStringLiteral("(&%1)").arg(QChar::fromLatin1(r.accelerator));
    return text;
}

// A captioned switch that turns something of the page's format on and off and nothing
// else: each such row of the table is a box here.
bool isFormatSwitch(const SheetOptionRow &r)
{
    if (r.kind != kolvara::OptionKind::Switch || r.caption.empty() || r.addressOnly || !r.read)
        return false;
    const kolvara::SheetRequest before;
    kolvara::SheetRequest on, off;
    r.read(on, r.key, {});
    r.read(off, r.key, kolvara::SwitchOff);
    const bool formatChanged = on.format != off.format;
    on.format = off.format = before.format;
    return formatChanged && on == before && off == before;
}

QLabel *labelFor(const SheetOptionRow &r, QWidget *buddy)
{
    buddy->setToolTip(toQt(r.hint));
    auto *label = new QLabel(caption(r) + u':');
    label->setBuddy(buddy);
    return label;
}

}  // namespace

SheetFormatDialog::SheetFormatDialog(const kolvara::SheetFormat &format, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("シートの形式"));
    auto *form = new QFormLayout;

    step_ = new QComboBox;
    step_->addItem(toQt(row("step").unsetCaption));
    for (const kolvara::NamedStep &step : kolvara::NamedSteps)
        if (kolvara::settingsOf(step)) {
            steps_.push_back(&step);
            step_->addItem(toQt(step.name));
        }
    form->addRow(labelFor(row("step"), step_), step_);

    perPage_ = new QComboBox;
    perPage_->addItem(toQt(row("per-page").unsetCaption), 0);
    for (auto it = kolvara::SmallerPages.rbegin(); it != kolvara::SmallerPages.rend(); ++it)
        perPage_->addItem(QString::number(*it), *it);
    perPage_->setCurrentIndex(std::max(0, perPage_->findData(format.perPage)));
    form->addRow(labelFor(row("per-page"), perPage_), perPage_);

    kolvara::SheetRequest current;
    current.format = format;

    // The list's entry whose word gives the format it has.
    const SheetOptionRow &boxes = row("answer-boxes");
    answerBoxes_ = new QComboBox;
    const QStringList words = toQt(boxes.valueName).split(u'|'), captions = toQt(boxes.valueCaptions).split(u'|');
    for (qsizetype i = 0; i < words.size(); ++i) {
        answerBoxes_->addItem(i < captions.size() ? captions[i] : words[i], words[i]);
        kolvara::SheetRequest probe = current;
        if (boxes.read(probe, boxes.key, words[i].toStdString()).empty() && probe == current)
            answerBoxes_->setCurrentIndex(int(i));
    }
    form->addRow(labelFor(boxes, answerBoxes_), answerBoxes_);

    for (const SheetOptionRow &r : kolvara::sheetOptionRows()) {
        if (!isFormatSwitch(r))
            continue;
        auto *box = new QCheckBox(caption(r));
        box->setToolTip(toQt(r.hint));
        box->setChecked(!r.write(current).empty());
        switches_.emplace_back(&r, box);
        form->addRow(box);
    }

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
    kolvara::SheetRequest chosen;
    chosen.format = {};
    for (const auto &[r, box] : switches_)
        r->read(chosen, r->key, box->isChecked() ? std::string_view() : kolvara::SwitchOff);
    const SheetOptionRow &boxes = row("answer-boxes");
    boxes.read(chosen, boxes.key, answerBoxes_->currentData().toString().toStdString());
    chosen.format.perPage = perPage_->currentData().toInt();
    return chosen.format;
}

const kolvara::NamedStep *SheetFormatDialog::step() const
{
    const int index = step_->currentIndex() - 1;
    return index >= 0 && index < int(steps_.size()) ? steps_[std::size_t(index)] : nullptr;
}
