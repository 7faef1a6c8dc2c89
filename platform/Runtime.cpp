#include "platform/Runtime.h"

#include <stdexcept>

#include "platform/Backend.h"
#include "platform/Form.h"
#include "platform/Picture.h"
#include "platform/Printer.h"

namespace platform {

namespace {

Runtime* currentRuntime = nullptr;

// The value the 32-bit platform gives an executable's module.
constexpr Handle ProgramModuleInstance = 0x00400000;

} // namespace

Runtime::Runtime(Backend& backend, std::u16string commandText, std::u16string programDirectory)
    : backend_(backend), commandText_(std::move(commandText)),
      programDirectory_(std::move(programDirectory)), previous_(currentRuntime) {
    currentRuntime = this;
}

Runtime::~Runtime() {
    currentRuntime = previous_;
}

Runtime& Runtime::current() {
    if (currentRuntime == nullptr) {
        throw std::logic_error("no runtime is running");
    }
    return *currentRuntime;
}

const std::u16string& CommandText() {
    return Runtime::current().commandText();
}

const std::u16string& ProgramDirectory() {
    return Runtime::current().programDirectory();
}

Handle ModuleInstance() {
    return ProgramModuleInstance;
}

Printer& DefaultPrinter() {
    return Runtime::current().backend().printer();
}

Picture LoadPicture(const std::u16string& path) {
    return Runtime::current().backend().loadPicture(path);
}

int runProgram() {
    std::unique_ptr<Form> form = createStartupForm();
    form->Load();
    if (form->IsLoaded()) {
        form->Show();
        Runtime::current().backend().runMessageLoop();
    }
    form->Unload();
    return 0;
}

} // namespace platform
