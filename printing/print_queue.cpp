#include "print_queue.h"

#include <cups/cups.h>
#include <dlfcn.h>

#include <array>
#include <memory>
#include <string>

namespace printqueue {
namespace {

// The print service's library, loaded on the first question rather than at start: it
// brings some twenty libraries of its own that a session without printing never needs.
#define KOLVARA_CUPS_FUNCTIONS(X)                                                                                      \
    X(cupsAddOption)                                                                                                   \
    X(cupsDoRequest)                                                                                                   \
    X(cupsEncodeOptions2)                                                                                              \
    X(cupsEncryption)                                                                                                  \
    X(cupsFinishDocument)                                                                                              \
    X(cupsFreeDests)                                                                                                   \
    X(cupsFreeOptions)                                                                                                 \
    X(cupsGetNamedDest)                                                                                                \
    X(cupsLastError)                                                                                                   \
    X(cupsLastErrorString)                                                                                             \
    X(cupsServer)                                                                                                      \
    X(cupsSetPasswordCB2)                                                                                              \
    X(cupsStartDocument)                                                                                               \
    X(cupsUser)                                                                                                        \
    X(cupsWriteRequestData)                                                                                            \
    X(httpAddrFreeList)                                                                                                \
    X(httpAddrGetList)                                                                                                 \
    X(httpAddrLocalhost)                                                                                               \
    X(httpAssembleURIf)                                                                                                \
    X(httpClose)                                                                                                       \
    X(httpConnect2)                                                                                                    \
    X(httpGetStatus)                                                                                                   \
    X(httpSetTimeout)                                                                                                  \
    X(ippAddString)                                                                                                    \
    X(ippAddStrings)                                                                                                   \
    X(ippDelete)                                                                                                       \
    X(ippFindAttribute)                                                                                                \
    X(ippGetBoolean)                                                                                                   \
    X(ippGetInteger)                                                                                                   \
    X(ippGetStatusCode)                                                                                                \
    X(ippGetString)                                                                                                    \
    X(ippNewRequest)                                                                                                   \
    X(ippPort)

struct CupsLibrary {
#define KOLVARA_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    KOLVARA_CUPS_FUNCTIONS(KOLVARA_CUPS_POINTER)
#undef KOLVARA_CUPS_POINTER
    // The library's own connection of the calling thread, which the platform's print
    // support uses. Not part of the library's published interface: used where present.
    http_t *(*threadConnection)() = nullptr;
};

// Null when the library or one of its functions is missing.
const CupsLibrary *loadCups()
{
    static const CupsLibrary *const loaded = []() -> const CupsLibrary * {
        void *handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        static CupsLibrary library;
#define KOLVARA_CUPS_RESOLVE(name)                                                                                     \
    library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                                        \
    if (!library.name)                                                                                                 \
        return nullptr;
        KOLVARA_CUPS_FUNCTIONS(KOLVARA_CUPS_RESOLVE)
#undef KOLVARA_CUPS_RESOLVE
        library.threadConnection = reinterpret_cast<http_t *(*)()>(dlsym(handle, "_cupsConnect"));
        return &library;
    }();
    return loaded;
}

const CupsLibrary &cups() { return *loadCups(); }

// How often a connection waiting for the service looks at its limit.
constexpr double WaitSlice = 0.25;
// How long a job that must not stay in the queue may take to cancel.
constexpr Bound CancelBound{5000};

std::string queueOf(const std::string &name) { return name.substr(0, name.find('/')); }

std::string lastErrorText()
{
    const char *text = cups().cupsLastErrorString();
    return text ? text : std::string();
}

Answer failure(Outcome outcome, std::string reason = {})
{
    Answer answer;
    answer.outcome = outcome;
    answer.reason = std::move(reason);
    return answer;
}

// One connection to the service, given up once its limit is reached.
class Connection {
public:
    explicit Connection(const Limit &limit) : limit_(limit)
    {
        if (!loadCups())
            return;
        server_ = cups().cupsServer();
        port_ = cups().ippPort();
        http_ = cups().httpConnect2(server_.c_str(), port_, nullptr, AF_UNSPEC, cups().cupsEncryption(), 1,
                                    remainingMilliseconds(), nullptr);
        if (http_)
            cups().httpSetTimeout(http_, WaitSlice, &Connection::keepWaiting, this);
    }
    ~Connection()
    {
        if (http_)
            cups().httpClose(http_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    http_t *http() const { return http_; }

    // Why there is no connection: nothing listening here, a computer nobody knows, or
    // the limit reached first.
    Answer connectFailure() const
    {
        if (!loadCups())
            return failure(Outcome::NoLibrary, "libcups.so.2");
        if (limit_.reached())
            return withServer(failure(Outcome::NoAnswer));
        const std::string reason = lastErrorText();
        http_addrlist_t *addresses =
            cups().httpAddrGetList(server_.c_str(), AF_UNSPEC, std::to_string(port_).c_str());
        if (!addresses)
            return withServer(failure(Outcome::NotFound, reason));
        const bool local = server_.starts_with('/') || cups().httpAddrLocalhost(&addresses->addr);
        cups().httpAddrFreeList(addresses);
        return withServer(failure(local ? Outcome::NotRunning : Outcome::Unreachable, reason));
    }

    // What went wrong with the request just made, in the caller's terms; `response` is
    // what came back, null when nothing a print service would say did.
    Answer requestFailure(const std::string &printer, ipp_t *response) const
    {
        return requestFailure(printer, response != nullptr,
                              response ? cups().ippGetStatusCode(response) : IPP_STATUS_ERROR_INTERNAL);
    }
    // The same where the library hands over only the status of the service's answer.
    Answer requestFailure(const std::string &printer, bool answered, ipp_status_t status) const
    {
        Answer answer = answered ? refusal(status) : brokenAnswer();
        answer.printer = printer;
        return withServer(std::move(answer));
    }

private:
    Answer refusal(ipp_status_t status) const
    {
        if (gaveUp_ || limit_.reached())
            return failure(Outcome::NoAnswer);
        switch (status) {
        case IPP_STATUS_ERROR_NOT_FOUND:
            return failure(Outcome::NoSuchPrinter, lastErrorText());
        case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
            return failure(Outcome::NotAccepting, lastErrorText());
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
            return failure(Outcome::Unreachable, lastErrorText());
        default:
            return failure(Outcome::Failed, lastErrorText());
        }
    }

    Answer brokenAnswer() const
    {
        if (gaveUp_ || limit_.reached())
            return failure(Outcome::NoAnswer);
        const http_status_t status = cups().httpGetStatus(http_);
        // The service refused this user, or a document that large.
        if (status == HTTP_STATUS_UNAUTHORIZED || status == HTTP_STATUS_FORBIDDEN ||
            status == HTTP_STATUS_REQUEST_TOO_LARGE)
            return failure(Outcome::Failed, lastErrorText());
        // No answer at all, the connection broken: the service went away since, or what
        // listens there does not speak its language and hung up.
        if (status <= HTTP_STATUS_CONTINUE) {
            const Connection again(limit_);
            if (!again.http())
                return again.connectFailure();
        }
        return failure(Outcome::WrongAnswer,
                       status > HTTP_STATUS_CONTINUE ? "HTTP " + std::to_string(int(status)) : std::string());
    }

    Answer withServer(Answer answer) const
    {
        // A local socket is this computer's own service: its path means nothing to a user.
        if (!server_.empty() && !server_.starts_with('/'))
            answer.server = port_ == 631 ? server_ : server_ + ':' + std::to_string(port_);
        return answer;
    }
    int remainingMilliseconds() const
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(limit_.deadline - Clock::now()).count();
        return left > 0 ? int(left) : 1;
    }
    static int keepWaiting(http_t *, void *self)
    {
        auto *connection = static_cast<Connection *>(self);
        if (!connection->limit_.reached())
            return 1;
        connection->gaveUp_ = true;
        return 0;
    }

    Limit limit_;
    std::string server_;
    int port_ = 631;
    http_t *http_ = nullptr;
    bool gaveUp_ = false;
};

struct IppDeleter {
    void operator()(ipp_t *ipp) const { cups().ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

bool succeeded(const Ipp &response)
{
    return response && cups().ippGetStatusCode(response.get()) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

std::string textOf(ipp_t *response, const char *name)
{
    ipp_attribute_t *attribute = cups().ippFindAttribute(response, name, IPP_TAG_ZERO);
    const char *text = attribute ? cups().ippGetString(attribute, 0, nullptr) : nullptr;
    return text ? text : std::string();
}

std::string serviceUri(const std::string &path)
{
    char uri[HTTP_MAX_URI];
    cups().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", cups().ippPort(), "%s",
                            path.c_str());
    return uri;
}

std::string printerUri(const std::string &name) { return serviceUri("/printers/" + queueOf(name)); }
std::string jobUri(int job) { return serviceUri("/jobs/" + std::to_string(job)); }

// A request about the printer or job at `uri`, made by this user.
ipp_t *newRequest(ipp_op_t operation, const char *uriAttribute, const std::string &uri)
{
    ipp_t *request = cups().ippNewRequest(operation);
    if (uriAttribute)
        cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriAttribute, nullptr, uri.c_str());
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cups().cupsUser());
    return request;
}

// The attributes `wanted` of the printer or job at `uri`.
template <std::size_t N>
Ipp askAttributes(const Connection &connection, ipp_op_t operation, const char *uriAttribute, const std::string &uri,
                  const std::array<const char *, N> &wanted)
{
    ipp_t *request = newRequest(operation, uriAttribute, uri);
    cups().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(wanted.size()),
                         nullptr, wanted.data());
    return Ipp(cups().cupsDoRequest(connection.http(), request, "/"));
}

Answer askPrinter(const Connection &connection, const std::string &name)
{
    const Ipp response = askAttributes(
        connection, IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", printerUri(name),
        std::array{"printer-state", "printer-is-accepting-jobs", "printer-state-message"});
    if (!succeeded(response))
        return connection.requestFailure(name, response.get());

    Answer answer;
    answer.printer = name;
    ipp_attribute_t *state = cups().ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
    answer.stopped = state && cups().ippGetInteger(state, 0) == IPP_PSTATE_STOPPED;
    ipp_attribute_t *accepting = cups().ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    if (accepting && !cups().ippGetBoolean(accepting, 0)) {
        answer.outcome = Outcome::NotAccepting;
        answer.reason = textOf(response.get(), "printer-state-message");
    }
    return answer;
}

// The job's state as the service reports it, with its reason where it ended badly.
JobState jobStateOf(const Connection &connection, int job)
{
    const Ipp response = askAttributes(connection, IPP_OP_GET_JOB_ATTRIBUTES, "job-uri", jobUri(job),
                                      std::array{"job-state", "job-state-message", "job-printer-state-message"});
    JobState result;
    if (!succeeded(response))
        return result;
    ipp_attribute_t *state = cups().ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    switch (state ? cups().ippGetInteger(state, 0) : IPP_JSTATE_PENDING) {
    case IPP_JSTATE_COMPLETED:
        result.end = JobEnd::Completed;
        return result;
    case IPP_JSTATE_ABORTED:
        result.end = JobEnd::Aborted;
        break;
    case IPP_JSTATE_CANCELED:
        result.end = JobEnd::Cancelled;
        break;
    default:
        result.end = JobEnd::Waiting;
        return result;
    }
    // The scheduler's word on the job, else the printer's last word while it printed it.
    result.reason = textOf(response.get(), "job-state-message");
    if (result.reason.empty())
        result.reason = textOf(response.get(), "job-printer-state-message");
    return result;
}

const char *noPassword(const char *, http_t *, const char *, const char *, void *) { return nullptr; }

thread_local Limit threadLimit{Clock::time_point::max()};

int threadKeepWaiting(http_t *, void *) { return threadLimit.reached() ? 0 : 1; }
int stopWaiting(http_t *, void *) { return 0; }

}  // namespace

void prepareThread()
{
    if (loadCups())
        cups().cupsSetPasswordCB2(&noPassword, nullptr);
}

Answer findDefaultPrinter(const Limit &limit)
{
    Connection connection(limit);
    if (!connection.http())
        return connection.connectFailure();
    // The service's own default, asked on this connection first: whatever answers here
    // must answer as a print service before anything else is asked of it.
    ipp_t *request = newRequest(IPP_OP_CUPS_GET_DEFAULT, nullptr, {});
    const Ipp serviceDefault(cups().cupsDoRequest(connection.http(), request, "/"));
    if (!serviceDefault || (!succeeded(serviceDefault) &&
                            cups().ippGetStatusCode(serviceDefault.get()) != IPP_STATUS_ERROR_NOT_FOUND))
        return connection.requestFailure({}, serviceDefault.get());

    cups_dest_t *dest = cups().cupsGetNamedDest(connection.http(), nullptr, nullptr);
    if (!dest) {
        if (limit.reached())
            return connection.requestFailure({}, nullptr);
        // The service answered, and knows of no default.
        return failure(Outcome::NoDefault);
    }
    Answer answer;
    answer.printer = dest->name;
    if (dest->instance)
        answer.printer += std::string("/") + dest->instance;
    cups().cupsFreeDests(1, dest);
    return answer;
}

Answer checkPrinter(const std::string &name, const Limit &limit)
{
    Connection connection(limit);
    if (!connection.http())
        return connection.connectFailure();
    return askPrinter(connection, name);
}

Answer submitPdf(const std::string &name, const std::string &title, const std::string &pdf, const Options &options,
                 const Limit &limit)
{
    Connection connection(limit);
    if (!connection.http())
        return connection.connectFailure();
    const std::string queue = queueOf(name);
    const std::string resource = "/printers/" + queue;

    // The requests are made here on this connection: the library's own job calls look the
    // printer up again on connections without any bound.
    ipp_t *create = newRequest(IPP_OP_CREATE_JOB, "printer-uri", printerUri(name));
    cups().ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
    cups_option_t *cupsOptions = nullptr;
    int optionCount = 0;
    for (const auto &[key, value] : options)
        optionCount = cups().cupsAddOption(key.c_str(), value.c_str(), optionCount, &cupsOptions);
    cups().cupsEncodeOptions2(create, optionCount, cupsOptions, IPP_TAG_OPERATION);
    cups().cupsEncodeOptions2(create, optionCount, cupsOptions, IPP_TAG_JOB);
    cups().cupsFreeOptions(optionCount, cupsOptions);
    const Ipp created(cups().cupsDoRequest(connection.http(), create, resource.c_str()));
    ipp_attribute_t *jobId = created ? cups().ippFindAttribute(created.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
    if (!succeeded(created) || !jobId)
        return connection.requestFailure(name, created.get());
    const int job = cups().ippGetInteger(jobId, 0);

    // A job without its whole document would wait in the queue until the service gives
    // up on it, and a document sent after the caller stopped waiting would print a page
    // reported as lost: either way the job goes.
    const auto withdraw = [&](Answer answer) {
        answer.job = job;
        answer.leftBehind = !cancelJob(job, {Clock::now() + CancelBound, nullptr, limit.stopping});
        return answer;
    };
    if (limit.reached())
        return withdraw(connection.requestFailure(name, nullptr));
    if (cups().cupsStartDocument(connection.http(), queue.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) !=
            HTTP_STATUS_CONTINUE ||
        cups().cupsWriteRequestData(connection.http(), pdf.data(), pdf.size()) != HTTP_STATUS_CONTINUE)
        return withdraw(connection.requestFailure(name, nullptr));
    const ipp_status_t sent = cups().cupsFinishDocument(connection.http(), queue.c_str());
    if (sent > IPP_STATUS_OK_EVENTS_COMPLETE)
        return withdraw(
            connection.requestFailure(name, cups().httpGetStatus(connection.http()) == HTTP_STATUS_OK, sent));

    // The job is the service's now, to be followed until it ends (askJobState); the
    // queue's state only says whether it waits.
    Answer answer;
    answer.printer = name;
    answer.job = job;
    answer.stopped = askPrinter(connection, name).stopped;
    return answer;
}

bool cancelJob(int job, const Limit &limit)
{
    Connection connection(limit);
    if (!connection.http())
        return false;
    const Ipp response(cups().cupsDoRequest(connection.http(), newRequest(IPP_OP_CANCEL_JOB, "job-uri", jobUri(job)),
                                            "/jobs/"));
    return succeeded(response);
}

bool withdrawJob(int job, const Limit &limit)
{
    Connection connection(limit);
    if (!connection.http())
        return false;
    const Ipp response(cups().cupsDoRequest(connection.http(), newRequest(IPP_OP_CANCEL_JOB, "job-uri", jobUri(job)),
                                            "/jobs/"));
    if (succeeded(response) || (response && cups().ippGetStatusCode(response.get()) == IPP_STATUS_ERROR_NOT_FOUND))
        return true;
    // Refused: fine if the job has ended meanwhile, else to be tried again.
    const JobEnd end = jobStateOf(connection, job).end;
    return end == JobEnd::Completed || end == JobEnd::Aborted || end == JobEnd::Cancelled;
}

JobState askJobState(int job, const Limit &limit)
{
    Connection connection(limit);
    if (!connection.http())
        return {};
    return jobStateOf(connection, job);
}

void limitThreadConnection(const Limit &limit)
{
    if (!loadCups() || !cups().threadConnection)
        return;
    threadLimit = limit;
    if (http_t *http = cups().threadConnection())
        cups().httpSetTimeout(http, WaitSlice, &threadKeepWaiting, nullptr);
}

void limitThreadConnectionWaits(Bound bound)
{
    if (!loadCups() || !cups().threadConnection)
        return;
    if (http_t *http = cups().threadConnection())
        cups().httpSetTimeout(http, std::chrono::duration<double>(bound).count(), &stopWaiting, nullptr);
}

}  // namespace printqueue
