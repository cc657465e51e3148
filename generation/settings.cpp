#include "settings.h"

#include "texts.h"

namespace kolvara {

namespace {

// An option's entry in the kind-indexed text tables: its carry mode or its digit kind.
std::size_t textIndexOf(Option option)
{
    const int value = valueOf(option);
    return isCarryGroup(groupOf(option)) ? texts::textIndex(CarryMode(value)) : texts::textIndex(DigitKind(value));
}

using G = OptionGroup;
using O = Option;

}  // namespace

Settings settingsCombination(int index)
{
    auto next = [&index] {
        const int value = index % 3;
        index /= 3;
        return std::uint8_t(value);
    };
    Settings s;
    s.DigitKind1_100 = next(), s.DigitKind1_10 = next(), s.DigitKind1_1 = next();
    s.DigitKind2_100 = next(), s.DigitKind2_10 = next(), s.DigitKind2_1 = next();
    s.CarryMode_1 = next(), s.CarryMode_10 = next(), s.CarryMode_100 = next();
    s.IsSubtraction = std::uint8_t(index);
    return s;
}

int problemsPerRowFor(const Settings &s)
{
    const bool oneDigitEach = s.DigitKind1_100 == Zero && s.DigitKind1_10 == Zero && s.DigitKind2_100 == Zero &&
                              s.DigitKind2_10 == Zero;
    return oneDigitEach ? 7 : 5;
}

std::string_view captionOf(Option option) { return texts::OptionCaption[textIndexOf(option)]; }
std::string_view hintOf(Option option) { return texts::OptionHint[textIndexOf(option)]; }
std::string_view statusTextOf(Option option) { return texts::StatusText[textIndexOf(option)]; }

ProblemSettings::ProblemSettings()
{
    // The window's stored layout: "－" selected, Zero for the upper tens and hundreds.
    // The settings variables themselves start at 0 until the start sequence sets them.
    settings_ = Settings{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    selection_ = {Zero, Zero, All, All, All, All, Konzai, Konzai, Konzai};
    operationItem_ = 1;
}

void ProblemSettings::start()
{
    setDefaultSettings();
    setDefaultStatusTexts();
    selectDefaultOptions();
}

void ProblemSettings::setDefaultSettings() { settings_ = Settings{}; }

void ProblemSettings::setDefaultStatusTexts()
{
    for (int g = 0; g < OptionGroupCount; ++g)
        statusTexts_[g] = std::string(isCarryGroup(G(g)) ? texts::statusText(Konzai) : texts::statusText(All));
}

void ProblemSettings::selectDefaultOptions()
{
    selectOperation(0);
    for (Option o : {O::RadioButton1_1All, O::RadioButton1_10All, O::RadioButton1_100All, O::RadioButton2_1All,
                     O::RadioButton2_10All, O::RadioButton2_100All, O::RadioButtonKuriAgariSagariKonzai_100,
                     O::RadioButtonKuriAgariSagariKonzai_10, O::RadioButtonKuriAgariSagariKonzai_1})
        SelectOption(o);
}

ProblemSettings ProblemSettings::makeDefault()
{
    ProblemSettings model;
    model.start();
    return model;
}

bool ProblemSettings::isSelected(Option option) const
{
    return selection_[std::size_t(groupOf(option))] == valueOf(option);
}

Option ProblemSettings::selectedOption(OptionGroup group) const
{
    return optionAt(group, selection_[std::size_t(group)]);
}

std::uint8_t &ProblemSettings::settingOf(OptionGroup group)
{
    switch (group) {
    case G::GroupBox1_100: return settings_.DigitKind1_100;
    case G::GroupBox1_10: return settings_.DigitKind1_10;
    case G::GroupBox1_1: return settings_.DigitKind1_1;
    case G::GroupBox2_100: return settings_.DigitKind2_100;
    case G::GroupBox2_10: return settings_.DigitKind2_10;
    case G::GroupBox2_1: return settings_.DigitKind2_1;
    case G::GroupBoxKuriAgariSagari_100: return settings_.CarryMode_100;
    case G::GroupBoxKuriAgariSagari_10: return settings_.CarryMode_10;
    case G::GroupBoxKuriAgariSagari_1: break;
    }
    return settings_.CarryMode_1;
}

void ProblemSettings::SelectOption(Option option)
{
    const OptionGroup group = groupOf(option);
    if (isSelected(option))
        return;
    selection_[std::size_t(group)] = std::uint8_t(valueOf(option));
    settingOf(group) = std::uint8_t(valueOf(option));
    if (selectionChanged)
        selectionChanged(group);
    runRules(option);
    // A rule may have put the group back to another option; the text follows what is selected now.
    setStatus(group, statusTextOf(selectedOption(group)));
}

void ProblemSettings::adopt(const Settings &target)
{
    selectOperation(target.IsSubtraction == 1 ? 1 : 0);
    const std::uint8_t values[OptionGroupCount] = {
        target.DigitKind1_100, target.DigitKind1_10, target.DigitKind1_1, target.DigitKind2_100, target.DigitKind2_10,
        target.DigitKind2_1,   target.CarryMode_100, target.CarryMode_10, target.CarryMode_1};
    for (int g = 0; g < OptionGroupCount; ++g) {
        const OptionGroup group = OptionGroup(g);
        const std::uint8_t value = values[g] > 2 ? std::uint8_t(2) : values[g];
        if (selection_[std::size_t(g)] != value) {
            selection_[std::size_t(g)] = value;
            settingOf(group) = value;
            if (selectionChanged)
                selectionChanged(group);
        }
        setStatus(group, statusTextOf(optionAt(group, value)));
    }
    // As after the switch: a subtraction shows "なし" for the hidden hundreds column.
    if (settings_.IsSubtraction == 1)
        setStatus(G::GroupBoxKuriAgariSagari_100, texts::statusText(Nashi));
}

// The option rules, one set per operation. A text step that follows a conditional selection
// belongs to that condition.
void ProblemSettings::runRules(Option option)
{
    if (settings_.IsSubtraction == 1)
        runSubtractionRules(option);
    else
        runAdditionRules(option);
}

void ProblemSettings::runAdditionRules(Option option)
{
    switch (option) {
    case O::RadioButton1_1Zero:
    case O::RadioButton2_1Zero:
        // A ones digit 0 never makes the ones carry.
        selectNoCarry(G::GroupBoxKuriAgariSagari_1);
        break;
    case O::RadioButton1_10Zero:
        // Tens (or hundreds) both 0 make at most 1, even with a carry from below.
        if (selected(O::RadioButton2_10Zero))
            selectNoCarry(G::GroupBoxKuriAgariSagari_10);
        break;
    case O::RadioButton2_10Zero:
        if (selected(O::RadioButton1_10Zero))
            selectNoCarry(G::GroupBoxKuriAgariSagari_10);
        break;
    case O::RadioButton1_100Zero:
        if (selected(O::RadioButton2_100Zero))
            selectNoCarry(G::GroupBoxKuriAgariSagari_100);
        break;
    case O::RadioButton2_100Zero:
        if (selected(O::RadioButton1_100Zero))
            selectNoCarry(G::GroupBoxKuriAgariSagari_100);
        break;
    case O::RadioButtonKuriAgariSagariAri_1:
        // A ones carry needs two ones digits from 1 to 9.
        SelectOption(O::RadioButton1_1Rest);
        SelectOption(O::RadioButton2_1Rest);
        break;
    default:
        break;
    }
}

void ProblemSettings::runSubtractionRules(Option option)
{
    switch (option) {
    case O::RadioButton1_1Zero:
        if (selected(O::RadioButton1_100Zero) && selected(O::RadioButton1_10Zero)) {
            SelectOption(O::RadioButton1_10Rest);
            SelectOption(O::RadioButtonKuriAgariSagariNashi_1);
        }
        break;
    case O::RadioButton1_10Zero:
        if (selected(O::RadioButton1_100Zero)) {
            SelectOption(O::RadioButton2_10Zero);
            SelectOption(O::RadioButtonKuriAgariSagariNashi_1);
            SelectOption(O::RadioButton1_1Rest);
            setStatus(G::GroupBoxKuriAgariSagari_10, texts::statusText(Nashi));
        }
        break;
    case O::RadioButton1_100Zero:
        // An upper hundreds 0 leaves the lower hundreds only 0, and the tens nothing to borrow from.
        SelectOption(O::RadioButton2_100Zero);
        selectNoCarry(G::GroupBoxKuriAgariSagari_10);
        break;
    case O::RadioButton2_10Zero:
        // Reads the settings rather than the selection; the two differ only part-way through
        // the start sequence.
        if (settings_.DigitKind1_100 == Zero && settings_.DigitKind1_10 == Zero)
            SelectOption(O::RadioButtonKuriAgariSagariNashi_10);
        break;
    case O::RadioButton2_10Rest:
        if (selected(O::RadioButton2_100Rest))
            SelectOption(O::RadioButton1_10Rest);
        break;
    case O::RadioButton2_100Rest:
        if (selected(O::RadioButton1_100Zero))
            SelectOption(O::RadioButton2_100Zero);
        SelectOption(O::RadioButton1_100Rest);
        break;
    case O::RadioButton2_100All:
        if (selected(O::RadioButton1_100Zero))
            SelectOption(O::RadioButton2_100Zero);
        break;
    default:
        break;
    }
}

void ProblemSettings::selectNoCarry(OptionGroup carryGroup)
{
    SelectOption(optionAt(carryGroup, Nashi));
    setStatus(carryGroup, texts::statusText(Nashi));
}

void ProblemSettings::selectOperation(int item)
{
    item = item == 1 ? 1 : 0;
    if (item == operationItem_)
        return;
    operationItem_ = item;
    switchOperation();
}

void ProblemSettings::switchOperation()
{
    if (operationItem_ == 1) {
        settings_.IsSubtraction = 1;
        // Subtraction hides the hundreds carry group: a difference never borrows there.
        setStatus(G::GroupBoxKuriAgariSagari_100, texts::statusText(Nashi));
        if (operationChanged)
            operationChanged();
        if (selected(O::RadioButton1_100Zero)) {
            SelectOption(O::RadioButton2_100Zero);
            selectNoCarry(G::GroupBoxKuriAgariSagari_10);
            SelectOption(O::RadioButton1_10Rest);
        }
        if (selected(O::RadioButton2_100Rest))
            SelectOption(O::RadioButton1_100Rest);
        if (selected(O::RadioButton2_100Rest) && selected(O::RadioButton2_10Rest))
            SelectOption(O::RadioButton1_10Rest);
    } else {
        settings_.IsSubtraction = 0;
        if (operationChanged)
            operationChanged();
        setStatus(G::GroupBoxKuriAgariSagari_100, statusTextOf(selectedOption(G::GroupBoxKuriAgariSagari_100)));
    }
}

std::string_view ProblemSettings::groupHint(OptionGroup group) const
{
    const auto &hints = settings_.IsSubtraction ? texts::GroupHintSubtraction : texts::GroupHintAddition;
    return hints[std::size_t(group)];
}

namespace {
std::string joinThree(const std::string &a, const std::string &b, const std::string &c) { return a + "," + b + "," + c; }
}  // namespace

std::string ProblemSettings::statusLine1() const
{
    return joinThree(statusText(G::GroupBox1_100), statusText(G::GroupBox1_10), statusText(G::GroupBox1_1));
}

std::string ProblemSettings::statusLine2() const
{
    return joinThree(statusText(G::GroupBox2_100), statusText(G::GroupBox2_10), statusText(G::GroupBox2_1));
}

std::string ProblemSettings::statusLineK() const
{
    return joinThree(statusText(G::GroupBoxKuriAgariSagari_100), statusText(G::GroupBoxKuriAgariSagari_10),
                     statusText(G::GroupBoxKuriAgariSagari_1));
}

}  // namespace kolvara
