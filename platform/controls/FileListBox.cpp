#include "platform/controls/FileListBox.h"

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

#include "platform/Failure.h"
#include "platform/Strings.h"

namespace platform {

namespace {

char16_t foldCase(char16_t c) {
    if (c < 0x80) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
        return c;
    }
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

bool matchesWildcard(std::u16string_view name, std::u16string_view pattern) {
    // Iterative match with one backtracking point for the last "*".
    std::size_t n = 0, p = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++n, ++p;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

// Ignoring case first; names that differ only in case are ordered by their code units, so the
// listing does not depend on the order in which the directory hands them over.
bool lessByName(const std::u16string& a, const std::u16string& b) {
    const auto folded = [](char16_t x, char16_t y) { return foldCase(x) < foldCase(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) {
        return false;
    }
    return a < b;
}

} // namespace

bool matchesFilePattern(std::u16string_view name, std::u16string_view patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(u';', start);
        if (end == std::u16string_view::npos) {
            end = patterns.size();
        }
        const std::u16string_view pattern = patterns.substr(start, end - start);
        if (!pattern.empty() && matchesWildcard(name, pattern)) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

FileListBox::FileListBox(Form& owner, std::u16string pattern)
    : Control(owner), pattern_(std::move(pattern)) {}

void FileListBox::SetPath(std::u16string directory) {
    const std::string directoryBytes = toUtf8(directory);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(directoryBytes.c_str()), closedir);
    if (dir == nullptr) {
        raise(errno == ENOENT || errno == ENOTDIR ? ErrorNumber::PathNotFound
                                                  : ErrorNumber::PathFileAccessError);
    }
    std::vector<std::u16string> names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string nameBytes = entry->d_name;
        if (nameBytes.empty() || nameBytes[0] == '.') {
            continue; // hidden, and the "." and ".." entries
        }
        const std::u16string name = fromUtf8(nameBytes);
        if (!matchesFilePattern(name, pattern_)) {
            continue;
        }
        struct stat info {};
        const std::string path = directoryBytes + '/' + nameBytes;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), lessByName);
    toInt16(static_cast<std::int64_t>(names.size()));
    names_ = std::move(names);
    path_ = std::move(directory);
}

const std::u16string& FileListBox::List(std::int16_t index) const {
    if (index < 0 || index >= ListCount()) {
        raise(ErrorNumber::InvalidPropertyArrayIndex);
    }
    return names_[static_cast<std::size_t>(index)];
}

} // namespace platform
