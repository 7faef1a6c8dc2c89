#include "platform/qt/richtext/RtfReader.h"

#include <algorithm>

#include <QTextDocument>

#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfFormats.h"
#include "platform/qt/richtext/RtfLexer.h"
#include "platform/qt/richtext/TextSanitizer.h"
#include "platform/qt/richtext/TextShaping.h"

namespace qtbackend {

RtfReader::RtfReader(QTextDocument& document)
    : document_(document), builder_(document, row_), notes_(row_) {}

void RtfReader::read(std::string_view rtf) {
    stack_.assign(1, RtfGroupState{});
    RtfLexer lexer(rtf);
    lexer_ = &lexer;
    for (RtfToken token = lexer.next(); token.kind != RtfToken::Kind::End && !finished_;
         token = lexer.next()) {
        handle(token);
    }
    if (!finished_) {
        finish(); // the input ended inside the document's group
    }
    lexer_ = nullptr;
}

void RtfReader::finish() {
    if (state().mathPart >= 0) {
        endEquation(); // the input ended inside an equation
    }
    placeWrittenNumber();
    flushText();
    builder_.finish(blockFormat(), charFormat(state().character), inTable());
    notes_.appendTo(document_);
    finished_ = true;
}

void RtfReader::handle(const RtfToken& token) {
    if (overflowDepth_ > 0) {
        if (token.kind == RtfToken::Kind::GroupStart) {
            ++overflowDepth_;
        } else if (token.kind == RtfToken::Kind::GroupEnd) {
            --overflowDepth_;
        }
        return;
    }
    if (token.kind != RtfToken::Kind::ControlWord) {
        ignorableNext_ = false;
    }
    const bool firstInGroup = groupJustOpened_;
    groupJustOpened_ = token.kind == RtfToken::Kind::GroupStart;
    if (token.kind == RtfToken::Kind::ControlSymbol && token.symbol == '*') {
        starOpenedGroup_ = firstInGroup;
    }

    switch (token.kind) {
    case RtfToken::Kind::GroupStart:
        startGroup();
        break;
    case RtfToken::Kind::GroupEnd:
        endGroup();
        break;
    case RtfToken::Kind::ControlWord:
        controlWord(token);
        break;
    case RtfToken::Kind::ControlSymbol:
        if (!skipFallback()) {
            controlSymbol(token.symbol);
        }
        break;
    case RtfToken::Kind::HexByte:
        text(std::string_view(reinterpret_cast<const char*>(&token.byte), 1));
        break;
    case RtfToken::Kind::Text:
        rawText(token.text);
        break;
    case RtfToken::Kind::Binary:
        // Binary data (pictures, objects) is never text; it only counts as one fallback char.
        if (!skipFallback() && state().destination == RtfDestination::Picture) {
            pictures_.binary(token.text);
        }
        break;
    case RtfToken::Kind::End:
        break;
    }
}

void RtfReader::startGroup() {
    if (stack_.size() >= MaxGroupDepth) {
        overflowDepth_ = 1;
        unicodeVersionNext_ = false;
        return;
    }
    RtfGroupState copy = stack_.back();
    copy.skipping = 0; // fallback text never runs past a brace
    copy.skippingTrail = false;
    if (copy.destination == RtfDestination::StyleSheet) {
        copy.destination = RtfDestination::StyleDefinition;
        styles_.beginStyle();
    }
    stack_.push_back(std::move(copy));
}

void RtfReader::endGroup() {
    if (state().destination == RtfDestination::FontTable) {
        fonts_.commit(decoder_, documentCodePage_);
        recentFormats_.clear();
    }
    if (stack_.size() <= 1) {
        return; // a } without its {: nothing to close
    }
    if (state().field >= 0 && stack_.size() == fields_[std::size_t(state().field)].groupDepth) {
        endField();
    }
    if (state().inNote && stack_.size() == noteDepth_) {
        endNote();
    }
    if (state().mathPart >= 0 && math_.endsEquation(stack_.size())) {
        endEquation();
    }
    if (stack_.size() == 2) {
        // The document's own group closes: its last paragraph keeps its formatting, and what
        // follows the group is not RTF.
        finish();
        return;
    }
    if (state().destination == RtfDestination::StyleDefinition &&
        stack_[stack_.size() - 2].destination == RtfDestination::StyleSheet) {
        styles_.endStyle();
    }
    lists_.endGroup(stack_.back(), stack_[stack_.size() - 2]);
    endDrawingGroup();
    stack_.pop_back();
    state().skipping = 0;
    state().skippingTrail = false;
}

bool RtfReader::skipFallback() {
    state().skippingTrail = false; // a trail byte comes straight after its lead byte
    if (state().skipping <= 0) {
        return false;
    }
    --state().skipping;
    return true;
}

void RtfReader::controlWord(const RtfToken& token) {
    const bool ignorable = ignorableNext_;
    ignorableNext_ = false;
    if (skipFallback()) {
        return; // a control word in \u's fallback counts as one character
    }
    if (state().destination == RtfDestination::Skip) {
        return;
    }
    const RtfControlWord* word = findRtfControlWord(token.name);
    // \* skips a group whose destination is unknown. Some writers put it before a known
    // formatting word in the middle of a group, {\b0\*\cs7 text}, where Word and LibreOffice
    // read the word and print the text.
    if (ignorable && (word == nullptr || word->word == RtfWord::Skipped ||
                      (word->kind != RtfWordKind::Destination && starOpenedGroup_))) {
        state().destination = RtfDestination::Skip;
        return;
    }
    if (word == nullptr) {
        return;
    }
    if (state().destination == RtfDestination::StyleDefinition) {
        defineStyle(*word, token);
        return;
    }
    if (state().destination == RtfDestination::NestedRow) {
        // A nested row's own \trowd and \cellx must not touch the outer table's row.
        if (word->word == RtfWord::NestedRow) {
            appendCharacter(0x2028);
        }
        return;
    }
    switch (word->kind) {
    case RtfWordKind::Destination:
        destination(*word, token.hasParameter ? token.parameter : word->value);
        break;
    case RtfWordKind::Flag:
    case RtfWordKind::Toggle:
    case RtfWordKind::Value:
        formattingWord(*word, token.hasParameter, token.parameter);
        break;
    case RtfWordKind::Symbol:
        if (state().destination == RtfDestination::Body) {
            symbol(*word);
        }
        break;
    }
}

void RtfReader::formattingWord(const RtfControlWord& word, bool hasParameter,
                               std::int32_t parameter) {
    switch (word.kind) {
    case RtfWordKind::Flag:
        flag(word);
        break;
    case RtfWordKind::Toggle:
        toggle(word, !hasParameter || parameter != 0);
        break;
    case RtfWordKind::Value:
        value(word, hasParameter ? parameter : word.value);
        break;
    default:
        break;
    }
}

// {\upr{ANSI version}{\*\ud{Unicode version}}} holds one text twice, for old readers and new.
// The Unicode version is read and the ANSI one passed over, as it may have lost characters.
// Without a \ud after it the ANSI version is the only one and is read, and an \upr inside it
// is not looked past again, so that nested ones cost one pass.
void RtfReader::readUnicodeVersion() {
    if (lexer_->position() < versionsScannedTo_) {
        return;
    }
    RtfLexer ahead = *lexer_;
    if (ahead.next().kind != RtfToken::Kind::GroupStart) {
        return;
    }
    for (std::size_t depth = 1; depth > 0;) {
        const RtfToken token = ahead.next();
        if (token.kind == RtfToken::Kind::End) {
            versionsScannedTo_ = ahead.position();
            return;
        }
        depth += token.kind == RtfToken::Kind::GroupStart ? 1 : 0;
        depth -= token.kind == RtfToken::Kind::GroupEnd ? 1 : 0;
    }
    const RtfLexer unicodeVersion = ahead;
    const bool starts = ahead.next().kind == RtfToken::Kind::GroupStart;
    const RtfToken star = ahead.next();
    const RtfToken word = ahead.next();
    if (starts && star.kind == RtfToken::Kind::ControlSymbol && star.symbol == '*' &&
        word.kind == RtfToken::Kind::ControlWord && word.name == "ud") {
        *lexer_ = unicodeVersion;
        unicodeVersionNext_ = true;
    } else {
        versionsScannedTo_ = unicodeVersion.position();
    }
}

void RtfReader::controlSymbol(char character) {
    if (character == '*') {
        ignorableNext_ = true;
        return;
    }
    if (character == '\\' || character == '{' || character == '}') {
        text(std::string_view(&character, 1));
        return;
    }
    if (state().destination != RtfDestination::Body) {
        return;
    }
    switch (character) {
    case '~':
        appendCharacter(0x00A0);
        break;
    case '-':
        appendCharacter(0x00AD);
        break;
    case '_':
        appendCharacter(0x2011);
        break;
    case '\t':
        appendCharacter(u'\t');
        break;
    case '\n':
    case '\r':
        // A backslash before a line end is an old spelling of \par.
        symbol(*findRtfControlWord("par"));
        break;
    default:
        break; // \: \| and unknown symbols: nothing to show
    }
}

void RtfReader::rawText(std::string_view bytes) {
    text(bytes);
    // Writers that put double-byte text in as it is leave a trail byte that is a brace or a
    // backslash unescaped; it still belongs to its lead byte.
    const RtfGroupState& group = state();
    const bool leadOpen = group.skippingTrail || (group.destination == RtfDestination::Body
                                                      ? leadOpen_
                                                      : endsInsideCharacter(bytes, textCodePage()));
    char trail = 0;
    if (leadOpen && lexer_->takeTrailByte(trail)) {
        text(std::string_view(&trail, 1));
    }
}

void RtfReader::text(std::string_view bytes) {
    const int codePage = textCodePage();
    skipFallbackBytes(bytes, codePage);
    if (bytes.empty()) {
        return;
    }
    switch (state().destination) {
    case RtfDestination::Body:
        bodyText(bytes, codePage);
        break;
    case RtfDestination::FontTable:
        fonts_.text(bytes, decoder_, documentCodePage_);
        recentFormats_.clear();
        break;
    case RtfDestination::ColorTable:
        colors_.text(bytes);
        recentFormats_.clear();
        break;
    case RtfDestination::FieldInstruction:
    case RtfDestination::FormFieldText:
    case RtfDestination::FormFieldEntry:
        fieldText(bytes);
        break;
    case RtfDestination::Picture:
        pictures_.hex(bytes);
        break;
    case RtfDestination::ShapePropertyName:
        shapes_.propertyName(bytes);
        break;
    case RtfDestination::Skip:
    case RtfDestination::NestedRow:
    case RtfDestination::FormField:
    case RtfDestination::Shape:
    case RtfDestination::PictureProperty:
    case RtfDestination::Object:
    case RtfDestination::StyleSheet:
    case RtfDestination::StyleDefinition: // a style's name
        break;
    default:
        lists_.text(state().destination, bytes);
        break;
    }
}

// \u's fallback: \uc bytes, and the trail byte of a double-byte character whose lead byte
// ends them, as writers that count a double-byte character as one leave it.
void RtfReader::skipFallbackBytes(std::string_view& bytes, int codePage) {
    RtfGroupState& group = state();
    while (!bytes.empty() && (group.skipping > 0 || group.skippingTrail)) {
        const auto byte = static_cast<unsigned char>(bytes.front());
        bytes.remove_prefix(1);
        if (group.skippingTrail) {
            group.skippingTrail = false;
            group.skipping = std::max(group.skipping - 1, 0);
        } else {
            --group.skipping;
            group.skippingTrail = isLeadByte(byte, codePage);
        }
    }
}

void RtfReader::bodyText(std::string_view bytes, int codePage) {
    if (bytes == "\r" || bytes == "\n") {
        // \'0d and \'0a: each ends a paragraph, as in LibreOffice.
        symbol(*findRtfControlWord("par"));
        return;
    }
    if (leadOpen_) {
        // A trail byte goes with its lead byte into the lead's run, whatever came between.
        pendingBytes_.push_back(bytes.front());
        bytes.remove_prefix(1);
        leadOpen_ = false;
        if (bytes.empty()) {
            return;
        }
    }
    prepareText();
    pendingBytes_.append(bytes);
    leadOpen_ = endsInsideCharacter(bytes, codePage);
}

void RtfReader::appendCharacter(char16_t character) {
    if (QChar::isLowSurrogate(character) && pendingBytes_.empty() && !pendingText_.isEmpty() &&
        pendingText_.back().isHighSurrogate()) {
        pendingText_.append(QChar(character)); // a surrogate pair stays in one run
        return;
    }
    prepareText();
    flushBytes();
    pendingText_.append(QChar(character));
}

void RtfReader::appendString(const QString& text) {
    for (const QChar c : text) {
        appendCharacter(c.unicode());
    }
}

void RtfReader::prepareText() {
    if (state().field >= 0) {
        fields_[std::size_t(state().field)].resultHasText = true;
    }
    placeListNumber();
    if (state().character == pendingState_ && state().numberText == pendingNumberText_ &&
        state().mathPart == pendingMathPart_) {
        return;
    }
    flushText();
    pendingState_ = state().character;
    pendingNumberText_ = state().numberText;
    pendingMathPart_ = state().mathPart;
}

void RtfReader::flushBytes() {
    leadOpen_ = false; // a lead byte without its trail byte is decoded as U+FFFD
    if (pendingBytes_.empty()) {
        return;
    }
    const RtfFont* font = fonts_.find(pendingState_.font);
    if (font != nullptr && font->symbol != SymbolFont::None) {
        pendingText_.append(decodeSymbolFont(pendingBytes_, font->symbol));
    } else {
        pendingText_.append(decoder_.decode(pendingBytes_, codePageOf(pendingState_)));
    }
    pendingBytes_.clear();
}

void RtfReader::flushText() {
    flushBytes();
    if (pendingText_.isEmpty()) {
        return;
    }
    if (pendingMathPart_ >= 0) {
        if (!pendingState_.hidden) {
            math_.addText(pendingMathPart_, sanitizeInlineText(pendingText_), pendingState_);
        }
    } else if (pendingNumberText_ && !pendingState_.hidden) {
        lists_.writeNumberText(sanitizeInlineText(pendingText_), numberFormat(pendingState_, -1));
    } else if (!pendingState_.hidden) {
        resolveSectionBreak();
        QString text = state().inNote ? notes_.numberBeforeText() : QString();
        words_.append(text, sanitizeInlineText(pendingText_));
        insertRun(text);
    }
    pendingText_.clear();
}

void RtfReader::insertRun(const QString& text) {
    const QTextCharFormat format = charFormat(pendingState_);
    if (!pendingState_.smallCaps || pendingState_.caps) {
        out().insertText(text, format, inTable());
        return;
    }
    // Small capitals: the letters the text has in lower case are capitals at 80 % of the size,
    // as in LibreOffice.
    RtfCharacterState smallLetters = pendingState_;
    smallLetters.halfPoints = std::max(2, (pendingState_.halfPoints * 4 + 2) / 5);
    const QTextCharFormat small = charFormat(smallLetters);
    qsizetype start = 0;
    while (start < text.size()) {
        const bool lower = text.at(start).isLower();
        qsizetype end = start + 1;
        while (end < text.size() && text.at(end).isLower() == lower) {
            ++end;
        }
        out().insertText(text.mid(start, end - start), lower ? small : format, inTable());
        start = end;
    }
}

void RtfReader::endParagraphText() {
    flushText();
    words_.reset();
}

void RtfReader::resolveSectionBreak() {
    if (!sectionBreakPending_) {
        return;
    }
    sectionBreakPending_ = false;
    if (sectionBreakPage_) {
        builder_.breakPage(blockFormat(), charFormat(state().character), inTable());
    }
}

bool RtfReader::inTable() const {
    const RtfGroupState& group = stack_.back();
    // A note inside a table cell is no part of the table.
    return group.paragraph.inTable || group.anchoredInTable ||
           (!group.inNote && (rowOpen_ || cellMarkSeen_));
}

int RtfReader::codePageOf(const RtfCharacterState& character) const {
    const RtfFont* font = fonts_.find(character.font);
    const int own = font != nullptr ? font->codePage : 0;
    if (character.rightToLeft) {
        // Right-to-left text is in its associated font. Where neither font names a code page
        // of its own script, the document's is taken, as LibreOffice reads Hebrew documents.
        const RtfFont* associated =
            character.associatedFont >= 0 ? fonts_.find(character.associatedFont) : nullptr;
        for (const int codePage : {associated != nullptr ? associated->codePage : 0, own}) {
            if (codePage > 0 && codePage != 1252) {
                return codePage;
            }
        }
        return documentCodePage_;
    }
    return own > 0 ? own : documentCodePage_;
}

int RtfReader::textCodePage() const {
    if (stack_.back().destination == RtfDestination::FontTable) {
        const int codePage = fonts_.definingCodePage();
        return codePage > 0 ? codePage : documentCodePage_;
    }
    return codePageOf(stack_.back().character);
}

QTextCharFormat RtfReader::charFormat(const RtfCharacterState& character) {
    if (const QTextCharFormat* recent = recentFormats_.find(character)) {
        return *recent;
    }
    const RtfFont* font = fonts_.find(character.font);
    const FontFace face = faces_.admit({font != nullptr ? font->family : QString(),
                                        character.halfPoints, character.bold, character.italic});
    RtfCharacterState printed = character;
    printed.halfPoints = face.halfPoints;
    printed.bold = face.bold;
    printed.italic = face.italic;
    QTextCharFormat format;
    if (font != nullptr && face.family != font->family) {
        RtfFont substitute = *font;
        substitute.family = face.family;
        format = rtfCharFormat(printed, &substitute, colors_);
    } else {
        format = rtfCharFormat(printed, font, colors_);
    }
    if (families_.knows(face.family)) {
        // Neither the file's kind of font nor the document's serif may pass over the system's
        // own font or twin for the name.
        format.setFontStyleHint(QFont::AnyStyle, richtext::TextStyleStrategy);
    }
    recentFormats_.add(character, format);
    return format;
}

QTextBlockFormat RtfReader::blockFormat() const {
    const RtfParagraphState& paragraph = stack_.back().paragraph;
    const std::optional<RtfParagraphState> listItem = lists_.withListIndents(paragraph);
    return rtfBlockFormat(listItem ? *listItem : paragraph, defaultTab_);
}

} // namespace qtbackend
