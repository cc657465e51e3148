// The page's one worksheet session: the settings panel's model with its option rules, and
// the sheets the address names, made as kolvara-sheet makes them.
//
// The sheet on the page is always sheet No.1 of the address's seed, so the address gives
// the very same sheet anywhere. An option click runs the window's rules and draws the
// sheet anew from the same seed with the settings a refresh would use; "更新" moves on to
// the next seed, as the window's clock moves on. Problems that the window's three places
// cannot show (four places, decimals, mixed signs) are set by their patterns instead, and
// products and quotients by their places and conditions. Problems that admit none, or a
// page size they do not fit, keep the sheet and its address.
#pragma once

#include <array>
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

    // Starts from an address (options and seed in kolvara-sheet's terms); without a seed
    // the clock's reading (milliseconds since midnight UTC) is the starting state. Returns the address
    // as read: the entries it did not understand (which keep their defaults) and those a
    // step set aside.
    ParsedAddress open(std::string_view address, std::uint32_t clock);

    void select(Option option);
    void selectOperation(int item);
    // The kind of problems (ForAddSub, ForMul or ForDiv): the problems that kind had last,
    // or its first step, never with a condition of another kind or a page size they do
    // not fit.
    void selectKind(std::uint8_t kind);
    // "更新": the window's refresh at the next seed. False, keeping the sheet, when the
    // problems admit none; refusal() then says why.
    bool refresh();
    // One entry in the address's terms, such as "no-boxes", "upper=a.an" or "step=add-4-decimal";
    // an empty value puts an option of the problems back to its default. False, changing
    // nothing, when it cannot be read; error() then says why.
    bool set(std::string_view key, std::string_view value);

    const ProblemSettings &model() const { return model_; }
    const SheetRequest &request() const { return request_; }
    // The problems the panel shows: those of the last click or entry, drawn or not.
    const ProblemChoice &wanted() const { return wanted_; }
    // The problems a page the panel shows with them (0: what a page of them holds).
    int wantedPerPage() const { return wantedPerPage_; }
    // Whether the window's three places can show them, so the panel's buttons do.
    bool threePlaces() const { return threePlaces_; }
    bool hasSheet() const { return hasSheet_; }
    // Why the problems shown in the panel have no sheet (Japanese), empty when they have one.
    const std::string &refusal() const { return refusal_; }
    // Why the last entry could not be read (Japanese), empty when it could.
    const std::string &error() const { return error_; }
    // Why the practice the address asked for has no sheet to give, for the teacher (Japanese,
    // a line a reason), empty when it has one or none was asked: an entry not read, no seed
    // (each pupil would get the clock's sheet), problems that admit none or a page size they
    // do not fit. It lasts until the next address, or until the practice is turned off.
    const std::string &practiceRefusal() const { return practiceRefusal_; }
    // The panel's count line, for the problems the sheet was last to be drawn from: those the
    // next fill uses after a click, those written after an address.
    ProblemCountNote countNote() const;
    std::string address() const { return addressOf(request_); }

    // Sheet `index` (0 is No.1) of the request, laid out on its paper.
    Sheet sheet(int index, bool answers) const;
    SheetPage page(int index, bool answers) const;
    const TextMetrics &metrics() const { return metrics_; }

private:
    // Draws the sheet for these problems and seed when they admit one. `adopt`: the window's
    // buttons take them up (not when they come from the buttons, whose rules adjust them).
    bool show(const ProblemChoice &choice, std::uint32_t seed, bool adopt = true);
    void want(const ProblemChoice &choice, bool adopt);
    // What kolvara-sheet would refuse in the panel's problems and page size (both lines).
    std::string wantedError() const;

    ProblemSettings model_;
    SheetRequest request_;
    bool hasSheet_ = false;
    ProblemChoice wanted_;
    int wantedPerPage_ = 0;
    bool wantedHelperBoxes_ = false;  // as the wanted page size was judged with
    // Each kind's problems and page size as it was left, by ForAddSub, ForMul, ForDiv.
    struct Kept {
        bool set = false;
        ProblemChoice problems;
        int perPage = 0;
    };
    std::array<Kept, 3> kept_{};
    bool threePlaces_ = true;
    std::string refusal_;
    std::string error_;
    std::string practiceRefusal_;
    TableTextMetrics metrics_;
};

}  // namespace kolvara::web
