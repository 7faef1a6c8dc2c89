#include "platform/qt/richtext/RtfReader.h"

#include <algorithm>

#include <QHashFunctions>
#include <QList>
#include <QTextBlockFormat>
#include <QTextDocument>

#include "platform/qt/richtext/RichTextProperties.h"
#include "platform/qt/richtext/RtfControlWords.h"
#include "platform/qt/richtext/RtfLexer.h"
#include "platform/qt/richtext/TextSanitizer.h"

namespace qtbackend {

namespace {

constexpr std::int32_t MaxTwips = 31680; // 22 inches, the largest page RTF describes
constexpr std::size_t MaxTabStops = 64;
constexpr std::size_t MaxCells = 64;
constexpr std::size_t MaxFontNameBytes = 256;
using richtext::FormatKey;
using richtext::TwipsPerPixel;

std::int32_t clampTwips(std::int32_t twips) {
    return std::clamp(twips, -MaxTwips, MaxTwips);
}

SymbolFont symbolFontNamed(const QString& family) {
    if (family.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0) {
        return SymbolFont::Symbol;
    }
    if (family.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive)) {
        return SymbolFont::Wingdings;
    }
    return SymbolFont::None;
}

} // namespace

RtfReader::RtfReader(QTextDocument& document) : builder_(document, row_) {}

void RtfReader::read(std::string_view rtf) {
    stack_.assign(1, GroupState{});
    RtfLexer lexer(rtf);
    for (RtfToken token = lexer.next(); token.kind != RtfToken::Kind::End && !finished_;
         token = lexer.next()) {
        handle(token);
    }
    if (!finished_) {
        finish(); // the input ended inside the document's group
    }
}

void RtfReader::finish() {
    flushText();
    builder_.finish(blockFormat(), charFormat(state().character), inTable());
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
        if (!skipFallback()) {
            text(std::string_view(reinterpret_cast<const char*>(&token.byte), 1));
        }
        break;
    case RtfToken::Kind::Text:
        text(token.text);
        break;
    case RtfToken::Kind::Binary:
        // Binary data (pictures, objects) is never text; it only counts as one fallback char.
        skipFallback();
        break;
    case RtfToken::Kind::End:
        break;
    }
}

void RtfReader::startGroup() {
    if (stack_.size() >= MaxGroupDepth) {
        overflowDepth_ = 1;
        return;
    }
    GroupState copy = stack_.back();
    copy.skipping = 0; // fallback text never runs past a brace
    stack_.push_back(std::move(copy));
}

void RtfReader::endGroup() {
    if (state().destination == Destination::FontTable) {
        commitFont();
    }
    if (stack_.size() <= 1) {
        return; // a } without its {: nothing to close
    }
    if (stack_.size() == 2) {
        // The document's own group closes: its last paragraph keeps its formatting, and what
        // follows the group is not RTF.
        finish();
        return;
    }
    stack_.pop_back();
    state().skipping = 0;
}

