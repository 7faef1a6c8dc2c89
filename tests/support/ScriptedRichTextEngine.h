#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Backend.h"

namespace fake {

// What the scripted rich text engine holds and answers, and what it was asked.
struct ScriptedRichTextScript {
    // Files that load, with their plain text; any other path fails as a missing file.
    std::map<std::u16string, std::u16string> files;
    std::vector<std::u16string> loadedPaths;

    // Answers of the render messages, in order; once used up, the text length.
    std::vector<std::int32_t> renderAnswers;
    // The render message (counted from 0) that fails as a failing call on the control would.
    std::optional<std::size_t> failingRender;
    // Runs inside every render message, with its record.
    std::function<void(const platform::FORMATRANGE&)> whileRendering;

    // Every EM_FORMATRANGE: the render flag and a copy of the record (none for a release).
    struct Call {
        bool render;
        std::optional<platform::FORMATRANGE> range;
    };
    std::vector<Call> calls;
};

class ScriptedRichTextEngine : public platform::RichTextEngine {
public:
    explicit ScriptedRichTextEngine(ScriptedRichTextScript& script) : script_(script) {}

    void loadFile(const std::u16string& path) override;
    std::u16string text() const override { return text_; }
    std::int32_t formatRange(bool render, const platform::FORMATRANGE* range) override;

private:
    ScriptedRichTextScript& script_;
    std::u16string text_;
    std::size_t renders_ = 0;
};

} // namespace fake
