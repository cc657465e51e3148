#pragma once

// Faces the program asks for by name: the window's and the problem control's.
inline constexpr char windowFaceName[] = "ＭＳ ゴシック";
inline constexpr char problemFaceName[] = "ＭＳ Ｐゴシック";

// Where those Windows faces are missing, draws them with the IPA Gothic fonts
// (IPAGothic is fixed-pitch like the window face, IPAPGothic proportional like
// the control's). Call once, after the application object exists.
void installJapaneseFontSubstitutes();
