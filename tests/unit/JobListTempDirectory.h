#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/Strings.h"

namespace joblisttest {

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDirectory {
public:
    TempDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillet-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::u16string path16() const { return platform::fromUtf8(path_.string()); }
    // The full path of a name inside, as the program writes it.
    std::u16string operator/(std::u16string_view name) const {
        return path16() + u'/' + std::u16string(name);
    }

    void write(const std::string& name, std::string_view content) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    void makeDirectory(const std::string& name) const {
        std::filesystem::create_directory(path_ / name);
    }

private:
    std::filesystem::path path_;
};

} // namespace joblisttest
