#pragma once

#include <cstdint>
#include <string>

#include "platform/Form.h"

namespace platform {

// Open dialog flags, under their published values.
inline constexpr std::int32_t cdlOFNAllowMultiselect = 0x200;
inline constexpr std::int32_t cdlOFNPathMustExist = 0x800;
inline constexpr std::int32_t cdlOFNFileMustExist = 0x1000;
inline constexpr std::int32_t cdlOFNExplorer = 0x80000;
inline constexpr std::int32_t cdlOFNLongNames = 0x200000;

// The common dialog control, used as a modal Open dialog owned by its form.
class CommonDialog : public Control {
public:
    using Control::Control;

    std::int32_t Flags() const { return flags_; }
    void SetFlags(std::int32_t flags) { flags_ = flags; }
    // The longest selection string the dialog may hand back, 1 to 32767 characters.
    std::int16_t MaxFileSize() const { return maxFileSize_; }
    void SetMaxFileSize(std::int16_t characters);
    const std::u16string& FileName() const { return fileName_; }
    void SetFileName(std::u16string fileName) { fileName_ = std::move(fileName); }
    const std::u16string& InitDir() const { return initDir_; }
    void SetInitDir(std::u16string directory) { initDir_ = std::move(directory); }
    const std::u16string& Filter() const { return filter_; }
    void SetFilter(std::u16string filter) { filter_ = std::move(filter); }

    // Shows the Open dialog and waits for it. FileName then holds the selection string: empty
    // when the user cancelled, the full path of one file, or the directory and the bare names
    // separated by NUL characters. A selection longer than MaxFileSize fails.
    void ShowOpen();

private:
    std::int32_t flags_ = 0;
    std::int16_t maxFileSize_ = 260;
    std::u16string fileName_;
    std::u16string initDir_;
    std::u16string filter_;
};

} // namespace platform
