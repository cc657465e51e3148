// The functions the page calls. Each answers with JSON text that stays valid until the
// next call.
#include <emscripten/emscripten.h>

#include <string>

#include "json_writer.h"
#include "practice_json.h"
#include "session_json.h"
#include "web_session.h"

using namespace kolvara;
using namespace kolvara::web;

namespace {

WebSession &session()
{
    static WebSession s;
    return s;
}

const char *answer(std::string text)
{
    static std::string last;
    last = std::move(text);
    return last.c_str();
}

// The state, with what the call itself has to say.
const char *stateWith(const char *name, const std::string &json)
{
    std::string state = stateJson(session());
    state.insert(state.size() - 1, std::string(",\"") + name + "\":" + json);
    return answer(std::move(state));
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char *kv_static() { return answer(staticJson()); }

EMSCRIPTEN_KEEPALIVE const char *kv_open(const char *address, double clock)
{
    // Milliseconds since midnight; anything else starts the day.
    const std::uint32_t reading = clock >= 0 && clock < 4294967296.0 ? std::uint32_t(clock) : 0;
    const ParsedAddress parsed = session().open(address, reading);
    const auto list = [](const std::vector<std::string> &entries) {
        JsonWriter j;
        j.beginArray();
        for (const std::string &entry : entries)
            j.value(entry);
        j.endArray();
        return j.take();
    };
    // What was wrong with each entry not read, in the table's Japanese line.
    std::vector<std::string> reasons;
    for (const std::string &reason : parsed.reasons)
        if (!reason.empty())
            reasons.push_back(japaneseLine(reason));
    std::string state = stateJson(session());
    state.insert(state.size() - 1, ",\"rejected\":" + list(parsed.rejected) + ",\"reasons\":" + list(reasons) +
                                       ",\"setAside\":" + list(parsed.setAside));
    return answer(std::move(state));
}

EMSCRIPTEN_KEEPALIVE const char *kv_state() { return answer(stateJson(session())); }

EMSCRIPTEN_KEEPALIVE const char *kv_select(int option)
{
    if (option >= 0 && option < OptionCount)
        session().select(Option(option));
    return kv_state();
}

EMSCRIPTEN_KEEPALIVE const char *kv_operation(int item)
{
    session().selectOperation(item);
    return kv_state();
}

EMSCRIPTEN_KEEPALIVE const char *kv_kind(int kind)
{
    if (kind > 0 && kind <= AllOperations)
        session().selectKind(std::uint8_t(kind));
    return kv_state();
}

EMSCRIPTEN_KEEPALIVE const char *kv_refresh()
{
    const bool filled = session().refresh();
    return stateWith("filled", filled ? "true" : "false");
}

EMSCRIPTEN_KEEPALIVE const char *kv_set(const char *key, const char *value)
{
    const bool understood = session().set(key, value);
    return stateWith("understood", understood ? "true" : "false");
}

EMSCRIPTEN_KEEPALIVE const char *kv_page(int index, int answers)
{
    return answer(pageJson(session().page(index, answers != 0)));
}

// Sheet No.`number` of the request as a pupil works it on the device.
EMSCRIPTEN_KEEPALIVE const char *kv_practice(int number) { return answer(practiceJson(session(), number)); }

// 「クラスで使う」's link for the sheet on screen, marked as the teacher chose.
EMSCRIPTEN_KEEPALIVE const char *kv_class_link(const char *mark, const char *helpers)
{
    return answer(classLinkJson(session(), mark, helpers));
}

}  // extern "C"
