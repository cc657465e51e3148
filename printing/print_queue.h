// Questions to the system's print service (CUPS), each over a connection of its own and
// given up after a bound, so a scheduler that has stopped answering costs a known time.
// Every call blocks for at most its bound: call them off the interface thread.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace printqueue {

enum class Outcome {
    Done,           // the service answered and did what was asked
    NoDefault,      // the service answered: it has no default printer
    NoSuchPrinter,  // the service answered: it has no queue of that name
    NotAccepting,   // the queue turns jobs away
    Failed,         // the service refused the request or lost the job
    Unreachable,    // no connection to the service
    NoAnswer,       // connected, but no answer within the bound
};

struct Answer {
    Outcome outcome = Outcome::Done;
    std::string printer;   // the queue asked about, or the default found
    std::string reason;    // the print service's own words, where it gave any
    bool stopped = false;  // the queue is paused: jobs wait in it
};

using Options = std::vector<std::pair<std::string, std::string>>;
using Bound = std::chrono::milliseconds;

// The printer that jobs go to when none is named (the user's choice of default first).
Answer findDefaultPrinter(Bound bound);

// Whether queue `name` ("queue" or "queue/instance") exists, takes jobs, and is paused.
Answer checkPrinter(const std::string &name, Bound bound);

// One job of one PDF document; Done only once the service holds the whole document and
// has not aborted the job.
Answer submitPdf(const std::string &name, const std::string &title, const std::string &pdf, const Options &options,
                 Bound bound);

}  // namespace printqueue