bool RtfReader::skipFallback() {
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
    if (state().destination == Destination::Skip) {
        return;
    }
    const RtfControlWord* word = findRtfControlWord(token.name);
    if (ignorable && (word == nullptr || word->kind != RtfWordKind::Destination ||
                      word->word == RtfWord::Skipped)) {
        state().destination = Destination::Skip;
        return;
    }
    if (word == nullptr) {
        return;
    }
    if (state().destination == Destination::NestedRow) {
        // A nested row's own \trowd and \cellx must not touch the outer table's row.
        if (word->word == RtfWord::NestedRow) {
            appendCharacter(0x2028);
        }
        return;
    }
    switch (word->kind) {
    case RtfWordKind::Destination:
        destination(*word);
        break;
    case RtfWordKind::Flag:
        flag(*word);
        break;
    case RtfWordKind::Toggle:
        toggle(*word, !token.hasParameter || token.parameter != 0);
        break;
    case RtfWordKind::Value:
        value(*word, token.hasParameter ? token.parameter : word->value);
        break;
    case RtfWordKind::Symbol:
        if (state().destination == Destination::Body) {
            symbol(*word);
        }
        break;
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
    if (state().destination != Destination::Body) {
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

void RtfReader::destination(const RtfControlWord& word) {
    switch (word.word) {
    case RtfWord::Rtf:
    case RtfWord::Field:
        break;
    case RtfWord::FontTable:
        state().destination = Destination::FontTable;
        break;
    case RtfWord::ColorTable:
        state().destination = Destination::ColorTable;
        red_ = green_ = blue_ = -1;
        break;
    case RtfWord::NestedTableProperties:
        state().destination =
            state().destination == Destination::Body ? Destination::NestedRow : Destination::Skip;
        break;
    case RtfWord::FieldResult:
    case RtfWord::ListText:
        if (state().destination == Destination::Body) {
            break;
        }
        state().destination = Destination::Skip;
        break;
    default:
        state().destination = Destination::Skip;
        break;
    }
}

void RtfReader::flag(const RtfControlWord& word) {
    CharacterState& character = state().character;
    ParagraphState& paragraph = state().paragraph;
    switch (word.word) {
    case RtfWord::Plain:
        character = CharacterState{};
        break;
    case RtfWord::UnderlineNone:
        character.underline = QTextCharFormat::NoUnderline;
        break;
    case RtfWord::Superscript:
        character.vertical = QTextCharFormat::AlignSuperScript;
        break;
    case RtfWord::Subscript:
        character.vertical = QTextCharFormat::AlignSubScript;
        break;
    case RtfWord::NoSuperSub:
        character.vertical = QTextCharFormat::AlignNormal;
        break;
    case RtfWord::ParagraphDefault:
        paragraph = ParagraphState{};
        break;
    case RtfWord::AlignLeft:
        paragraph.alignment = Qt::AlignLeft;
        break;
    case RtfWord::AlignCenter:
        paragraph.alignment = Qt::AlignHCenter;
        break;
    case RtfWord::AlignRight:
        paragraph.alignment = Qt::AlignRight;
        break;
    case RtfWord::AlignJustify:
        paragraph.alignment = Qt::AlignJustify;
        break;
    case RtfWord::TabRight:
        paragraph.nextTabType = QTextOption::RightTab;
        break;
    case RtfWord::TabCenter:
        paragraph.nextTabType = QTextOption::CenterTab;
        break;
    case RtfWord::TabDecimal:
        paragraph.nextTabType = QTextOption::DelimiterTab;
        break;
    case RtfWord::PageBreakBefore:
        paragraph.pageBreakBefore = true;
        break;
    case RtfWord::InTable:
        paragraph.inTable = true;
        break;
    case RtfWord::SectionDefault:
    case RtfWord::SectionBreakPage:
        sectionBreakPage_ = true;
        break;
    case RtfWord::SectionBreakNone:
        sectionBreakPage_ = false;
        break;
    case RtfWord::RowDefault:
        row_ = RtfRowDefinition{};
        rowOpen_ = true;
        break;
    case RtfWord::CellBorder:
        row_.borders = true;
        break;
    case RtfWord::CellMergedLeft:
        row_.next.mergedLeft = true;
        break;
    case RtfWord::CellMergedAbove:
        row_.next.mergedAbove = true;
        break;
    case RtfWord::CharacterSetAnsi:
        documentCodePage_ = 1252;
        break;
    case RtfWord::CharacterSetMac:
        documentCodePage_ = 10000;
        break;
    case RtfWord::CharacterSetPc:
        documentCodePage_ = 437;
        break;
    case RtfWord::CharacterSetPca:
        documentCodePage_ = 850;
        break;
    case RtfWord::FontRoman:
        fontBeingDefined_.styleHint = QFont::Serif;
        break;
    case RtfWord::FontSwiss:
        fontBeingDefined_.styleHint = QFont::SansSerif;
        break;
    case RtfWord::FontModern:
        fontBeingDefined_.styleHint = QFont::TypeWriter;
        break;
    case RtfWord::FontScript:
        fontBeingDefined_.styleHint = QFont::Cursive;
        break;
    case RtfWord::FontDecorative:
        fontBeingDefined_.styleHint = QFont::Decorative;
        break;
    default:
        break;
    }
}

void RtfReader::toggle(const RtfControlWord& word, bool on) {
    CharacterState& character = state().character;
    const auto underline = [&](QTextCharFormat::UnderlineStyle style) {
        character.underline = on ? style : QTextCharFormat::NoUnderline;
    };
    switch (word.word) {
    case RtfWord::Bold:
        character.bold = on;
        break;
    case RtfWord::Italic:
        character.italic = on;
        break;
    case RtfWord::Strike:
        character.strike = on;
        break;
    case RtfWord::Hidden:
        character.hidden = on;
        break;
    case RtfWord::Caps:
        character.caps = on;
        break;
    case RtfWord::SmallCaps:
        character.smallCaps = on;
        break;
    case RtfWord::Underline:
        underline(QTextCharFormat::SingleUnderline);
        break;
    case RtfWord::UnderlineDotted:
        underline(QTextCharFormat::DotLine);
        break;
    case RtfWord::UnderlineDashed:
        underline(QTextCharFormat::DashUnderline);
        break;
    case RtfWord::UnderlineDashDotted:
        underline(QTextCharFormat::DashDotLine);
        break;
    case RtfWord::UnderlineDashDotDotted:
        underline(QTextCharFormat::DashDotDotLine);
        break;
    case RtfWord::UnderlineWave:
        underline(QTextCharFormat::WaveUnderline);
        break;
    default:
        break;
    }
}

void RtfReader::value(const RtfControlWord& word, std::int32_t parameter) {
    GroupState& group = state();
    CharacterState& character = group.character;
    ParagraphState& paragraph = group.paragraph;
    switch (word.word) {
    case RtfWord::Font:
        if (group.destination == Destination::FontTable) {
            commitFont();
            fontBeingDefined_ = FontBeingDefined{};
            fontBeingDefined_.active = true;
            fontBeingDefined_.number = parameter;
        } else {
            character.font = parameter;
        }
        break;
    case RtfWord::FontSize:
        // Half-points; Word's own limits are 1 to 1638 points.
        character.halfPoints = parameter <= 0 ? 24 : std::clamp(parameter, 2, 3276);
        break;
    case RtfWord::Foreground:
        character.foreground = std::max(parameter, 0);
        break;
    case RtfWord::Background:
        character.background = std::max(parameter, 0);
        break;
    case RtfWord::Up:
        character.vertical =
            parameter > 0 ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal;
        break;
    case RtfWord::Down:
        character.vertical =
            parameter > 0 ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal;
        break;
    case RtfWord::UnicodeSkip:
        group.unicodeSkip = std::max(parameter, 0);
        break;
    case RtfWord::Unicode: {
        const std::int32_t code = parameter < 0 ? parameter + 65536 : parameter;
        if (group.destination == Destination::Body) {
            char16_t character16 =
                code >= 0 && code <= 0xFFFF ? static_cast<char16_t>(code) : char16_t{0xFFFD};
            if (const FontEntry* font = fontOf(character)) {
                character16 = mapSymbolFontCharacter(character16, font->symbol);
            }
            appendCharacter(character16);
        }
        group.skipping = group.unicodeSkip;
        break;
    }
    case RtfWord::LeftIndent:
        paragraph.leftIndent = clampTwips(parameter);
        break;
    case RtfWord::RightIndent:
        paragraph.rightIndent = clampTwips(parameter);
        break;
    case RtfWord::FirstIndent:
        paragraph.firstIndent = clampTwips(parameter);
        break;
    case RtfWord::SpaceBefore:
        paragraph.spaceBefore = std::clamp(parameter, 0, MaxTwips);
        break;
    case RtfWord::SpaceAfter:
        paragraph.spaceAfter = std::clamp(parameter, 0, MaxTwips);
        break;
    case RtfWord::LineSpacing:
        paragraph.lineSpacing = clampTwips(parameter);
        break;
    case RtfWord::LineMultiple:
        paragraph.lineMultiple = parameter != 0;
        break;
    case RtfWord::TabStop:
        if (paragraph.tabs.size() < MaxTabStops) {
            paragraph.tabs.push_back({std::clamp(parameter, 0, MaxTwips), paragraph.nextTabType});
        }
        paragraph.nextTabType = QTextOption::LeftTab;
        break;
    case RtfWord::NestingLevel:
        paragraph.inTable = parameter > 0;
        break;
    case RtfWord::CellBoundary:
        if (row_.cells.size() < MaxCells) {
            row_.next.right = std::clamp(parameter, 0, MaxTwips);
            row_.cells.push_back(row_.next);
        }
        row_.next = RtfCellDefinition{};
        break;
    case RtfWord::DefaultFont:
        defaultFont_ = parameter;
        break;
    case RtfWord::DefaultTab:
        if (parameter > 0) {
            builder_.setDefaultTabStop(std::min(parameter, MaxTwips) / TwipsPerPixel);
        }
        break;
    case RtfWord::AnsiCodePage:
        if (parameter > 0) {
            documentCodePage_ = parameter;
        }
        break;
    case RtfWord::FontCharset:
        fontBeingDefined_.charset = parameter;
        break;
    case RtfWord::FontCodePage:
        fontBeingDefined_.codePage = std::max(parameter, 0);
        break;
    case RtfWord::Red:
        red_ = std::clamp(parameter, 0, 255);
        break;
    case RtfWord::Green:
        green_ = std::clamp(parameter, 0, 255);
        break;
    case RtfWord::Blue:
        blue_ = std::clamp(parameter, 0, 255);
        break;
    default:
        break;
    }
}

void RtfReader::symbol(const RtfControlWord& word) {
    const bool inTable = this->inTable();
    switch (word.word) {
    case RtfWord::Paragraph:
        flushText();
        resolveSectionBreak();
        builder_.endParagraph(blockFormat(), charFormat(state().character), inTable);
        break;
    case RtfWord::Line:
    case RtfWord::NestedRow:
        appendCharacter(0x2028);
        break;
    case RtfWord::Tab:
    case RtfWord::NestedCell:
        appendCharacter(u'\t');
        break;
    case RtfWord::Page:
        flushText();
        resolveSectionBreak();
        builder_.breakPage(blockFormat(), charFormat(state().character), inTable);
        break;
    case RtfWord::Section:
        flushText();
        resolveSectionBreak();
        builder_.closeParagraph(blockFormat(), charFormat(state().character), inTable);
        sectionBreakPending_ = true;
        break;
    case RtfWord::Cell:
        cellMarkSeen_ = true; // a cell mark is in a table, \intbl or not
        flushText();
        resolveSectionBreak();
        builder_.endCell(blockFormat(), charFormat(state().character));
        break;
    case RtfWord::Row:
        cellMarkSeen_ = true;
        flushText();
        builder_.endRow();
        rowOpen_ = false;
        cellMarkSeen_ = false;
        break;
    case RtfWord::Character:
        appendCharacter(static_cast<char16_t>(word.value));
        break;
    default:
        break;
    }
}

void RtfReader::text(std::string_view bytes) {
    GroupState& group = state();
    if (group.skipping > 0) {
        const std::size_t skipped =
            std::min(bytes.size(), static_cast<std::size_t>(group.skipping));
        group.skipping -= static_cast<std::int32_t>(skipped);
        bytes.remove_prefix(skipped);
    }
    if (bytes.empty()) {
        return;
    }
    switch (group.destination) {
    case Destination::Body:
        prepareText();
        pendingBytes_.append(bytes);
        break;
    case Destination::FontTable:
        fontTableText(bytes);
        break;
    case Destination::ColorTable:
        colorTableText(bytes);
        break;
    case Destination::Skip:
    case Destination::NestedRow:
        break;
    }
}

void RtfReader::appendCharacter(char16_t character) {
    prepareText();
    flushBytes();
    pendingText_.append(QChar(character));
}

void RtfReader::prepareText() {
    if (state().character == pendingState_) {
        return;
    }
    flushText();
    pendingState_ = state().character;
}

void RtfReader::flushBytes() {
    if (pendingBytes_.empty()) {
        return;
    }
    const FontEntry* font = fontOf(pendingState_);
    if (font != nullptr && font->symbol != SymbolFont::None) {
        pendingText_.append(decodeSymbolFont(pendingBytes_, font->symbol));
    } else {
        pendingText_.append(decoder_.decode(pendingBytes_, codePageOf(font)));
    }
    pendingBytes_.clear();
}

void RtfReader::flushText() {
    flushBytes();
    if (pendingText_.isEmpty()) {
        return;
    }
    if (!pendingState_.hidden) {
        resolveSectionBreak();
        builder_.insertText(sanitizeInlineText(pendingText_), charFormat(pendingState_), inTable());
    }
    pendingText_.clear();
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

void RtfReader::fontTableText(std::string_view bytes) {
    if (!fontBeingDefined_.active) {
        return;
    }
    for (const char c : bytes) {
        if (c == ';') {
            commitFont();
            return;
        }
        if (fontBeingDefined_.name.size() < MaxFontNameBytes) {
            fontBeingDefined_.name.push_back(c);
        }
    }
}

void RtfReader::commitFont() {
    if (!fontBeingDefined_.active) {
        return;
    }
    fontBeingDefined_.active = false;
    FontEntry entry;
    if (fontBeingDefined_.codePage > 0) {
        entry.codePage = fontBeingDefined_.codePage;
    } else if (fontBeingDefined_.charset >= 0) {
        entry.codePage = codePageForCharset(fontBeingDefined_.charset);
    }
    entry.family =
        decoder_
            .decode(fontBeingDefined_.name, entry.codePage > 0 ? entry.codePage : documentCodePage_)
            .trimmed();
    entry.symbol = symbolFontNamed(entry.family);
    entry.styleHint = fontBeingDefined_.styleHint;
    fonts_.insert(fontBeingDefined_.number, entry);
}

void RtfReader::colorTableText(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != ';') {
            continue;
        }
        if (red_ < 0 && green_ < 0 && blue_ < 0) {
            colors_.emplace_back(); // an empty entry: the automatic colour
        } else {
            colors_.emplace_back(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0));
        }
        red_ = green_ = blue_ = -1;
    }
}

bool RtfReader::inTable() const {
    return stack_.back().paragraph.inTable || rowOpen_ || cellMarkSeen_;
}

const RtfReader::FontEntry* RtfReader::fontOf(const CharacterState& character) const {
    // A font missing from the table is the default font, as in Word.
    auto found = fonts_.constFind(character.font >= 0 ? character.font : defaultFont_);
    if (found == fonts_.constEnd()) {
        found = fonts_.constFind(defaultFont_);
    }
    return found == fonts_.constEnd() ? nullptr : &found.value();
}

int RtfReader::codePageOf(const FontEntry* font) const {
    return font != nullptr && font->codePage > 0 ? font->codePage : documentCodePage_;
}

QTextCharFormat RtfReader::charFormat(const CharacterState& character) const {
    QTextCharFormat format;
    if (const FontEntry* font = fontOf(character)) {
        if (!font->family.isEmpty()) {
            format.setFontFamilies(QStringList{font->family});
        }
        if (font->styleHint != QFont::AnyStyle) {
            format.setFontStyleHint(font->styleHint);
        }
    }
    format.setFontPointSize(character.halfPoints / 2.0);
    format.setFontWeight(character.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(character.italic);
    format.setFontStrikeOut(character.strike);
    format.setUnderlineStyle(character.underline);
    if (character.caps) {
        format.setFontCapitalization(QFont::AllUppercase);
    } else if (character.smallCaps) {
        format.setFontCapitalization(QFont::SmallCaps);
    }
    if (character.vertical != QTextCharFormat::AlignNormal) {
        format.setVerticalAlignment(character.vertical);
    }
    const auto color = [this](std::int32_t index) {
        return index < static_cast<std::int32_t>(colors_.size()) ? colors_[index] : QColor();
    };
    const QColor foreground = color(character.foreground);
    const QColor background = color(character.background);
    if (foreground.isValid()) {
        format.setForeground(foreground);
    }
    if (background.isValid()) {
        format.setBackground(background);
    }
    // Qt hashes font lists and brushes by their type alone, so formats that differ only in
    // font or colour all collide in the document's format table and each new one is compared
    // with all the others. A key that tells them apart keeps the table's cost linear.
    const FontEntry* font = fontOf(character);
    format.setProperty(FormatKey, int(qHashMulti(0, font != nullptr ? font->family : QString(),
                                                 foreground.rgba(), background.rgba())));
    return format;
}

QTextBlockFormat RtfReader::blockFormat() const {
    const ParagraphState& paragraph = stack_.back().paragraph;
    QTextBlockFormat format;
    format.setAlignment(paragraph.alignment);
    const auto setLength = [&format](int property, std::int32_t twips) {
        if (twips != 0) {
            format.setProperty(property, twips);
        }
    };
    format.setLeftMargin(paragraph.leftIndent / TwipsPerPixel);
    format.setRightMargin(paragraph.rightIndent / TwipsPerPixel);
    format.setTextIndent(paragraph.firstIndent / TwipsPerPixel);
    format.setTopMargin(paragraph.spaceBefore / TwipsPerPixel);
    format.setBottomMargin(paragraph.spaceAfter / TwipsPerPixel);
    setLength(richtext::LeftMarginTwips, paragraph.leftIndent);
    setLength(richtext::RightMarginTwips, paragraph.rightIndent);
    setLength(richtext::TextIndentTwips, paragraph.firstIndent);
    if (paragraph.lineSpacing != 0) {
        // \sl: at least N twips, exactly -N twips, or with \slmult1 N/240 lines.
        if (paragraph.lineMultiple) {
            if (paragraph.lineSpacing > 0) {
                format.setLineHeight(paragraph.lineSpacing * 100.0 / 240.0,
                                     QTextBlockFormat::ProportionalHeight);
            }
        } else if (paragraph.lineSpacing > 0) {
            format.setLineHeight(paragraph.lineSpacing / TwipsPerPixel,
                                 QTextBlockFormat::MinimumHeight);
        } else {
            format.setLineHeight(-paragraph.lineSpacing / TwipsPerPixel,
                                 QTextBlockFormat::FixedHeight);
        }
    }
    // RTF measures tab stops from the text area's edge, Qt from where the first line starts.
    // A hanging indent is a tab stop of its own, as word processors treat it, unless a set one
    // comes first.
    const std::int32_t lineStart = paragraph.leftIndent + paragraph.firstIndent;
    QList<QTextOption::Tab> tabs;
    std::size_t key = 0;
    bool setStopBeforeIndent = false;
    for (const TabStop& tab : paragraph.tabs) {
        if (tab.position <= lineStart) {
            continue;
        }
        QTextOption::Tab stop((tab.position - lineStart) / TwipsPerPixel, tab.type);
        if (tab.type == QTextOption::DelimiterTab) {
            stop.delimiter = QLatin1Char('.');
        }
        tabs.append(stop);
        key = qHashMulti(key, tab.position, int(tab.type));
        setStopBeforeIndent = setStopBeforeIndent || tab.position <= paragraph.leftIndent;
    }
    if (paragraph.firstIndent < 0 && !setStopBeforeIndent) {
        tabs.append(QTextOption::Tab(-paragraph.firstIndent / TwipsPerPixel, QTextOption::LeftTab));
    }
    if (!tabs.isEmpty()) {
        std::sort(tabs.begin(), tabs.end(),
                  [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
                      return a.position < b.position;
                  });
        format.setTabPositions(tabs);
        format.setProperty(FormatKey, int(qHashMulti(key, lineStart))); // see charFormat()
    }
    if (paragraph.pageBreakBefore) {
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    return format;
}

} // namespace qtbackend
