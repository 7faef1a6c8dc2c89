#include "platform/qt/richtext/RtfMath.h"

#include <algorithm>

namespace qtbackend {

namespace {

using Vertical = QTextCharFormat::VerticalAlignment;
constexpr Vertical Raised = QTextCharFormat::AlignSuperScript;
constexpr Vertical Lowered = QTextCharFormat::AlignSubScript;

// Whether a numerator, denominator or radicand needs parentheses on one line: more than one
// character, and one of them an operator or space (2x/3 stays, (a+b)/2 does not).
bool needsParentheses(const std::vector<RtfMathPiece>& pieces) {
    QString text;
    for (const RtfMathPiece& piece : pieces) {
        text += piece.text;
    }
    return text.size() > 1 && std::any_of(text.begin(), text.end(), [](QChar c) {
               return !c.isLetterOrNumber() && !c.isMark() && c != u'.';
           });
}

} // namespace

int RtfMath::begin(std::size_t groupDepth, const RtfCharacterState& character) {
    parts_.clear();
    parts_.push_back({RtfMathPart::Equation, 0, {}, {}, character});
    equationDepth_ = groupDepth;
    return 0;
}

int RtfMath::open(int parent, RtfMathPart part) {
    const Part& outer = parts_[std::size_t(parent)];
    if (outer.depth >= MaxDepth || parts_.size() >= MaxParts) {
        return parent;
    }
    Part inner{part, outer.depth + 1, {}, {}, outer.character};
    const int index = static_cast<int>(parts_.size());
    parts_.push_back(std::move(inner));
    parts_[std::size_t(parent)].children.push_back(index);
    return index;
}

void RtfMath::addText(int part, const QString& text, const RtfCharacterState& character) {
    if (std::size_t(part) >= parts_.size() || text.isEmpty()) {
        return;
    }
    std::vector<int>& children = parts_[std::size_t(part)].children;
    if (!children.empty()) {
        Part& last = parts_[std::size_t(children.back())];
        if (last.part == RtfMathPart::Text &&
            (last.character == character || parts_.size() >= MaxParts)) {
            last.text += text;
            return;
        }
    }
    const int index = static_cast<int>(parts_.size());
    parts_.push_back({RtfMathPart::Text, parts_[std::size_t(part)].depth + 1, {}, text, character});
    parts_[std::size_t(part)].children.push_back(index);
}

std::vector<RtfMathPiece> RtfMath::finish() {
    Pieces pieces;
    if (!parts_.empty()) {
        render(0, QTextCharFormat::AlignNormal, pieces);
    }
    parts_.clear();
    Pieces merged;
    for (RtfMathPiece& piece : pieces) {
        if (!merged.empty() && merged.back().character == piece.character) {
            merged.back().text += piece.text;
        } else if (!piece.text.isEmpty()) {
            merged.push_back(std::move(piece));
        }
    }
    return merged;
}

void RtfMath::render(int index, Vertical vertical, Pieces& out) const {
    const Part& part = parts_[std::size_t(index)];
    part.rendered = true;
    using P = RtfMathPart;
    switch (part.part) {
    case P::Text:
        out.push_back({part.text, part.character});
        if (vertical != QTextCharFormat::AlignNormal) {
            out.back().character.vertical = vertical;
        }
        return;
    case P::Properties:
    case P::Character:
    case P::BeginCharacter:
    case P::EndCharacter:
    case P::SeparatorCharacter:
    case P::SubHidden:
    case P::SupHidden:
    case P::DegreeHidden:
        return; // read only by the object they belong to
    case P::Equation:
    case P::Container:
    case P::Run:
    case P::Element:
    case P::Numerator:
    case P::Denominator:
    case P::Sub:
    case P::Sup:
    case P::Degree:
    case P::FunctionName:
    case P::Limit:
        for (const int child : part.children) {
            render(child, vertical, out);
        }
        return;
    default:
        renderObject(part, vertical, out);
        // Whatever the object holds beyond its slots (text outside them, a second numerator)
        // prints after it rather than not at all.
        for (const int child : part.children) {
            if (!parts_[std::size_t(child)].rendered) {
                render(child, vertical, out);
            }
        }
        return;
    }
}

void RtfMath::renderObject(const Part& part, Vertical vertical, Pieces& out) const {
    using P = RtfMathPart;
    // Found once: an object's symbols (a delimiter's separators) are many.
    const RtfCharacterState& own = characterOf(part);
    const auto character = [&](P which, const QString& fallback) {
        return property(part, which).value_or(fallback);
    };
    switch (part.part) {
    case P::Fraction:
        renderSlot(part, P::Numerator, vertical, out, &own);
        symbol(own, QStringLiteral("/"), vertical, out);
        renderSlot(part, P::Denominator, vertical, out, &own);
        break;
    case P::Superscript:
    case P::Subscript:
    case P::SubSuperscript:
        renderSlot(part, P::Element, vertical, out);
        renderSlot(part, P::Sub, Lowered, out);
        renderSlot(part, P::Sup, Raised, out);
        break;
    case P::PreScript:
        renderSlot(part, P::Sub, Lowered, out);
        renderSlot(part, P::Sup, Raised, out);
        renderSlot(part, P::Element, vertical, out);
        break;
    case P::Radical:
        if (!hidden(part, P::DegreeHidden)) {
            renderSlot(part, P::Degree, Raised, out);
        } else {
            leaveOut(part, P::Degree);
        }
        symbol(own, QStringLiteral("\u221A"), vertical, out);
        renderSlot(part, P::Element, vertical, out, &own);
        break;
    case P::Delimiter:
        symbol(own, character(P::BeginCharacter, QStringLiteral("(")), vertical, out);
        renderElements(part, own, character(P::SeparatorCharacter, QStringLiteral("|")), vertical,
                       out);
        symbol(own, character(P::EndCharacter, QStringLiteral(")")), vertical, out);
        break;
    case P::NAry:
        symbol(own, character(P::Character, QStringLiteral("\u222B")), vertical, out);
        if (!hidden(part, P::SubHidden)) {
            renderSlot(part, P::Sub, Lowered, out);
        } else {
            leaveOut(part, P::Sub);
        }
        if (!hidden(part, P::SupHidden)) {
            renderSlot(part, P::Sup, Raised, out);
        } else {
            leaveOut(part, P::Sup);
        }
        renderSlot(part, P::Element, vertical, out);
        break;
    case P::Function:
        renderSlot(part, P::FunctionName, vertical, out);
        symbol(own, QStringLiteral("\u2009"), vertical, out); // a thin space, as Word sets it
        renderSlot(part, P::Element, vertical, out);
        break;
    case P::Accent:
        renderSlot(part, P::Element, vertical, out);
        symbol(own, character(P::Character, QStringLiteral("\u0302")), vertical, out);
        break;
    case P::LowerLimit:
    case P::UpperLimit:
        renderSlot(part, P::Element, vertical, out);
        renderSlot(part, P::Limit, part.part == P::LowerLimit ? Lowered : Raised, out);
        break;
    case P::EquationArray:
        renderElements(part, own, QStringLiteral("\u2028"), vertical, out);
        break;
    case P::Matrix: {
        bool first = true;
        for (const int row : part.children) {
            if (parts_[std::size_t(row)].part != P::MatrixRow) {
                continue;
            }
            if (!first) {
                symbol(own, QStringLiteral("; "), vertical, out);
            }
            first = false;
            parts_[std::size_t(row)].rendered = true;
            renderElements(parts_[std::size_t(row)], own, QStringLiteral(" "), vertical, out);
        }
        break;
    }
    case P::MatrixRow:
        renderElements(part, own, QStringLiteral(" "), vertical, out);
        break;
    default: // Box and the like: their element
        renderSlot(part, P::Element, vertical, out);
        break;
    }
}

void RtfMath::renderSlot(const Part& object, RtfMathPart slot, Vertical vertical, Pieces& out,
                         const RtfCharacterState* parentheses) const {
    const Part* found = child(object, slot);
    if (found == nullptr) {
        return;
    }
    const int index = static_cast<int>(found - parts_.data());
    if (parentheses == nullptr) {
        render(index, vertical, out);
        return;
    }
    Pieces inner;
    render(index, vertical, inner);
    const bool delimited = found->children.size() == 1 &&
                           parts_[std::size_t(found->children[0])].part == RtfMathPart::Delimiter;
    const bool wrap = !delimited && needsParentheses(inner);
    if (wrap) {
        symbol(*parentheses, QStringLiteral("("), vertical, out);
    }
    out.insert(out.end(), inner.begin(), inner.end());
    if (wrap) {
        symbol(*parentheses, QStringLiteral(")"), vertical, out);
    }
}

void RtfMath::renderElements(const Part& object, const RtfCharacterState& character,
                             const QString& separator, Vertical vertical, Pieces& out) const {
    bool first = true;
    for (const int index : object.children) {
        if (parts_[std::size_t(index)].part != RtfMathPart::Element) {
            continue;
        }
        if (!first) {
            symbol(character, separator, vertical, out);
        }
        first = false;
        render(index, vertical, out);
    }
}

void RtfMath::symbol(const RtfCharacterState& character, const QString& text, Vertical vertical,
                     Pieces& out) const {
    if (text.isEmpty()) {
        return;
    }
    out.push_back({text, character});
    out.back().character.vertical = vertical;
}

void RtfMath::leaveOut(const Part& object, RtfMathPart slot) const {
    if (const Part* found = child(object, slot)) {
        found->rendered = true;
    }
}

const RtfMath::Part* RtfMath::child(const Part& object, RtfMathPart part) const {
    for (const int index : object.children) {
        if (parts_[std::size_t(index)].part == part) {
            return &parts_[std::size_t(index)];
        }
    }
    return nullptr;
}

std::optional<QString> RtfMath::property(const Part& object, RtfMathPart part) const {
    const Part* properties = child(object, RtfMathPart::Properties);
    const Part* found = properties != nullptr ? child(*properties, part) : nullptr;
    if (found == nullptr) {
        return std::nullopt;
    }
    return textOf(*found);
}

QString RtfMath::textOf(const Part& part) const {
    QString text;
    for (const int index : part.children) {
        if (parts_[std::size_t(index)].part == RtfMathPart::Text) {
            text += parts_[std::size_t(index)].text;
        }
    }
    return text;
}

bool RtfMath::hidden(const Part& object, RtfMathPart flag) const {
    const std::optional<QString> value = property(object, flag);
    if (!value) {
        return false;
    }
    const QString given = value->trimmed();
    return given != u"off" && given != u"0";
}

// The state of the object's first text, in which its symbols print; or the object's own.
const RtfCharacterState& RtfMath::characterOf(const Part& part) const {
    const Part* at = &part;
    while (at->part != RtfMathPart::Text) {
        const auto next = std::find_if(at->children.begin(), at->children.end(), [&](int index) {
            const Part& child = parts_[std::size_t(index)];
            return child.part == RtfMathPart::Text || !child.children.empty();
        });
        if (next == at->children.end()) {
            return part.character;
        }
        at = &parts_[std::size_t(*next)];
    }
    return at->character;
}

} // namespace qtbackend
