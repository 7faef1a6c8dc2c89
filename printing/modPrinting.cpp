#include "printing/modPrinting.h"

#include <cstdint>

#include "platform/OnError.h"
#include "platform/Printer.h"
#include "platform/ScaleMode.h"
#include "platform/Strings.h"
#include "platform/Win32.h"
#include "platform/controls/RichTextBox.h"

using platform::roundToInt32;
using platform::toInt32;

void PrintRichText(platform::RichTextBox& control, std::int32_t leftMargin, double topMargin,
                   double rightMargin, double bottomMargin) {
    platform::onFailureEndQuietly([&] {
        platform::FORMATRANGE record{};
        platform::Printer& printer = platform::DefaultPrinter();

        // The first output opens the document and its first page, so that hDC is valid next.
        printer.Print(u" ");
        printer.SetScaleMode(platform::vbTwips);

        // Where the printable area starts on the paper, in twips.
        const std::int32_t offsetX = roundToInt32(printer.ScaleX(
            static_cast<float>(platform::GetDeviceCaps(printer.hDC(), platform::PHYSICALOFFSETX)),
            platform::vbPixels, platform::vbTwips));
        const std::int32_t offsetY = roundToInt32(printer.ScaleY(
            static_cast<float>(platform::GetDeviceCaps(printer.hDC(), platform::PHYSICALOFFSETY)),
            platform::vbPixels, platform::vbTwips));

        // Margins are measured from the paper's edges, the text area from the printable area's.
        platform::RECT textArea{};
        textArea.left = toInt32(std::int64_t{leftMargin} - offsetX);
        textArea.top = roundToInt32(topMargin - offsetY);
        textArea.right = roundToInt32((printer.Width() - rightMargin) - offsetX);
        textArea.bottom = roundToInt32((printer.Height() - bottomMargin) - offsetY);

        platform::RECT page{};
        page.left = 0;
        page.top = 0;
        page.right = roundToInt32(printer.ScaleWidth());
        page.bottom = roundToInt32(printer.ScaleHeight());

        record.hdc = printer.hDC();
        record.hdcTarget = printer.hDC();
        record.rc = textArea;
        record.rcPage = page;
        record.chrg.cpMin = 0;
        record.chrg.cpMax = -1;

        const std::int32_t textLength = toInt32(static_cast<std::int64_t>(control.Text().size()));

        for (;;) {
            const std::int32_t next =
                platform::SendMessageA(control.hWnd(), platform::EM_FORMATRANGE, -1,
                                       reinterpret_cast<std::intptr_t>(&record));
            if (next >= textLength) {
                break;
            }
            // A page that made no progress would come back forever: end with what is printed.
            if (next <= record.chrg.cpMin) {
                break;
            }
            record.chrg.cpMin = next;
            printer.NewPage();
            printer.Print(u" ");
            // The device context may change with the page.
            record.hdc = printer.hDC();
            record.hdcTarget = printer.hDC();
        }

        printer.EndDoc();
        platform::SendMessageA(control.hWnd(), platform::EM_FORMATRANGE, 0, 0);
    });
}
