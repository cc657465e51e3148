#include "print_queue.h"

#include <cups/cups.h>
#include <dlfcn.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

namespace printqueue {
namespace {

// The print service's library, loaded on the first question rather than at start: it
// brings some twenty libraries of its own that a session without printing never needs.
#define KOLVARA_CUPS_FUNCTIONS(X)                                                                                      \
    X(cupsAddOption) \
    X(cupsDoRequest) \
    X(cupsEncodeOptions2) \
    X(cupsEncryption) \
    X(cupsFinishDocument) \
    X(cupsFreeDests) \
    X(cupsFreeOptions) \
    X(cupsGetNamedDest) \
    X(cupsLastError) \
    X(cupsLastErrorString) \
    X(cupsServer) \
    X(cupsStartDocument) \
    X(cupsUser) \
    X(cupsWriteRequestData) \
    X(httpAssembleURIf) \
    X(httpClose) \
    X(httpConnect2) \
    X(httpSetTimeout) \
    X(ippAddString) \
    X(ippAddStrings) \
    X(ippDelete) \
    X(ippFindAttribute) \
    X(ippGetBoolean) \
    X(ippGetInteger) \
    X(ippGetStatusCode) \
    X(ippGetString) \
    X(ippNewRequest) \
    X(ippPort)

struct CupsLibrary {
#define KOLVARA_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    KOLVARA_CUPS_FUNCTIONS(KOLVARA_CUPS_POINTER)
#undef KOLVARA_CUPS_POINTER
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
        return &library;
    }();
    return loaded;
}

const CupsLibrary &cups() { return *loadCups(); }

using Clock = std::chrono::steady_clock;

// How often a connection waiting for the service looks at its deadline.
constexpr double WaitSlice = 0.25;

std::string queueOf(const std::string &name) { return name.substr(0, name.find('/')); }

std::string lastErrorText()
{
    if (!loadCups())
        return {};
    const char *text = cups().cupsLastErrorString();
    return text ? text : std::string();
}

// One connection to the service, abandoned once its deadline has passed.
class Connection {
public:
    explicit Connection(Bound bound) : deadline_(Clock::now() + bound)
    {
        if (!loadCups())
            return;
        errno = 0;
        http_ = cups().httpConnect2(cups().cupsServer(), cups().ippPort(), nullptr, AF_UNSPEC, cups().cupsEncryption(),
                                    1, remainingMilliseconds(), nullptr);
        connectErrno_ = errno;
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

    Answer connectFailure() const
    {
        Answer answer;
        if (!loadCups()) {
            answer.outcome = Outcome::Unreachable;
            answer.reason = "libcups.so.2";
            return answer;
        }
        if (Clock::now() >= deadline_) {
            answer.outcome = Outcome::NoAnswer;
            return answer;
        }
        answer.outcome = Outcome::Unreachable;
        answer.reason = connectErrno_ ? std::strerror(connectErrno_) : lastErrorText();
        return answer;
    }

    // What went wrong with the request just made, in the caller's terms.
    Answer requestFailure(const std::string &printer) const
    {
        Answer answer;
        answer.printer = printer;
        if (gaveUp_ || Clock::now() >= deadline_) {
            answer.outcome = Outcome::NoAnswer;
            return answer;
        }
        answer.reason = lastErrorText();
        switch (cups().cupsLastError()) {
        case IPP_STATUS_ERROR_NOT_FOUND:
            answer.outcome = Outcome::NoSuchPrinter;
            break;
        case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
            answer.outcome = Outcome::NotAccepting;
            break;
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
            answer.outcome = Outcome::Unreachable;
            break;
        default:
            answer.outcome = Outcome::Failed;
            break;
        }
        return answer;
    }

private:
    int remainingMilliseconds() const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
        return left > 0 ? int(left) : 1;
    }
    static int keepWaiting(http_t *, void *self)
    {
        auto *connection = static_cast<Connection *>(self);
        if (Clock::now() < connection->deadline_)
            return 1;
        connection->gaveUp_ = true;
        return 0;
    }

