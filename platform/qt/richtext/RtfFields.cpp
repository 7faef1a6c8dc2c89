#include "platform/qt/richtext/RtfFields.h"

#include <cctype>
#include <optional>

#include "platform/qt/richtext/CodePages.h"

namespace qtbackend {

namespace {

constexpr char16_t BallotBox = 0x2610;
constexpr char16_t BallotBoxWithX = 0x2612;

// An instruction split into words; a quoted argument is one word, without its quotes.
std::vector<std::string> instructionWords(const std::string& instruction) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < instruction.size()) {
        while (i < instruction.size() && std::isspace(static_cast<unsigned char>(instruction[i]))) {
            ++i;
        }
        if (i >= instruction.size()) {
            break;
        }
        std::string word;
        if (instruction[i] == '"') {
            const std::size_t end = instruction.find('"', i + 1);
            word = instruction.substr(i + 1, end == std::string::npos ? end : end - i - 1);
            i = end == std::string::npos ? instruction.size() : end + 1;
        } else {
            while (i < instruction.size() &&
                   !std::isspace(static_cast<unsigned char>(instruction[i]))) {
                word.push_back(instruction[i++]);
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A SYMBOL field's character code: decimal, or hexadecimal after 0x.
std::optional<std::int64_t> symbolCode(const std::string& word) {
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const std::string digits = hex ? word.substr(2) : word;
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::int64_t code = 0;
    for (const char c : digits) {
        const int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c))
                              ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                              : -1;
        if (value < 0) {
            return std::nullopt;
        }
        code = code * (hex ? 16 : 10) + value;
    }
    return code;
}

// SYMBOL code [\f "font"] [\u] [\a] [\j] [\h] [\s size]: the character, in the font's own
// numbering for symbol fonts, as Unicode with \u or above 255, else a byte of the code page.
QString symbolText(const std::vector<std::string>& words, CodePageDecoder& decoder, int codePage) {
    if (words.size() < 2) {
        return {};
    }
    const std::optional<std::int64_t> code = symbolCode(words[1]);
    if (!code || *code <= 0 || *code > 0x10FFFF) {
        return {};
    }
    QString font;
    bool unicode = false;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if ((words[i] == "\\f" || words[i] == "\\F") && i + 1 < words.size()) {
            font = QString::fromLatin1(words[++i]);
        }
        unicode = unicode || words[i] == "\\u" || words[i] == "\\U";
    }
    const SymbolFont symbol = symbolFontNamed(font);
    if (symbol != SymbolFont::None && *code <= 0xFF) {
        const std::string byte(1, static_cast<char>(*code));
        return decodeSymbolFont(byte, symbol);
    }
    if (unicode || *code > 0xFF) {
        const auto character = static_cast<char32_t>(*code);
        return QString::fromUcs4(&character, 1);
    }
    return decoder.decode(std::string(1, static_cast<char>(*code)), codePage);
}

// MACROBUTTON macro display text: Word shows the text, and runs the macro on a double click.
QString macroButtonText(const std::vector<std::string>& words, CodePageDecoder& decoder,
                        int codePage) {
    std::string shown;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i] == "\\*") {
            ++i; // a general switch, \* MERGEFORMAT, formats the text and is no part of it
            continue;
        }
        shown += (shown.empty() ? "" : " ") + words[i];
    }
    return decoder.decode(shown, codePage);
}

} // namespace

QString fieldFallbackText(const RtfField& field, CodePageDecoder& decoder, int codePage) {
    const std::vector<std::string> words = instructionWords(field.instruction);
    if (words.empty()) {
        return {};
    }
    const std::string kind = upper(words[0]);
    if (kind == "SYMBOL") {
        return symbolText(words, decoder, codePage);
    }
    if (kind == "MACROBUTTON") {
        return macroButtonText(words, decoder, codePage);
    }
    const std::int32_t chosen = field.formResult >= 0 ? field.formResult : field.formDefault;
    if (kind == "FORMCHECKBOX") {
        return QString(QChar(chosen == 1 ? BallotBoxWithX : BallotBox));
    }
    if (kind == "FORMDROPDOWN") {
        return chosen >= 0 && std::size_t(chosen) < field.formEntries.size()
                   ? decoder.decode(field.formEntries[std::size_t(chosen)], codePage)
                   : QString();
    }
    if (kind == "FORMTEXT") {
        return decoder.decode(field.formDefaultText, codePage);
    }
    return {};
}

} // namespace qtbackend
