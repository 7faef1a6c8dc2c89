#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/qt/richtext/RtfControlWords.h"

namespace qtbackend {

// One formatting word of a style, as the style sheet writes it.
struct RtfStyleWord {
    const RtfControlWord* word = nullptr;
    std::int32_t parameter = 0;
    bool hasParameter = false;
};

// The paragraph styles of \stylesheet, kept as the words that define them, to be read again where
// a paragraph names its style (\sN). Writers are meant to repeat a style's formatting in each of
// its paragraphs, and Word does; LibreOffice leaves some of it to the style sheet. Character,
// section and table styles (\*\cs, \*\ds, \*\ts) are not kept.
class RtfStyleSheet {
public:
    static constexpr std::size_t MaxStyles = 4096;
    // Words of one style, those of the styles it is based on included: the last ones are kept.
    static constexpr std::size_t MaxWords = 64;
    static constexpr int MaxBaseDepth = 16;

    // A style's group begins and ends; one without \sN is style 0, the Normal style.
    void beginStyle();
    void endStyle();
    void setNumber(std::int32_t number) { defining_.number = number; }
    void setBasedOn(std::int32_t style) { defining_.basedOn = style; }
    void record(const RtfControlWord& word, std::int32_t parameter, bool hasParameter);

    // Whether a word of a style definition formats paragraphs or characters, and is kept.
    static bool formats(RtfWord word);

    // The words of style, those of the styles it is based on first; none for an unknown style.
    const std::vector<RtfStyleWord>& words(std::int32_t style);

private:
    struct Style {
        std::int32_t number = 0;
        std::int32_t basedOn = -1;
        std::vector<RtfStyleWord> own;
        std::optional<std::vector<RtfStyleWord>> all; // own and based-on words, once asked for
    };

    std::unordered_map<std::int32_t, Style> styles_;
    Style defining_;
    bool anyJoined_ = false;
};

} // namespace qtbackend
