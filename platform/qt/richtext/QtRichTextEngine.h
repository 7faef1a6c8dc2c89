#pragma once

#include "platform/Backend.h"

namespace qtbackend {

class QtRichTextEngine : public platform::RichTextEngine {
public:
    void loadFile(const std::u16string& path) override;
    std::u16string text() const override { return {}; }
    std::int32_t formatRange(bool render, const platform::FORMATRANGE* range) override;
};

} // namespace qtbackend
