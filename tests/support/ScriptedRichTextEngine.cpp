#include "tests/support/ScriptedRichTextEngine.h"

#include "platform/Failure.h"

namespace fake {

void ScriptedRichTextEngine::loadFile(const std::u16string& path) {
    script_.loadedPaths.push_back(path);
    const auto it = script_.files.find(path);
    if (it == script_.files.end()) {
        platform::raise(platform::ErrorNumber::FileNotFound);
    }
    text_ = it->second;
}

std::int32_t ScriptedRichTextEngine::formatRange(bool render, const platform::FORMATRANGE* range) {
    if (range == nullptr) {
        script_.calls.push_back({render, std::nullopt});
        return 0;
    }
    script_.calls.push_back({render, *range});
    const std::size_t message = renders_++;
    if (render && script_.whileRendering) {
        script_.whileRendering(*range);
    }
    if (script_.failingRender == message) {
        platform::raise(platform::ErrorNumber::InvalidProcedureCall);
    }
    if (message < script_.renderAnswers.size()) {
        return script_.renderAnswers[message];
    }
    return static_cast<std::int32_t>(text_.size());
}

} // namespace fake
