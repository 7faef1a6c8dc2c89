#pragma once

#include <memory>
#include <string>

#include "platform/Handles.h"

namespace platform {

class Backend;
class Form;

// The running program's environment and its backend. One exists while the program runs; tests
// make one per case.
class Runtime {
public:
    Runtime(Backend& backend, std::u16string commandText, std::u16string programDirectory);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    static Runtime& current();

    Backend& backend() const { return backend_; }
    const std::u16string& commandText() const { return commandText_; }
    const std::u16string& programDirectory() const { return programDirectory_; }

private:
    Backend& backend_;
    std::u16string commandText_;
    std::u16string programDirectory_;
    Runtime* previous_;
};

// The argument portion of the command line, unchanged.
const std::u16string& CommandText();
// The directory of the executable, without a trailing separator.
const std::u16string& ProgramDirectory();
// The program's module instance handle.
Handle ModuleInstance();

// The program's startup form; the program defines it.
std::unique_ptr<Form> createStartupForm();

// Creates the startup form and raises its Load event; if the form is still loaded afterwards,
// shows its window and runs the message loop until the form is unloaded. Answers the process's
// exit status.
int runProgram();

} // namespace platform
