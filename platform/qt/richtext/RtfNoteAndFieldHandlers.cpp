#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfLexer.h"
#include "platform/qt/richtext/RtfReader.h"

namespace qtbackend {

namespace {

// Fields nested deeper than this are read as plain groups.
constexpr std::size_t MaxOpenFields = 32;

} // namespace

bool RtfReader::noteOrFieldDestination(const RtfControlWord& word) {
    RtfGroupState& group = state();
    const auto into = [&group](RtfDestination from, RtfDestination to) {
        group.destination = group.destination == from ? to : RtfDestination::Skip;
    };
    switch (word.word) {
    case RtfWord::Note:
        if (group.destination != RtfDestination::Body || group.inNote) {
            group.destination = RtfDestination::Skip; // a note in a note has nowhere to go
            return true;
        }
        flushText(); // the body's text so far goes to the body
        notes_.begin();
        group.inNote = true;
        noteDepth_ = stack_.size();
        return true;
    case RtfWord::Field:
        if (group.destination == RtfDestination::Body && fields_.size() < MaxOpenFields) {
            fields_.emplace_back().groupDepth = stack_.size();
            group.field = static_cast<int>(fields_.size()) - 1;
        }
        return true;
    case RtfWord::FieldInstruction:
        into(RtfDestination::Body,
             group.field >= 0 ? RtfDestination::FieldInstruction : RtfDestination::Skip);
        return true;
    case RtfWord::FormField:
        into(RtfDestination::FieldInstruction, RtfDestination::FormField);
        return true;
    case RtfWord::FormFieldDefaultText:
        into(RtfDestination::FormField, RtfDestination::FormFieldText);
        return true;
    case RtfWord::FormFieldEntry:
        into(RtfDestination::FormField, RtfDestination::FormFieldEntry);
        if (group.destination == RtfDestination::FormFieldEntry) {
            std::vector<std::string>& entries = fields_[std::size_t(group.field)].formEntries;
            if (entries.size() < RtfField::MaxFormEntries) {
                entries.emplace_back();
            } else {
                group.destination = RtfDestination::Skip;
            }
        }
        return true;
    default:
        return false;
    }
}

bool RtfReader::noteOrFieldValue(const RtfControlWord& word, std::int32_t parameter) {
    using Kind = RtfNotes::Kind;
    const Kind kind = word.word == RtfWord::EndnoteNumbering || word.word == RtfWord::EndnoteStart
                          ? Kind::Endnote
                          : Kind::Footnote;
    switch (word.word) {
    case RtfWord::Endnote:
        if (state().inNote) {
            notes_.setEndnote();
        }
        return true;
    case RtfWord::FootnoteNumbering:
    case RtfWord::EndnoteNumbering:
        notes_.setNumberFormat(kind, static_cast<RtfNumberFormat>(word.value));
        return true;
    case RtfWord::FootnoteStart:
    case RtfWord::EndnoteStart:
        notes_.setFirstNumber(kind, parameter);
        return true;
    case RtfWord::FormFieldType:
    case RtfWord::FormFieldResult:
    case RtfWord::FormFieldDefault:
        break;
    default:
        return false;
    }
    const int field = state().field;
    if (field < 0) {
        return true;
    }
    RtfField& current = fields_[std::size_t(field)];
    if (word.word == RtfWord::FormFieldType) {
        current.formType = parameter;
    } else if (word.word == RtfWord::FormFieldResult) {
        current.formResult = parameter;
    } else {
        current.formDefault = parameter;
    }
    return true;
}

RtfNotes::Kind RtfReader::markedNoteKind() const {
    // Word writes a note's mark just before the note, {\super\chftn}{\footnote\ftnalt ...}, and
    // only the note tells whether it is an endnote, numbered apart: a few tokens ahead show it.
    constexpr int MaxTokensAhead = 16;
    RtfLexer ahead = *lexer_;
    bool inNote = false;
    for (int i = 0; i < MaxTokensAhead; ++i) {
        const RtfToken token = ahead.next();
        if (token.kind == RtfToken::Kind::GroupStart || token.kind == RtfToken::Kind::GroupEnd ||
            (token.kind == RtfToken::Kind::ControlSymbol && token.symbol == '*')) {
            continue;
        }
        if (token.kind != RtfToken::Kind::ControlWord) {
            break;
        }
        if (inNote) {
            return token.name == "ftnalt" ? RtfNotes::Kind::Endnote : RtfNotes::Kind::Footnote;
        }
        inNote = token.name == "footnote";
    }
    return RtfNotes::Kind::Footnote;
}

void RtfReader::fieldText(std::string_view bytes) {
    RtfField& field = fields_[std::size_t(state().field)];
    std::string& text = state().destination == RtfDestination::FieldInstruction ? field.instruction
                        : state().destination == RtfDestination::FormFieldText
                            ? field.formDefaultText
                            : field.formEntries.back();
    text.append(
        bytes.substr(0, RtfField::MaxTextBytes - std::min(text.size(), RtfField::MaxTextBytes)));
}

void RtfReader::endNote() {
    flushText();
    words_.reset();
    notes_.end(blockFormat(), charFormat(state().character));
}

void RtfReader::endField() {
    const RtfField field = fields_.back();
    fields_.pop_back();
    if (field.resultHasText || state().destination != RtfDestination::Body) {
        return;
    }
    appendString(fieldFallbackText(field, decoder_, codePageOf(state().character)));
}

} // namespace qtbackend
