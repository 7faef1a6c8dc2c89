#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace qtbackend {

// One print job on a CUPS destination, its document (PDF) streamed to the server as it is
// written. The job is created when the object is; the server starts printing only once finish()
// has handed the whole document over, so a job that is cancelled, or destroyed unfinished,
// prints nothing. Every failure (no destination, a destination that refuses jobs, a server that
// cannot be reached or stops answering) raises a printer error; no call waits on the server for
// more than a bounded time.
class CupsJob {
public:
    // destination: a queue name, with "/instance" when it has one; empty for the default
    // destination, which honours PRINTER and LPDEST, lpoptions and the server's default.
    CupsJob(const std::string& destination, const std::string& title, int copies = 1);
    // Cancels the job when it was not finished.
    ~CupsJob();
    CupsJob(const CupsJob&) = delete;
    CupsJob& operator=(const CupsJob&) = delete;

    // Appends to the document.
    void write(const char* data, std::size_t size);
    // Ends the document and hands it over as one job; returns once the server accepted it.
    void finish();
    // Withdraws the job; nothing is printed. Does nothing once finished or cancelled.
    void cancel();

    // The name of the default destination, with "/instance" when it has one; "" when there is
    // none or the server cannot be reached.
    static std::string defaultDestination();

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
    std::string queue_;
    int id_ = 0;
    bool open_ = false;
};

} // namespace qtbackend
