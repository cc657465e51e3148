// The window's answer to click sequences, for the page's tests to hold the page against:
// one sequence a line on standard input, in the notation of the option-rule table
// (tests/generation/settings_test.cpp: "+" and "-" for the sign, "1_10Zero" for
// RadioButton1_10Zero, "K:Ari_1" for RadioButtonKuriAgariSagariAri_1), one JSON line out:
// the selected value of each group, the sign, the count line and the address the page
// should show once the clicks are made on a page opened at the default settings.
#include <iostream>
#include <sstream>
#include <string>

#include "json_writer.h"
#include "option_widgets.h"
#include "problem_count.h"
#include "problem_table.h"
#include "settings.h"
#include "web_session.h"

using namespace kolvara;

namespace {

bool optionNamed(const std::string &name, Option &found)
{
    for (int i = 0; i < OptionCount; ++i)
        if (objectName(Option(i)) == name) {
            found = Option(i);
            return true;
        }
    return false;
}

}  // namespace

int main()
{
    for (std::string line; std::getline(std::cin, line);) {
        ProblemSettings model = ProblemSettings::makeDefault();
        web::WebSession session;
        session.open("", 0);
        std::istringstream steps(line);
        for (std::string step; steps >> step;) {
            if (step == "+" || step == "-") {
                model.selectOperation(step == "-" ? 1 : 0);
                session.selectOperation(step == "-" ? 1 : 0);
                continue;
            }
            const std::string name = step.rfind("K:", 0) == 0 ? "RadioButtonKuriAgariSagari" + step.substr(2)
                                                              : "RadioButton" + step;
            Option option;
            if (!optionNamed(name, option)) {
                std::cerr << "web_clicks: no option " << name << '\n';
                return 2;
            }
            model.SelectOption(option);
            session.select(option);
        }
        const ProblemCountNote note = problemCountNote(settingsForNextFill(model));
        JsonWriter j;
        j.beginObject().key("selection").beginArray();
        for (int g = 0; g < OptionGroupCount; ++g)
            j.value(valueOf(model.selectedOption(OptionGroup(g))));
        j.endArray();
        j.field("operation", model.operationItem());
        j.key("count").beginObject().field("text", note.text).field("impossible", note.impossible).endObject();
        j.field("settings", web::settingsAddressOf(session.request()));
        j.endObject();
        std::cout << j.text() << '\n';
    }
    return 0;
}
