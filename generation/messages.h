// Small helpers for the words of options and their messages.
#pragma once

#include <string>
#include <string_view>

namespace kolvara {

// A message as every option gives it: a Japanese line, then an English line.
inline std::string twoLanguages(const std::string &japanese, const std::string &english)
{
    return japanese + "\n" + english;
}

// Option values may be written in either case.
inline std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return out;
}

}  // namespace kolvara
