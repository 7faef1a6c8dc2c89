#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Form.h"

namespace platform {

// A file list box: the bare names of the files of its directory that match any of its patterns
// ("*.jpg;*.gif" and so on, case-insensitive), sorted by name. Hidden files and directories are
// not listed.
class FileListBox : public Control {
public:
    FileListBox(Form& owner, std::u16string pattern);

    const std::u16string& Pattern() const { return pattern_; }
    const std::u16string& Path() const { return path_; }
    // Sets the directory and reads it again; fails when it cannot be read.
    void SetPath(std::u16string directory);

    std::int16_t ListCount() const { return static_cast<std::int16_t>(names_.size()); }
    // Entry index, counted from 0; fails for an index outside the list.
    const std::u16string& List(std::int16_t index) const;

private:
    std::u16string pattern_;
    std::u16string path_;
    std::vector<std::u16string> names_;
};

// Whether name matches any of the ";"-separated wildcard patterns ("*" any run, "?" any one
// character), ignoring case.
bool matchesFilePattern(std::u16string_view name, std::u16string_view patterns);

} // namespace platform
