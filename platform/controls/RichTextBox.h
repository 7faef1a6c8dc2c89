#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Form.h"
#include "platform/Handles.h"

namespace platform {

class RichTextEngine;

// A rich text box: holds a rich text or plain text document and formats it for printing through
// EM_FORMATRANGE sent to its window handle.
class RichTextBox : public Control, public Window {
public:
    explicit RichTextBox(Form& owner);
    ~RichTextBox() override;

    const std::u16string& FileName() const { return fileName_; }
    // Loads the file: content that begins with "{\rtf" is read as rich text, anything else as
    // plain text. Fails like opening the file would.
    void SetFileName(const std::u16string& path);

    // The plain text; paragraph breaks count one character each, as formatting positions do.
    std::u16string Text() const;

    std::intptr_t windowProc(std::uint32_t message, std::intptr_t wParam,
                             std::intptr_t lParam) override;

protected:
    void release() override;

private:
    RichTextEngine& engine() const;

    std::u16string fileName_;
    mutable std::unique_ptr<RichTextEngine> engine_;
};

} // namespace platform
