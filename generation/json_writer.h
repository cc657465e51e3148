// A small JSON writer: the browser page reads the module's answers as JSON, and
// kolvara-sheet --json writes sheets' problems with it.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kolvara {

class JsonWriter {
public:
    JsonWriter &beginObject() { return open('{'); }
    JsonWriter &endObject() { return close('}'); }
    JsonWriter &beginArray() { return open('['); }
    JsonWriter &endArray() { return close(']'); }

    JsonWriter &key(std::string_view name)
    {
        separate();
        quoted(name);
        out_ += ':';
        afterKey_ = true;
        return *this;
    }

    JsonWriter &value(std::string_view text)
    {
        separate();
        quoted(text);
        return *this;
    }
    JsonWriter &value(const char *text) { return value(std::string_view(text)); }
    JsonWriter &value(const std::string &text) { return value(std::string_view(text)); }
    JsonWriter &null()
    {
        separate();
        out_ += "null";
        return *this;
    }
    JsonWriter &value(bool on)
    {
        separate();
        out_ += on ? "true" : "false";
        return *this;
    }
    JsonWriter &value(int number) { return value(double(number)); }
    JsonWriter &value(unsigned number) { return value(double(number)); }
    JsonWriter &value(double number)
    {
        separate();
        // Text that reads back as the same number, short for the usual ones. Most of a
        // page's numbers are whole: those skip the costly general formatting.
        char text[32];
        if (number == std::trunc(number) && std::fabs(number) < 1e15) {
            const auto result = std::to_chars(text, text + sizeof text, static_cast<long long>(number));
            out_.append(text, result.ptr);
            return *this;
        }
        int length = std::snprintf(text, sizeof text, "%.15g", number);
        if (std::strtod(text, nullptr) != number)
            length = std::snprintf(text, sizeof text, "%.17g", number);
        out_.append(text, std::size_t(length));
        return *this;
    }

    template <typename T>
    JsonWriter &field(std::string_view name, const T &v)
    {
        key(name);
        return value(v);
    }

    const std::string &text() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    JsonWriter &open(char c)
    {
        separate();
        out_ += c;
        first_ = true;
        return *this;
    }
    JsonWriter &close(char c)
    {
        out_ += c;
        first_ = false;
        return *this;
    }
    void separate()
    {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (!first_)
            out_ += ',';
        first_ = false;
    }
    void quoted(std::string_view text)
    {
        out_ += '"';
        for (const char c : text) {
            if (c == '"' || c == '\\') {
                out_ += '\\';
                out_ += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
                out_ += escaped;
            } else {
                out_ += c;  // UTF-8 passes through
            }
        }
        out_ += '"';
    }

    std::string out_;
    bool first_ = true;
    bool afterKey_ = false;
};

}  // namespace kolvara
