#pragma once

#include <cstdint>
#include <string_view>

namespace qtbackend {

// One piece of RTF syntax. Views point into the lexer's input, which must outlive the token.
struct RtfToken {
    enum class Kind {
        End,           // no more input
        GroupStart,    // {
        GroupEnd,      // }
        ControlWord,   // \word or \wordN: name, hasParameter, parameter
        ControlSymbol, // \ and one non-letter: symbol
        HexByte,       // \'hh: byte
        Text,          // a run of plain bytes without markup or line ends: text
        Binary,        // the data of \binN, taken raw and never read as markup: text
    };
    Kind kind = Kind::End;
    std::string_view name;
    bool hasParameter = false;
    std::int32_t parameter = 0;
    char symbol = 0;
    std::uint8_t byte = 0;
    std::string_view text;
};

// The value of one hexadecimal digit, either case, or -1 for another character.
int hexDigitValue(char c);

// Splits RTF into tokens and nothing more; what the tokens mean is the reader's business. Every
// step consumes at least one byte, so a document of n bytes gives at most n tokens.
class RtfLexer {
public:
    explicit RtfLexer(std::string_view input) : input_(input) {}

    RtfToken next();
    // Takes the next byte as text when it may be the trail byte of a double-byte character
    // written as it is: a brace, or a backslash that starts no control word or symbol.
    bool takeTrailByte(char& byte);
    std::size_t position() const { return position_; }

private:
    RtfToken controlWord();
    // \ and one non-letter, or \'hh.
    RtfToken controlSymbol();
    // The optional signed number after a control word's name.
    void readParameter(RtfToken& word);
    RtfToken binary(std::int32_t length);

    std::string_view input_;
    std::size_t position_ = 0;
};

} // namespace qtbackend