    Clock::time_point deadline_;
    http_t *http_ = nullptr;
    int connectErrno_ = 0;
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

// A request about the printer or job at `uri`, made by this user.
ipp_t *newRequest(ipp_op_t operation, const char *uriAttribute, const std::string &uri)
{
    ipp_t *request = cups().ippNewRequest(operation);
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriAttribute, nullptr, uri.c_str());
    cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cups().cupsUser());
    return request;
}

// The attributes `wanted` of the printer or job at `uri`.
Ipp askAttributes(const Connection &connection, ipp_op_t operation, const char *uriAttribute, const std::string &uri,
                  const std::array<const char *, 3> &wanted)
{
    ipp_t *request = newRequest(operation, uriAttribute, uri);
    cups().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(wanted.size()),
                         nullptr, wanted.data());
    return Ipp(cups().cupsDoRequest(connection.http(), request, "/"));
}

Answer askPrinter(const Connection &connection, const std::string &name)
{
    const Ipp response = askAttributes(connection, IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", printerUri(name),
                                      {"printer-state", "printer-is-accepting-jobs", "printer-state-message"});
    if (!succeeded(response))
        return connection.requestFailure(name);

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

// A job the service took may still end aborted (a filter or the backend failed at once).
Answer askJob(const Connection &connection, const std::string &name, int job)
{
    const Ipp response = askAttributes(connection, IPP_OP_GET_JOB_ATTRIBUTES, "job-uri",
                                      serviceUri("/jobs/" + std::to_string(job)),
                                      {"job-state", "job-state-message", "job-state-reasons"});
    if (!succeeded(response))
        return connection.requestFailure(name);

    Answer answer;
    answer.printer = name;
    ipp_attribute_t *state = cups().ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    const int jobState = state ? cups().ippGetInteger(state, 0) : IPP_JSTATE_PENDING;
    if (jobState == IPP_JSTATE_ABORTED || jobState == IPP_JSTATE_CANCELED) {
        answer.outcome = Outcome::Failed;
        answer.reason = textOf(response.get(), "job-state-message");
        if (answer.reason.empty())
            answer.reason = textOf(response.get(), "job-state-reasons");
    }
    return answer;
}

}  // namespace

Answer findDefaultPrinter(Bound bound)
{
    Connection connection(bound);
    if (!connection.http())
        return connection.connectFailure();
    cups_dest_t *dest = cups().cupsGetNamedDest(connection.http(), nullptr, nullptr);
    if (!dest) {
        Answer answer = connection.requestFailure({});
        // The service answered, and knows of no default.
        if (answer.outcome == Outcome::NoSuchPrinter || cups().cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
            answer.outcome = Outcome::NoDefault;
        return answer;
    }
    Answer answer;
    answer.printer = dest->name;
    if (dest->instance)
        answer.printer += std::string("/") + dest->instance;
    cups().cupsFreeDests(1, dest);
    return answer;
}

Answer checkPrinter(const std::string &name, Bound bound)
{
    Connection connection(bound);
    if (!connection.http())
        return connection.connectFailure();
    return askPrinter(connection, name);
}

Answer submitPdf(const std::string &name, const std::string &title, const std::string &pdf, const Options &options,
                 Bound bound)
{
    Connection connection(bound);
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
        return connection.requestFailure(name);
    const int job = cups().ippGetInteger(jobId, 0);

    if (cups().cupsStartDocument(connection.http(), queue.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) !=
            HTTP_STATUS_CONTINUE ||
        cups().cupsWriteRequestData(connection.http(), pdf.data(), pdf.size()) != HTTP_STATUS_CONTINUE ||
        cups().cupsFinishDocument(connection.http(), queue.c_str()) > IPP_STATUS_OK_EVENTS_COMPLETE)
        return connection.requestFailure(name);

    Answer answer = askJob(connection, name, job);
    if (answer.outcome != Outcome::Done)
        return answer;
    // The job is the service's now; the queue's state only says whether it waits.
    answer.stopped = askPrinter(connection, name).stopped;
    return answer;
}

}  // namespace printqueue
