#include "platform/qt/QtPrinter.h"

#include "platform/Failure.h"

namespace qtbackend {

using platform::ErrorNumber;
using platform::raise;

void QtPrinter::Print(const std::u16string&) {
    raise(ErrorNumber::PrinterError);
}
void QtPrinter::PaintPicture(const platform::Picture&, float, float) {
    raise(ErrorNumber::PrinterError);
}
platform::Handle QtPrinter::hDC() {
    raise(ErrorNumber::PrinterError);
}
float QtPrinter::ScaleX(float, std::int16_t, std::int16_t) {
    raise(ErrorNumber::PrinterError);
}
float QtPrinter::ScaleY(float, std::int16_t, std::int16_t) {
    raise(ErrorNumber::PrinterError);
}
std::int32_t QtPrinter::Width() {
    raise(ErrorNumber::PrinterError);
}
std::int32_t QtPrinter::Height() {
    raise(ErrorNumber::PrinterError);
}
float QtPrinter::ScaleWidth() {
    raise(ErrorNumber::PrinterError);
}
float QtPrinter::ScaleHeight() {
    raise(ErrorNumber::PrinterError);
}
void QtPrinter::NewPage() {
    raise(ErrorNumber::PrinterError);
}
void QtPrinter::EndDoc() {
    raise(ErrorNumber::PrinterError);
}

} // namespace qtbackend
