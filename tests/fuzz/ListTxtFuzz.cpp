// Reading "list.txt" line by line on arbitrary bytes: no crash, leak or hang, and the lines are
// exactly those of a plain reference split (ends at CR, CR LF or LF; a UTF-8 byte-order mark at
// the start skipped; the last line needs no end), byte for byte once encoded back.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace {

std::vector<std::string> referenceLines(std::string bytes) {
    if (bytes.rfind("\xef\xbb\xbf", 0) == 0) {
        bytes.erase(0, 3);
    }
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            lines.push_back(line);
            line.clear();
        } else {
            line += bytes[i];
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An in-memory regular file, opened by name as the program opens list.txt.
    const int fd = memfd_create("list.txt", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size)) {
        std::abort();
    }
    const std::u16string path = platform::fromUtf8("/proc/self/fd/" + std::to_string(fd));

    std::vector<std::string> lines;
    {
        platform::TextFile file(path);
        while (!file.atEnd()) {
            const std::u16string line = file.readLine();
            if (line.find_first_of(u"\r\n") != std::u16string::npos) {
                std::abort();
            }
            lines.push_back(platform::toUtf8(line));
        }
        file.close();
    }
    close(fd);

    if (lines != referenceLines(std::string(reinterpret_cast<const char*>(data), size))) {
        std::abort();
    }
    return 0;
}
