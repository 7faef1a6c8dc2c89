#include "platform/qt/CupsJob.h"

#include <sys/socket.h>

#include <cups/cups.h>

#include "platform/Failure.h"

namespace qtbackend {

namespace {

// A server that does not answer fails the job instead of blocking the program. (A server that
// goes away mid-document cannot kill the program with SIGPIPE: libcups ignores that signal.)
constexpr int ConnectTimeoutMs = 5000;
constexpr double ReplyTimeoutSeconds = 30.0;

int giveUp(http_t*, void*) {
    return 0;
}

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpCloser>;

struct DestinationFree {
    void operator()(cups_dest_t* destination) const { cupsFreeDests(1, destination); }
};
using Destination = std::unique_ptr<cups_dest_t, DestinationFree>;

Http connectToServer() {
    Http http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                           ConnectTimeoutMs, nullptr));
    if (http != nullptr) {
        httpSetTimeout(http.get(), ReplyTimeoutSeconds, giveUp, nullptr);
    }
    return http;
}

// destination is "name" or "name/instance"; empty asks for the default.
Destination findDestination(http_t* http, const std::string& destination) {
    if (destination.empty()) {
        return Destination(cupsGetNamedDest(http, nullptr, nullptr));
    }
    const std::size_t slash = destination.find('/');
    const std::string name = destination.substr(0, slash);
    const std::string instance = slash == std::string::npos ? "" : destination.substr(slash + 1);
    return Destination(
        cupsGetNamedDest(http, name.c_str(), instance.empty() ? nullptr : instance.c_str()));
}

[[noreturn]] void failWith(const std::string& what) {
    platform::raise(platform::ErrorNumber::PrinterError,
                    what + ": " + std::string(cupsLastErrorString()));
}

} // namespace

struct CupsJob::Connection {
    Http http;
};

CupsJob::CupsJob(const std::string& destination, const std::string& title, int copies)
    : connection_(std::make_unique<Connection>()) {
    connection_->http = connectToServer();
    if (connection_->http == nullptr) {
        failWith("print server unreachable");
    }
    http_t* http = connection_->http.get();
    const Destination found = findDestination(http, destination);
    if (found == nullptr) {
        failWith(destination.empty() ? "no default printer" : "no printer " + destination);
    }
    queue_ = found->name;

    // The job's own options first, then the destination's saved ones (lpoptions), as lp does.
    cups_option_t* options = nullptr;
    int count = 0;
    if (copies > 1) {
        count = cupsAddIntegerOption("copies", copies, count, &options);
    }
    for (int i = 0; i < found->num_options; ++i) {
        const cups_option_t& saved = found->options[i];
        if (cupsGetOption(saved.name, count, options) == nullptr) {
            count = cupsAddOption(saved.name, saved.value, count, &options);
        }
    }
    id_ = cupsCreateJob(http, queue_.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (id_ == 0) {
        failWith("job refused by " + queue_);
    }
    open_ = true;
    if (cupsStartDocument(http, queue_.c_str(), id_, title.c_str(), CUPS_FORMAT_PDF, 1) !=
        HTTP_STATUS_CONTINUE) {
        const std::string reason = cupsLastErrorString();
        cancel();
        platform::raise(platform::ErrorNumber::PrinterError, "document refused: " + reason);
    }
}

CupsJob::~CupsJob() {
    cancel();
}

void CupsJob::write(const char* data, std::size_t size) {
    if (!open_) {
        platform::raise(platform::ErrorNumber::PrinterError, "print job not open");
    }
    if (size == 0) {
        return;
    }
    const http_status_t status = cupsWriteRequestData(connection_->http.get(), data, size);
    if (status != HTTP_STATUS_CONTINUE) {
        const std::string reason = cupsLastErrorString();
        cancel();
        platform::raise(platform::ErrorNumber::PrinterError, "sending the document: " + reason);
    }
}

void CupsJob::finish() {
    if (!open_) {
        platform::raise(platform::ErrorNumber::PrinterError, "print job not open");
    }
    const ipp_status_t status = cupsFinishDocument(connection_->http.get(), queue_.c_str());
    if (status >= IPP_STATUS_REDIRECTION_OTHER_SITE) {
        const std::string reason = cupsLastErrorString();
        cancel();
        platform::raise(platform::ErrorNumber::PrinterError, "document not accepted: " + reason);
    }
    open_ = false;
    connection_->http.reset();
}

void CupsJob::cancel() {
    if (!open_) {
        return;
    }
    open_ = false;
    // The connection may be in the middle of the document: drop it and cancel on a fresh one.
    connection_->http.reset();
    const Http http = connectToServer();
    if (http != nullptr) {
        cupsCancelJob2(http.get(), queue_.c_str(), id_, 0);
    }
}

std::string CupsJob::defaultDestination() {
    const Http http = connectToServer();
    if (http == nullptr) {
        return {};
    }
    const Destination found = findDestination(http.get(), {});
    if (found == nullptr) {
        return {};
    }
    std::string name = found->name;
    if (found->instance != nullptr) {
        name += '/';
        name += found->instance;
    }
    return name;
}

} // namespace qtbackend
