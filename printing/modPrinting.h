#pragma once

#include <cstdint>

namespace platform {
class RichTextBox;
}

// modPrinting: the rich text printer.

// Prints control's document on the default printer, page after page, with the margins (twips)
// measured from the paper's edges, and ends the print document. The caller does nothing on the
// printer before or after. A failure ends it quietly.
void PrintRichText(platform::RichTextBox& control, std::int32_t leftMargin, double topMargin,
                   double rightMargin, double bottomMargin);
