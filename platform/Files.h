#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace platform {

// A text file open for reading line by line. Text is UTF-8, the platform's code page; a line ends
// at CR, CR LF or LF, and the last line needs no end.
class TextFile {
public:
    // Opens the file; fails with file not found when it is missing and with a path/file access
    // error when it cannot be read.
    explicit TextFile(const std::u16string& path);
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    bool atEnd();
    // The next line without its end; fails past the end of the file or on a read error.
    std::u16string readLine();
    void close();

private:
    // A UTF-8 byte-order mark is not part of the first line.
    void skipByteOrderMark();
    int next();
    int peek();

    std::FILE* file_;
    bool started_ = false;
};

// The size of a file in bytes; fails with file not found when it does not exist.
std::int64_t FileLen(const std::u16string& path);

// Opens a regular file for reading by its exact name and answers its descriptor. A missing file
// fails with file not found; a directory, pipe or device with a path/file access error, without
// waiting on it.
int openRegularFile(const std::u16string& path);

// The whole content of a regular file, opened as openRegularFile does; a file larger than
// maximumBytes fails with out of memory, a read error with a device I/O error.
std::string readFileBytes(const std::u16string& path, std::int64_t maximumBytes);

} // namespace platform
