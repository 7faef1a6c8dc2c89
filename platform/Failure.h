#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The runtime's error numbers, as the program's handlers see them.
enum class ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    FileNotFound = 53,
    DeviceIoError = 57,
    InputPastEndOfFile = 62,
    BadFileName = 64,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    InvalidPropertyValue = 380,
    InvalidPropertyArrayIndex = 381,
    ObjectRequired = 424,
    InvalidPicture = 481,
    PrinterError = 482,
    BufferTooSmall = 20476,
    DialogFailure = -32768,
};

// The one failure type of the program and its platform.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(ErrorNumber number, const std::string& description);

    ErrorNumber number() const { return number_; }

private:
    ErrorNumber number_;
};

[[noreturn]] void raise(ErrorNumber number, const std::string& description = {});

} // namespace platform
