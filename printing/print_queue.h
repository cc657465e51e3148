// Questions to the system's print service (CUPS), each over a connection of its own and
// given up at its limit, so a scheduler that has stopped answering costs a known time.
// Every call blocks until at most its limit: call them off the interface thread.
#pragma once

#include <atomic>
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
    NotRunning,     // no service listens where the settings point on this computer
    NotFound,       // the computer the settings name for the service is unknown
    WrongAnswer,    // something answered, but not as a print service does
    Unreachable,    // no connection to the service, for another reason
    NoAnswer,       // connected, but no answer within the limit
    NoLibrary,      // the print service's client library is missing
};

struct Answer {
    Outcome outcome = Outcome::Done;
    std::string printer;   // the queue asked about, or the default found
    std::string reason;    // the print service's own words, where it gave any
    std::string server;    // where the service was asked, as the settings name it
    bool stopped = false;  // the queue is paused: jobs wait in it
    int job = 0;           // the job a submission created
    // A submission given up on whose job the service could not be told to cancel (it
    // went away meanwhile): the job waits there without its document until cancelled.
    bool leftBehind = false;
};

// Whether the service could be asked at all: when not, no other question gets further.
inline bool serviceAnswered(Outcome outcome)
{
    return outcome != Outcome::NotRunning && outcome != Outcome::NotFound && outcome != Outcome::WrongAnswer &&
           outcome != Outcome::Unreachable && outcome != Outcome::NoAnswer && outcome != Outcome::NoLibrary;
}

using Options = std::vector<std::pair<std::string, std::string>>;
using Bound = std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Until when a question may wait: its deadline, or until either flag is set.
struct Limit {
    Clock::time_point deadline;
    const std::atomic<bool> *abandoned = nullptr;
    const std::atomic<bool> *stopping = nullptr;

    static Limit after(Bound bound, const std::atomic<bool> *stopping = nullptr)
    {
        return {Clock::now() + bound, nullptr, stopping};
    }
    bool reached() const
    {
        return Clock::now() >= deadline || (abandoned && abandoned->load()) || (stopping && stopping->load());
    }
};

// The printer that jobs go to when none is named (the user's choice of default first).
Answer findDefaultPrinter(const Limit &limit);

// Whether queue `name` ("queue" or "queue/instance") exists, takes jobs, and is paused.
Answer checkPrinter(const std::string &name, const Limit &limit);

// One job of one PDF document; Done, with the job's number, once the service holds the
// whole document. A job whose document does not arrive whole, or whose limit is reached
// before the document goes, is cancelled rather than left in the queue; where that fails
// too, the answer names the job as left behind.
Answer submitPdf(const std::string &name, const std::string &title, const std::string &pdf, const Options &options,
                 const Limit &limit);

// Takes job `job` out of the queue; false when the service did not confirm it.
bool cancelJob(int job, const Limit &limit);

// Cancels job `job` unless it has ended already; false while the service cannot be asked.
bool withdrawJob(int job, const Limit &limit);

// Where a job stands: a job the service took may still end aborted (a filter or the
// printer failed) or be cancelled by someone.
enum class JobEnd { Waiting, Completed, Aborted, Cancelled, Unknown };
struct JobState {
    JobEnd end = JobEnd::Unknown;  // Unknown: the service did not answer
    std::string reason;            // why the printer aborted it, in the service's words
};
JobState askJobState(int job, const Limit &limit);

// Readies the calling thread for questions: a request for a password is refused rather
// than asked on a terminal nobody watches. Without the service's library, every question
// answers NoLibrary.
void prepareThread();

// The platform's print support asks the service over the library's own connection of
// the thread it runs on. These limit that connection: to `limit` on a worker thread, or
// each single wait to `bound` on a thread that lives on, such as the window's.
void limitThreadConnection(const Limit &limit);
void limitThreadConnectionWaits(Bound bound);

}  // namespace printqueue
