#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Failure.h"
#include "platform/Strings.h"

namespace platform {

namespace {

[[noreturn]] void raiseOpenFailure(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        raise(ErrorNumber::FileNotFound);
    case EACCES:
    case EPERM:
        raise(ErrorNumber::PermissionDenied);
    case ENAMETOOLONG:
        raise(ErrorNumber::BadFileName);
    default:
        raise(ErrorNumber::PathFileAccessError);
    }
}

// The file name's bytes for the system, which ends a name at its first NUL: a name holding
// one is refused rather than cut short into another file's name.
std::string systemName(const std::u16string& path) {
    if (path.find(u'\0') != std::u16string::npos) {
        raise(ErrorNumber::BadFileName);
    }
    return toUtf8(path);
}

} // namespace

int openRegularFile(const std::u16string& path) {
    // Opened without blocking, so that a pipe or a device by that name is refused rather than
    // waited on.
    const int descriptor = ::open(systemName(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        raiseOpenFailure(errno);
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        raise(ErrorNumber::PathFileAccessError);
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

std::string readFileBytes(const std::u16string& path, std::int64_t maximumBytes) {
    const int descriptor = openRegularFile(path);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ::close(descriptor);
            if (got < 0) {
                raise(ErrorNumber::DeviceIoError);
            }
            return bytes;
        }
        if (static_cast<std::int64_t>(bytes.size()) + got > maximumBytes) {
            ::close(descriptor);
            raise(ErrorNumber::OutOfMemory);
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

TextFile::TextFile(const std::u16string& path) : file_(nullptr) {
    const int descriptor = openRegularFile(path);
    file_ = fdopen(descriptor, "rb");
    if (file_ == nullptr) {
        ::close(descriptor);
        raise(ErrorNumber::PathFileAccessError);
    }
}

TextFile::~TextFile() {
    close();
}

void TextFile::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

int TextFile::next() {
    if (file_ == nullptr) {
        raise(ErrorNumber::BadFileName);
    }
    const int c = std::getc(file_);
    if (c == EOF && std::ferror(file_)) {
        raise(ErrorNumber::DeviceIoError);
    }
    return c;
}

int TextFile::peek() {
    const int c = next();
    if (c != EOF) {
        std::ungetc(c, file_);
    }
    return c;
}

void TextFile::skipByteOrderMark() {
    if (started_) {
        return;
    }
    started_ = true;
    unsigned char mark[3] = {};
    const std::size_t got = file_ != nullptr ? std::fread(mark, 1, 3, file_) : 0;
    if (got != 3 || mark[0] != 0xEF || mark[1] != 0xBB || mark[2] != 0xBF) {
        if (file_ != nullptr) {
            std::rewind(file_);
        }
    }
}

bool TextFile::atEnd() {
    skipByteOrderMark();
    return peek() == EOF;
}

std::u16string TextFile::readLine() {
    if (atEnd()) {
        raise(ErrorNumber::InputPastEndOfFile);
    }
    std::string bytes;
    for (int c = next(); c != EOF; c = next()) {
        if (c == '\n') {
            break;
        }
        if (c == '\r') {
            if (peek() == '\n') {
                next();
            }
            break;
        }
        bytes += static_cast<char>(c);
    }
    return fromUtf8(bytes);
}

std::int64_t FileLen(const std::u16string& path) {
    struct stat info {};
    if (stat(systemName(path).c_str(), &info) != 0) {
        raiseOpenFailure(errno);
    }
    // A directory has no length of its own.
    if (S_ISDIR(info.st_mode)) {
        return 0;
    }
    return static_cast<std::int64_t>(info.st_size);
}

} // namespace platform
