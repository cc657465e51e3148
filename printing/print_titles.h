// Job title suffixes of the two printed pages.
#pragma once

inline constexpr char problemPageSuffix[] = "解答値なし";
inline constexpr char answerPageSuffix[] = "解答値あり";
