// The reader's side of the style sheet: the words of each paragraph style are kept (see
// RtfStyleSheet) and read again where a paragraph names its style.

#include "platform/qt/richtext/RtfLexer.h"
#include "platform/qt/richtext/RtfReader.h"

namespace qtbackend {

namespace {

// A paragraph names its style once; a file that names it over and over gains nothing from it.
constexpr int MaxStylesPerParagraph = 2;

} // namespace

void RtfReader::defineStyle(const RtfControlWord& word, const RtfToken& token) {
    const std::int32_t parameter = token.hasParameter ? token.parameter : word.value;
    if (word.kind == RtfWordKind::Destination || word.word == RtfWord::OtherStyle) {
        state().destination = RtfDestination::Skip;
    } else if (word.word == RtfWord::ParagraphStyle) {
        styles_.setNumber(parameter);
    } else if (word.word == RtfWord::StyleBasedOn) {
        styles_.setBasedOn(parameter);
    } else if (RtfStyleSheet::formats(word.word)) {
        styles_.record(word, token.parameter, token.hasParameter);
    }
}

// The style's formatting goes in where its name is, so that what the paragraph writes after it
// overrides it, as when a writer repeats the style's own formatting.
void RtfReader::applyStyle(std::int32_t style) {
    if (state().destination != RtfDestination::Body || stylesApplied_ >= MaxStylesPerParagraph) {
        return;
    }
    ++stylesApplied_;
    for (const RtfStyleWord& styleWord : styles_.words(style)) {
        formattingWord(*styleWord.word, styleWord.hasParameter, styleWord.parameter);
    }
}

} // namespace qtbackend
