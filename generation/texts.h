// Texts shown by the program, written by hand. Full-width characters and full-width spaces
// (U+3000, which pad the status texts to three characters) are part of the texts: to reuse
// one, copy it from here, never retype it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "settings.h"

namespace kolvara::texts {

// Option captions, hints and status texts, by kind: the three digit kinds (Zero, Rest, All),
// then the three carry modes (Ari, Nashi, Konzai). Prefer the accessors below to positions.
inline constexpr std::array<std::string_view, 6> OptionCaption{"０", "１～９", "すべて", "あり", "なし", "混在"};
inline constexpr std::array<std::string_view, 6> OptionHint{"０に限定", "１～９に限定", "０～９", "常に「あり」", "常に「なし」", "「あり」と「なし」が混在"};
inline constexpr std::array<std::string_view, 6> StatusText{"　０　", "１～９", "すべて", "あ　り", "な　し", "混　在"};

// Position of a digit kind's or a carry mode's entry in the kind tables above.
inline constexpr std::size_t CarryModeTextOffset = 3;
constexpr std::size_t textIndex(DigitKind kind) { return std::size_t(kind); }
constexpr std::size_t textIndex(CarryMode mode) { return CarryModeTextOffset + std::size_t(mode); }

constexpr std::string_view optionCaption(DigitKind kind) { return OptionCaption[textIndex(kind)]; }
constexpr std::string_view optionCaption(CarryMode mode) { return OptionCaption[textIndex(mode)]; }
constexpr std::string_view optionHint(DigitKind kind) { return OptionHint[textIndex(kind)]; }
constexpr std::string_view optionHint(CarryMode mode) { return OptionHint[textIndex(mode)]; }
constexpr std::string_view statusText(DigitKind kind) { return StatusText[textIndex(kind)]; }
constexpr std::string_view statusText(CarryMode mode) { return StatusText[textIndex(mode)]; }

// A place that always holds one digit from 1 to 9: its caption and its status text.
inline constexpr std::array<std::string_view, 9> FixedDigitCaption{"１", "２", "３", "４", "５", "６", "７", "８", "９"};
inline constexpr std::array<std::string_view, 9> FixedDigitStatus{"　１　", "　２　", "　３　", "　４　", "　５　",
                                                                  "　６　", "　７　", "　８　", "　９　"};
// Any kind of a place of a pattern, the fixed digits too.
constexpr std::string_view kindCaption(std::uint8_t kind)
{
    return isFixedDigit(kind) ? FixedDigitCaption[std::size_t(kind - FixedDigitBase - 1)]
                              : optionCaption(DigitKind(kind > All ? std::uint8_t(All) : kind));
}
constexpr std::string_view kindStatusText(std::uint8_t kind)
{
    return isFixedDigit(kind) ? FixedDigitStatus[std::size_t(kind - FixedDigitBase - 1)]
                              : statusText(DigitKind(kind > All ? std::uint8_t(All) : kind));
}

// Group box hints by operation, groups in the order
// 1_100, 1_10, 1_1, 2_100, 2_10, 2_1, KuriAgariSagari_100, _10, _1.
inline constexpr std::array<std::string_view, 9> GroupHintAddition{"足される数の百の位", "足される数の十の位", "足される数の一の位", "足す数の百の位", "足す数の十の位", "足す数の一の位", "繰り上がりの有無", "繰り上がりの有無", "繰り上がりの有無"};
inline constexpr std::array<std::string_view, 9> GroupHintSubtraction{"引かれる数の百の位", "引かれる数の十の位", "引かれる数の一の位", "引く数の百の位", "引く数の十の位", "引く数の一の位", "繰り下がりの有無", "繰り下がりの有無", "繰り下がりの有無"};

// Labels of the problem table's column 0.
inline constexpr std::string_view TableUpper = "上";
inline constexpr std::string_view TableLower = "下";
inline constexpr std::string_view TableSum = "和";
inline constexpr std::string_view TableDifference = "差";

// Words of the settings panel, used to explain settings that admit no problem.
inline constexpr std::string_view UpperNumberAddition = "足される数";
inline constexpr std::string_view LowerNumberAddition = "足す数";
inline constexpr std::string_view UpperNumberSubtraction = "引かれる数";
inline constexpr std::string_view LowerNumberSubtraction = "引く数";
inline constexpr std::string_view Multiplicand = "かけられる数";
inline constexpr std::string_view Multiplier = "かける数";
inline constexpr std::string_view Dividend = "わられる数";
inline constexpr std::string_view Divisor = "わる数";
// Places from the ones up, and the decimal places from the tenths down.
inline constexpr std::array<std::string_view, 4> WholePlaceName{"一の位", "十の位", "百の位", "千の位"};
inline constexpr std::array<std::string_view, 3> DecimalPlaceName{"小数第一位", "小数第二位", "小数第三位"};
inline constexpr std::array<std::string_view, 3> PlaceName{WholePlaceName[2], WholePlaceName[1], WholePlaceName[0]};
// Positions in PlaceName, which lists the places from the hundreds down.
inline constexpr std::size_t HundredsPlace = 0, TensPlace = 1, OnesPlace = 2;
inline constexpr std::string_view CarryAddition = "くり上がり";
inline constexpr std::string_view CarrySubtraction = "くり下がり";
// The same words in the English line of a message.
inline constexpr std::array<std::string_view, 4> WholePlaceEnglish{"ones", "tens", "hundreds", "thousands"};
inline constexpr std::array<std::string_view, 3> DecimalPlaceEnglish{"tenths", "hundredths", "thousandths"};
inline constexpr std::array<std::string_view, 3> PlaceEnglish{WholePlaceEnglish[2], WholePlaceEnglish[1], WholePlaceEnglish[0]};
constexpr std::string_view kindEnglish(std::uint8_t kind)
{
    constexpr std::array<std::string_view, 9> digits{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (isFixedDigit(kind))
        return digits[std::size_t(kind - FixedDigitBase - 1)];
    return kind == Zero ? "0" : kind == Rest ? "1 to 9" : kind == Blank ? "none" : "0 to 9";
}
// "always carry", "never borrow", "either carry or not"
constexpr std::string_view modeEnglish(std::uint8_t mode, bool subtraction)
{
    if (mode == Ari)
        return subtraction ? "always borrow" : "always carry";
    if (mode == Nashi)
        return subtraction ? "never borrow" : "never carry";
    return subtraction ? "borrow or not" : "carry or not";
}

// The decimal point between the places of a status line.
inline constexpr std::string_view StatusPoint = "．";

// The sheet's own words: the heading with its reading above it, and the line for the
// date and the pupil's name.
inline constexpr std::string_view Heading = "計算しましょう。";
inline constexpr std::string_view HeadingReading = "けい さん";
inline constexpr std::string_view DateNameLine = "　月　日（　　）なまえ　　　　    　　";

// Teachers' additions to the sheet: the class and number before the name, the score box
// (its count follows), and the label of an answer key.
inline constexpr std::string_view ClassLine = "　年　組　番　";
inline constexpr std::string_view ScorePrefix = "　　／";
inline constexpr std::string_view AnswerKeyLabel = "こたえ";
inline constexpr std::string_view NameWord = "なまえ";
// Between a quotient and its remainder in the answer: "20あまり3".
inline constexpr std::string_view RemainderWord = "あまり";

// What a screen reader says for the boxes of the practice on a tablet, in the pupils'
// hiragana: the places from the ones up and from the tenths down, then the words around them.
inline constexpr std::array<std::string_view, 6> WholePlaceReading{"いちの くらい", "じゅうの くらい", "ひゃくの くらい",
                                                                   "せんの くらい", "まんの くらい", "じゅうまんの くらい"};
inline constexpr std::array<std::string_view, 3> DecimalPlaceReading{"10ぶんの1の くらい", "100ぶんの1の くらい",
                                                                    "1000ぶんの1の くらい"};
inline constexpr std::string_view AnswerOfPlace = "の こたえ";          // じゅうの くらいの こたえ
inline constexpr std::string_view CarryOfPlace = "の くりあがり";       // じゅうの くらいの くりあがり
inline constexpr std::string_view BorrowOfPlace = "の くりさがり";      // じゅうの くらいの くりさがり
inline constexpr std::string_view RowNumber = "だんめの ";              // 1だんめの じゅうの くらい
inline constexpr std::string_view RowCarryBefore = "だんめの くりあがり（";  // 1だんめの くりあがり（じゅうの くらい）
inline constexpr std::string_view RowCarryAfter = "）";
inline constexpr std::string_view QuotientOf = "しょうの ";             // しょうの じゅうの くらい
inline constexpr std::string_view DivisionProductOf = "かいめの かけざんの ";    // 1かいめの かけざんの いちの くらい
inline constexpr std::string_view DivisionDifferenceOf = "かいめの ひきざんの ";  // 1かいめの ひきざんの いちの くらい
inline constexpr std::string_view AnswerPoint = "こたえの しょうすうてん";

}  // namespace kolvara::texts
