#include "platform/qt/richtext/RtfLexer.h"

#include <algorithm>
#include <limits>

namespace qtbackend {

namespace {

// Control words longer than this are not RTF; the rest of the letters are dropped.
constexpr std::size_t MaxWordLength = 32;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

RtfToken token(RtfToken::Kind kind) {
    RtfToken result;
    result.kind = kind;
    return result;
}

bool isTextByte(char c) {
    return c != '\\' && c != '{' && c != '}' && c != '\r' && c != '\n' && c != '\0';
}

} // namespace

int hexDigitValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

RtfToken RtfLexer::next() {
    while (position_ < input_.size()) {
        const char c = input_[position_];
        if (c == '{') {
            ++position_;
            return token(RtfToken::Kind::GroupStart);
        }
        if (c == '}') {
            ++position_;
            return token(RtfToken::Kind::GroupEnd);
        }
        if (c == '\\') {
            return controlWord();
        }
        if (!isTextByte(c)) {
            // Line ends are only there for the writer's convenience; NUL bytes are noise.
            ++position_;
            continue;
        }
        const std::size_t start = position_;
        while (position_ < input_.size() && isTextByte(input_[position_])) {
            ++position_;
        }
        RtfToken text = token(RtfToken::Kind::Text);
        text.text = input_.substr(start, position_ - start);
        return text;
    }
    return {};
}

bool RtfLexer::takeTrailByte(char& byte) {
    if (position_ >= input_.size()) {
        return false;
    }
    const char c = input_[position_];
    bool trail = c == '{' || c == '}';
    if (c == '\\') {
        const char next = position_ + 1 < input_.size() ? input_[position_ + 1] : ' ';
        constexpr std::string_view Symbols = "'\\{}*~-_|:";
        trail = !isLetter(next) && Symbols.find(next) == std::string_view::npos;
    }
    if (trail) {
        byte = c;
        ++position_;
    }
    return trail;
}

RtfToken RtfLexer::controlWord() {
    ++position_; // the backslash
    if (position_ >= input_.size()) {
        return {};
    }
    if (!isLetter(input_[position_])) {
        return controlSymbol();
    }
    const std::size_t start = position_;
    while (position_ < input_.size() && isLetter(input_[position_])) {
        ++position_;
    }
    RtfToken word = token(RtfToken::Kind::ControlWord);
    word.name = input_.substr(start, std::min(position_ - start, MaxWordLength));
    readParameter(word);
    if (position_ < input_.size() && input_[position_] == ' ') {
        ++position_; // the delimiting space belongs to the word
    }
    if (word.name == "bin" && word.hasParameter) {
        return binary(word.parameter);
    }
    return word;
}

RtfToken RtfLexer::controlSymbol() {
    const char first = input_[position_++];
    if (first == '\'' && position_ + 2 <= input_.size()) {
        // \'hh: two hex digits. A malformed escape stays a symbol, which the reader ignores.
        const int high = hexDigitValue(input_[position_]);
        const int low = hexDigitValue(input_[position_ + 1]);
        if (high >= 0 && low >= 0) {
            position_ += 2;
            RtfToken hex = token(RtfToken::Kind::HexByte);
            hex.byte = static_cast<std::uint8_t>(high * 16 + low);
            return hex;
        }
    }
    RtfToken symbol = token(RtfToken::Kind::ControlSymbol);
    symbol.symbol = first;
    return symbol;
}

void RtfLexer::readParameter(RtfToken& word) {
    bool negative = false;
    if (position_ + 1 < input_.size() && input_[position_] == '-' &&
        isDigit(input_[position_ + 1])) {
        negative = true;
        ++position_;
    }
    if (position_ >= input_.size() || !isDigit(input_[position_])) {
        return;
    }
    // Out-of-range parameters are clamped; the digits are consumed all the same.
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    while (position_ < input_.size() && isDigit(input_[position_])) {
        value = std::min(limit, value * 10 + (input_[position_] - '0'));
        ++position_;
    }
    if (negative) {
        value = -value;
    }
    value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    word.hasParameter = true;
    word.parameter = static_cast<std::int32_t>(value);
}

RtfToken RtfLexer::binary(std::int32_t length) {
    // The length is bounded by what is left of the input, never trusted.
    const std::size_t wanted = length > 0 ? static_cast<std::size_t>(length) : 0;
    const std::size_t taken = std::min(wanted, input_.size() - position_);
    RtfToken data = token(RtfToken::Kind::Binary);
    data.text = input_.substr(position_, taken);
    position_ += taken;
    return data;
}

} // namespace qtbackend
