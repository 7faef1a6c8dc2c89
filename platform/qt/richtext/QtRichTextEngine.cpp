#include "platform/qt/richtext/QtRichTextEngine.h"

#include "platform/Failure.h"

namespace qtbackend {

void QtRichTextEngine::loadFile(const std::u16string&) {
    platform::raise(platform::ErrorNumber::FileNotFound);
}

std::int32_t QtRichTextEngine::formatRange(bool, const platform::FORMATRANGE*) {
    return 0;
}

} // namespace qtbackend
