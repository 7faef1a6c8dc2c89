#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "platform/qt/richtext/RtfState.h"

namespace qtbackend {

// The parts of an equation as Word writes it (\moMath and the \m groups inside).
enum class RtfMathPart : std::int8_t {
    Equation,  // \moMath
    Container, // \moMathPara, and groups inside an equation whose word has no part of its own
    Run,       // \mr: text
    Text,      // the text itself, in one character state
    // Objects
    Fraction,
    Superscript,
    Subscript,
    SubSuperscript,
    PreScript,
    Radical,
    Delimiter,
    NAry,
    Function,
    Accent,
    LowerLimit,
    UpperLimit,
    Box, // \mbox, \mborderBox, \mbar, \mgroupChr, \mphant: their element only
    EquationArray,
    Matrix,
    MatrixRow,
    // Their slots
    Element,
    Numerator,
    Denominator,
    Sub,
    Sup,
    Degree,
    FunctionName,
    Limit,
    // Their properties: only the characters and hidden slots below are read
    Properties,
    Character, // \mchr: an operator's or accent's character
    BeginCharacter,
    EndCharacter,
    SeparatorCharacter,
    SubHidden,
    SupHidden,
    DegreeHidden,
};

// Text of an equation as it prints, in one character state.
struct RtfMathPiece {
    QString text;
    RtfCharacterState character;
};

// Gathers the equation being read as a tree of its parts, and prints it on one line when it
// ends, as Word's linear format writes it: a/b, x² as a raised 2, √(x+1), ∑ with its limits
// lowered and raised, delimiters around their elements. Every character of the equation prints.
// Parts nested deeper than MaxDepth, or beyond MaxParts in one equation, add their text to the
// part around them, so that printing an equation costs no more than reading it.
class RtfMath {
public:
    static constexpr int MaxDepth = 32;
    static constexpr std::size_t MaxParts = 100000;

    // An equation starts, in a group at groupDepth; answers its root part.
    int begin(std::size_t groupDepth, const RtfCharacterState& character);
    // Whether the group at groupDepth is the equation's own.
    bool endsEquation(std::size_t groupDepth) const {
        return !parts_.empty() && groupDepth == equationDepth_;
    }
    // A part starts inside parent; answers the part its text and parts go into.
    int open(int parent, RtfMathPart part);
    void addText(int part, const QString& text, const RtfCharacterState& character);
    // The equation as it prints; the next one starts afresh.
    std::vector<RtfMathPiece> finish();

private:
    struct Part {
        RtfMathPart part;
        int depth;
        std::vector<int> children;
        QString text; // of a Text part
        RtfCharacterState character;
        mutable bool rendered = false; // printed already, as a slot of its object
    };

    using Pieces = std::vector<RtfMathPiece>;
    void render(int index, QTextCharFormat::VerticalAlignment vertical, Pieces& out) const;
    void renderObject(const Part& part, QTextCharFormat::VerticalAlignment vertical,
                      Pieces& out) const;
    // parentheses: in this state, around the slot where it needs them; or none.
    void renderSlot(const Part& object, RtfMathPart slot,
                    QTextCharFormat::VerticalAlignment vertical, Pieces& out,
                    const RtfCharacterState* parentheses = nullptr) const;
    void renderElements(const Part& object, const RtfCharacterState& character,
                        const QString& separator, QTextCharFormat::VerticalAlignment vertical,
                        Pieces& out) const;
    void symbol(const RtfCharacterState& character, const QString& text,
                QTextCharFormat::VerticalAlignment vertical, Pieces& out) const;
    const Part* child(const Part& object, RtfMathPart part) const;
    // A slot the object hides: it does not print.
    void leaveOut(const Part& object, RtfMathPart slot) const;
    // The text of a property of object (a character, or a hidden slot's "on"), if given.
    std::optional<QString> property(const Part& object, RtfMathPart part) const;
    QString textOf(const Part& part) const;
    bool hidden(const Part& object, RtfMathPart flag) const;
    const RtfCharacterState& characterOf(const Part& part) const;

    std::vector<Part> parts_;
    std::size_t equationDepth_ = 0;
};

} // namespace qtbackend
