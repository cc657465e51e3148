// The page's one worksheet session: the settings panel's model with its option rules, and
// the sheets the address names, made as kolvara-sheet makes them.
//
// The sheet on the page is always sheet No.1 of the address's seed, so the address gives
// the very same sheet anywhere. An option click runs the window's rules and draws the
// sheet anew from the same seed with the settings a refresh would use; "更新" moves on to
// the next seed, as the window's clock moves on. Settings that admit no problem keep the
// sheet and its address.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "address.h"
#include "font_table.h"
#include "problem_count.h"
#include "settings.h"
#include "sheet.h"

namespace kolvara::web {

class WebSession {
public:
    WebSession();

    // Starts from an address (settings and seed in kolvara-sheet's terms); without a seed
    // the clock's reading (milliseconds since midnight UTC) is the starting state. Returns the address
    // as read: the entries it did not understand (which keep their defaults) and those a
    // step set aside.
    ParsedAddress open(std::string_view address, std::uint32_t clock);

    void select(Option option);
    void selectOperation(int item);
    // "更新": the window's refresh at the next seed. False, keeping the sheet, when the
    // settings admit no problem; refusal() then says why.
    bool refresh();
    // One entry in the address's terms, such as "no-boxes" or "paper=letter".
    bool set(std::string_view key, std::string_view value);

    const ProblemSettings &model() const { return model_; }
    const SheetRequest &request() const { return request_; }
    bool hasSheet() const { return hasSheet_; }
    const std::string &refusal() const { return refusal_; }
    // The panel's count line, for the settings the sheet was last to be drawn from: those the
    // next fill uses after a click, those written after an address.
    ProblemCountNote countNote() const;
    std::string address() const { return addressOf(request_); }

    // Sheet `index` (0 is No.1) of the request, laid out on its paper.
    Sheet sheet(int index, bool answers) const;
    SheetPage page(int index, bool answers) const;
    const TextMetrics &metrics() const { return metrics_; }

private:
    // Draws the sheet for these settings and seed when they admit a problem.
    bool show(const Settings &settings, std::uint32_t seed);

    ProblemSettings model_;
    SheetRequest request_;
    bool hasSheet_ = false;
    Settings wanted_;
    std::string refusal_;
    TableTextMetrics metrics_;
};

}  // namespace kolvara::web
