// kolvara-sheet's manual pages, English and Japanese, list every option of the command line
// with its value's name, and name no option it does not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sheet_options.h"

namespace {

const char *const Pages[] = {KOLVARA_MAN_DIR "/kolvara-sheet.1", KOLVARA_MAN_DIR "/ja/kolvara-sheet.1"};

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void replaceAll(std::string &text, const std::string &from, const std::string &to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Troff's escapes as the reader sees them: \- a hyphen, \~ a space, font changes nothing.
std::string plain(std::string text)
{
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    replaceAll(text, "\\-", "-");
    replaceAll(text, "\\~", " ");
    return text;
}

// A font macro's line as printed: ".BR \-\-op " " add | sub" is "--op add|sub". The
// arguments join without spaces; quoted ones keep theirs.
std::string macroText(const std::string &line)
{
    static const std::regex argument(R"re("([^"]*)"|(\S+))re");
    std::string out;
    const std::string args = line.substr(std::min(line.find(' '), line.size()));
    for (auto it = std::sregex_iterator(args.begin(), args.end(), argument); it != std::sregex_iterator(); ++it)
        out += (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
    return plain(out);
}

// The tags of the page's option list: the line after each .TP, from OPTIONS to the next
// section.
std::vector<std::string> optionTags(const std::string &page)
{
    std::vector<std::string> lines, tags;
    std::istringstream in(page);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    bool inOptions = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with(".SH"))
            inOptions = lines[i] == ".SH OPTIONS" || lines[i] == ".SH オプション";
        else if (inOptions && lines[i] == ".TP" && i + 1 < lines.size() && lines[i + 1].starts_with(".B"))
            tags.push_back(macroText(lines[i + 1]));
    }
    return tags;
}

// Whether a tag names the option, and its value as the table names it: "--step NAME",
// "-o FILE", a switch alone. Tags may list several names, separated by ", ".
bool tagNames(const std::string &tag, const std::string &name, const std::string &value)
{
    const std::string wanted = name + (value.empty() ? "" : " " + value);
    for (std::size_t at = tag.find(wanted); at != std::string::npos; at = tag.find(wanted, at + 1)) {
        const std::size_t end = at + wanted.size();
        if ((at == 0 || tag[at - 1] == ' ') && (end == tag.size() || tag[end] == ','))
            return true;
    }
    return false;
}

TEST(ManPages, ListEveryOptionWithItsValue)
{
    // The shared table's rows but the window's own, then the command line's.
    const std::vector<kolvara::SheetOptionName> options = kolvara::sheetOptionNames();
    for (const char *path : Pages) {
        SCOPED_TRACE(path);
        const std::vector<std::string> tags = optionTags(readFile(path));
        ASSERT_FALSE(tags.empty());
        for (const kolvara::SheetOptionName &o : options) {
            auto listed = [&](const std::string &name) {
                return std::ranges::any_of(tags, [&](const std::string &tag) { return tagNames(tag, name, o.valueName); });
            };
            EXPECT_TRUE(listed("--" + o.longName)) << "--" << o.longName << ' ' << o.valueName;
            if (!o.shortName.empty()) {
                EXPECT_TRUE(listed("-" + o.shortName)) << '-' << o.shortName;
            }
        }
    }
}

TEST(ManPages, NameNoOptionTheCommandLineLacks)
{
    const std::vector<kolvara::SheetOptionName> options = kolvara::sheetOptionNames();
    auto known = [&](const std::string &name) {
        return std::ranges::any_of(options, [&](const auto &o) { return o.longName == name || o.shortName == name; });
    };
    static const std::regex longOption(R"((^|[^-\w])--([a-z0-9][a-z0-9-]*))");
    static const std::regex shortOption(R"((^|[ ,])-([A-Za-z])\b)");
    for (const char *path : Pages) {
        SCOPED_TRACE(path);
        const std::string page = plain(readFile(path));
        for (auto it = std::sregex_iterator(page.begin(), page.end(), longOption); it != std::sregex_iterator(); ++it) {
            const std::string name = (*it)[2].str();
            // "--option=value" stands for any option.
            EXPECT_TRUE(known(name) || name == "option") << "--" << name;
        }
        for (const std::string &tag : optionTags(readFile(path)))
            for (auto it = std::sregex_iterator(tag.begin(), tag.end(), shortOption); it != std::sregex_iterator(); ++it)
                EXPECT_TRUE(known((*it)[2].str())) << tag;
    }
}

// The check itself: it must see through troff's escapes and tell a value's name apart.
TEST(ManPages, TagsReadAsPrinted)
{
    EXPECT_EQ(macroText(R"(.BR \-\-op " " add | sub | mixed)"), "--op add|sub|mixed");
    EXPECT_EQ(macroText(R"(.BI \-o " FILE" "\fR, \fP\-\-output " FILE)"), "-o FILE, --output FILE");
    EXPECT_TRUE(tagNames("-o FILE, --output FILE", "--output", "FILE"));
    EXPECT_TRUE(tagNames("-h, --help", "-h", ""));
    EXPECT_FALSE(tagNames("--op add|sub", "--op", "add|sub|mixed"));
    EXPECT_FALSE(tagNames("--no-answers", "--answers", ""));
    EXPECT_FALSE(tagNames("--step name", "--step", "NAME"));
}

}  // namespace
