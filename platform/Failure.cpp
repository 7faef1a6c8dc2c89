#include "platform/Failure.h"

namespace platform {

namespace {

const char* standardDescription(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::OutOfMemory:
        return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange:
        return "Subscript out of range";
    case ErrorNumber::FileNotFound:
        return "File not found";
    case ErrorNumber::DeviceIoError:
        return "Device I/O error";
    case ErrorNumber::InputPastEndOfFile:
        return "Input past end of file";
    case ErrorNumber::BadFileName:
        return "Bad file name or number";
    case ErrorNumber::PermissionDenied:
        return "Permission denied";
    case ErrorNumber::PathFileAccessError:
        return "Path/File access error";
    case ErrorNumber::PathNotFound:
        return "Path not found";
    case ErrorNumber::InvalidPropertyValue:
        return "Invalid property value";
    case ErrorNumber::InvalidPropertyArrayIndex:
        return "Invalid property array index";
    case ErrorNumber::ObjectRequired:
        return "Object required";
    case ErrorNumber::InvalidPicture:
        return "Invalid picture";
    case ErrorNumber::PrinterError:
        return "Printer error";
    case ErrorNumber::BufferTooSmall:
        return "The buffer for the file name is too small";
    case ErrorNumber::DialogFailure:
        return "The dialog could not be shown";
    }
    return "Application-defined or object-defined error";
}

} // namespace

RuntimeError::RuntimeError(ErrorNumber number, const std::string& description)
    : std::runtime_error(description.empty() ? standardDescription(number) : description),
      number_(number) {}

void raise(ErrorNumber number, const std::string& description) {
    throw RuntimeError(number, description);
}

} // namespace platform
