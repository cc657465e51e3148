#include "option_widgets.h"

namespace kolvara {

namespace {

constexpr std::array<std::string_view, OptionCount> OptionNames{
    "RadioButton1_100Zero", "RadioButton1_100Rest", "RadioButton1_100All",
    "RadioButton1_10Zero", "RadioButton1_10Rest", "RadioButton1_10All",
    "RadioButton1_1Zero", "RadioButton1_1Rest", "RadioButton1_1All",
    "RadioButton2_100Zero", "RadioButton2_100Rest", "RadioButton2_100All",
    "RadioButton2_10Zero", "RadioButton2_10Rest", "RadioButton2_10All",
    "RadioButton2_1Zero", "RadioButton2_1Rest", "RadioButton2_1All",
    "RadioButtonKuriAgariSagariAri_100", "RadioButtonKuriAgariSagariNashi_100", "RadioButtonKuriAgariSagariKonzai_100",
    "RadioButtonKuriAgariSagariAri_10", "RadioButtonKuriAgariSagariNashi_10", "RadioButtonKuriAgariSagariKonzai_10",
    "RadioButtonKuriAgariSagariAri_1", "RadioButtonKuriAgariSagariNashi_1", "RadioButtonKuriAgariSagariKonzai_1",
};

constexpr std::array<std::string_view, OptionGroupCount> GroupNames{
    "GroupBox1_100", "GroupBox1_10", "GroupBox1_1", "GroupBox2_100", "GroupBox2_10", "GroupBox2_1",
    "GroupBoxKuriAgariSagari_100", "GroupBoxKuriAgariSagari_10", "GroupBoxKuriAgariSagari_1",
};

}  // namespace

std::string_view objectName(Option option) { return OptionNames[std::size_t(option)]; }
std::string_view objectName(OptionGroup group) { return GroupNames[std::size_t(group)]; }

std::string_view carryCaption(OptionGroup carryGroup, bool subtraction)
{
    const auto &captions = subtraction ? CarryCaptionSubtraction : CarryCaptionAddition;
    const int index = int(carryGroup) - int(OptionGroup::GroupBoxKuriAgariSagari_100);
    return captions[std::size_t(index < 0 ? 0 : index)];
}

}  // namespace kolvara
