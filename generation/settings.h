// The user's choices for a sheet's problems, and the rules that keep them consistent.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kolvara {

// Restriction on one place of one number: 0, 1 to 9, 0 to 9, or one digit from 1 to 9
// (fixedDigit(d)). The window's settings hold the first three only.
enum DigitKind : std::uint8_t { Zero = 0, Rest = 1, All = 2 };
// The kind of a place a number does not have: blank on the page, 0 in the arithmetic.
inline constexpr std::uint8_t Blank = 3;
inline constexpr std::uint8_t FixedDigitBase = 10;
constexpr std::uint8_t fixedDigit(int digit) { return std::uint8_t(FixedDigitBase + digit); }
constexpr bool isFixedDigit(std::uint8_t kind) { return kind > FixedDigitBase && kind <= FixedDigitBase + 9; }

// The digits a place of a kind may hold (Zero and Blank: 0; Rest: 1 to 9; All: 0 to 9; a
// fixed digit: itself).
struct DigitRange {
    int low, high;
};
constexpr DigitRange digitRange(std::uint8_t kind)
{
    if (isFixedDigit(kind))
        return {kind - FixedDigitBase, kind - FixedDigitBase};
    switch (kind) {
    case Zero:
    case Blank: return {0, 0};
    case Rest: return {1, 9};
    default: return {0, 9};
    }
}
constexpr bool kindAllows(std::uint8_t kind, int digit)
{
    const DigitRange r = digitRange(kind);
    return digit >= r.low && digit <= r.high;
}
// Restriction on one column: a carry (or borrow) always, never, or either.
enum CarryMode : std::uint8_t { Ari = 0, Nashi = 1, Konzai = 2 };

// The ten settings the generator reads. "1" is the upper number (added to or
// subtracted from), "2" the lower one.
struct Settings {
    std::uint8_t DigitKind1_100 = All;
    std::uint8_t DigitKind1_10 = All;
    std::uint8_t DigitKind1_1 = All;
    std::uint8_t DigitKind2_100 = All;
    std::uint8_t DigitKind2_10 = All;
    std::uint8_t DigitKind2_1 = All;
    std::uint8_t CarryMode_1 = Konzai;
    std::uint8_t CarryMode_10 = Konzai;
    std::uint8_t CarryMode_100 = Konzai;
    std::uint8_t IsSubtraction = 0;

    friend bool operator==(const Settings &, const Settings &) = default;
};

// Every combination of six digit kinds, three carry modes and the operation, numbered
// 0 to SettingsCombinationCount - 1 (digit kinds vary fastest, the operation slowest).
inline constexpr int SettingsCombinationCount = 729 * 27 * 2;
Settings settingsCombination(int index);

// Both numbers have one digit: 7 problems a row, else 5. The ones places do not count.
int problemsPerRowFor(const Settings &settings);

// The nine option groups, named after their group boxes.
enum class OptionGroup : std::uint8_t {
    GroupBox1_100,
    GroupBox1_10,
    GroupBox1_1,
    GroupBox2_100,
    GroupBox2_10,
    GroupBox2_1,
    GroupBoxKuriAgariSagari_100,
    GroupBoxKuriAgariSagari_10,
    GroupBoxKuriAgariSagari_1,
};
inline constexpr int OptionGroupCount = 9;

// The 27 options, named after their radio buttons: group by group, each group's three
// options from top to bottom (Zero/Rest/All or Ari/Nashi/Konzai).
enum class Option : std::uint8_t {
    RadioButton1_100Zero, RadioButton1_100Rest, RadioButton1_100All,
    RadioButton1_10Zero, RadioButton1_10Rest, RadioButton1_10All,
    RadioButton1_1Zero, RadioButton1_1Rest, RadioButton1_1All,
    RadioButton2_100Zero, RadioButton2_100Rest, RadioButton2_100All,
    RadioButton2_10Zero, RadioButton2_10Rest, RadioButton2_10All,
    RadioButton2_1Zero, RadioButton2_1Rest, RadioButton2_1All,
    RadioButtonKuriAgariSagariAri_100, RadioButtonKuriAgariSagariNashi_100, RadioButtonKuriAgariSagariKonzai_100,
    RadioButtonKuriAgariSagariAri_10, RadioButtonKuriAgariSagariNashi_10, RadioButtonKuriAgariSagariKonzai_10,
    RadioButtonKuriAgariSagariAri_1, RadioButtonKuriAgariSagariNashi_1, RadioButtonKuriAgariSagariKonzai_1,
};
inline constexpr int OptionCount = 27;

