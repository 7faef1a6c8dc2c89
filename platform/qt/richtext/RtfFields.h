#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QString>

namespace qtbackend {

class CodePageDecoder;

// A field being read: its instruction (\fldinst), what its form field data says (\formfield),
// and whether its result (\fldrslt) put any text in the document.
struct RtfField {
    std::size_t groupDepth = 0; // the depth of the field's own group
    std::string instruction;
    std::int32_t formType = 0; // \fftype: 0 text, 1 check box, 2 drop-down list
    std::int32_t formResult = -1;
    std::int32_t formDefault = 0;
    std::string formDefaultText;
    std::vector<std::string> formEntries;
    bool resultHasText = false;

    static constexpr std::size_t MaxTextBytes = 1024;
    static constexpr std::size_t MaxFormEntries = 64;
};

// The text a field prints when its result holds none: the character of a SYMBOL field, the
// display text of a MACROBUTTON, the box of a check box, the chosen entry of a drop-down list,
// the default of a text box; empty for other fields. Bytes are read in the code page given.
QString fieldFallbackText(const RtfField& field, CodePageDecoder& decoder, int codePage);

} // namespace qtbackend
