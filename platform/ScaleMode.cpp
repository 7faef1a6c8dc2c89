#include "platform/ScaleMode.h"

#include "platform/Failure.h"

namespace platform {

double twipsPerUnit(std::int16_t scaleMode, double pixelsPerInch) {
    switch (scaleMode) {
    case vbTwips:
        return 1.0;
    case vbPoints:
        return 20.0;
    case vbPixels:
        return 1440.0 / pixelsPerInch;
    case vbInches:
        return 1440.0;
    case vbMillimeters:
        return 1440.0 / 25.4;
    case vbCentimeters:
        return 1440.0 / 2.54;
    default:
        raise(ErrorNumber::InvalidProcedureCall);
    }
}

double convertScale(double value, std::int16_t fromMode, std::int16_t toMode,
                    double pixelsPerInch) {
    return value * twipsPerUnit(fromMode, pixelsPerInch) / twipsPerUnit(toMode, pixelsPerInch);
}

} // namespace platform