constexpr OptionGroup groupOf(Option option) { return OptionGroup(std::uint8_t(option) / 3); }
// 0, 1 or 2: the option's place in its group, which is also the value its setting takes.
constexpr int valueOf(Option option) { return std::uint8_t(option) % 3; }
constexpr Option optionAt(OptionGroup group, int value) { return Option(std::uint8_t(group) * 3 + value); }
constexpr bool isCarryGroup(OptionGroup group) { return group >= OptionGroup::GroupBoxKuriAgariSagari_100; }

std::string_view captionOf(Option option);
std::string_view hintOf(Option option);
std::string_view statusTextOf(Option option);

// Settings, selection state, status texts and the captions/hints that follow the
// operation. A new model is in the state of the window's stored layout; start() brings it
// to the default state. Views follow it through the callbacks.
class ProblemSettings {
public:
    ProblemSettings();

    // The start sequence: defaults, then "＋" and the default options selected.
    void start();
    void setDefaultSettings();
    void setDefaultStatusTexts();
    void selectDefaultOptions();
    // A model in the default state, as after start().
    static ProblemSettings makeDefault();

    // The one way to select an option, for a user's click and for the program alike.
    void SelectOption(Option option);
    // Shows settings that come from elsewhere (kolvara-sheet's terms in a link) as they are,
    // without the option rules, which would not reach every setting kolvara-sheet accepts.
    // Status texts follow the selection; views hear of every change as for a click.
    void adopt(const Settings &settings);
    // Selects item 0 ("＋") or 1 ("－") of the sign group; the switch runs on a change only.
    void selectOperation(int item);

    const Settings &settings() const { return settings_; }
    int operationItem() const { return operationItem_; }
    bool isSelected(Option option) const;
    Option selectedOption(OptionGroup group) const;

    // Status texts by group (KindText1_100 ... KindText2_1, CarryText_100, _10, _1).
    const std::string &statusText(OptionGroup group) const { return statusTexts_[int(group)]; }
    // The three status lines: Label1, Label2 and LabelK.
    std::string statusLine1() const;
    std::string statusLine2() const;
    std::string statusLineK() const;

    // Presentation that follows the operation.
    std::string_view groupHint(OptionGroup group) const;
    bool isHundredsCarryGroupVisible() const { return settings_.IsSubtraction == 0; }

    // Views register here. selectionChanged reports a group whose selected option changed;
    // operationChanged reports a new sign item together with new captions, hints and visibility.
    std::function<void(OptionGroup)> selectionChanged;
    std::function<void()> operationChanged;

private:
    void runRules(Option option);
    void runAdditionRules(Option option);
    void runSubtractionRules(Option option);
    // Selects the carry group's Nashi option and shows Nashi as the group's status, the
    // latter even when Nashi was selected already.
    void selectNoCarry(OptionGroup carryGroup);
    void switchOperation();
    void setStatus(OptionGroup group, std::string_view text) { statusTexts_[int(group)] = std::string(text); }
    bool selected(Option option) const { return isSelected(option); }
    std::uint8_t &settingOf(OptionGroup group);

    Settings settings_;
    std::array<std::uint8_t, OptionGroupCount> selection_{};
    std::array<std::string, OptionGroupCount> statusTexts_;
    int operationItem_ = 1;
};

}  // namespace kolvara
