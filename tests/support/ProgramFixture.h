#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/Form1.h"
#include "platform/Runtime.h"
#include "tests/support/FakeBackend.h"

namespace fake {

// One run of the program against a fresh test backend: the runtime with a command text and a
// program directory, and Form1 loaded as the runtime loads it at start. Script the backend
// before start().
class ProgramRun {
public:
    static constexpr const char16_t* ProgramDirectory = u"/opt/quillet";

    // Creates Form1 and raises Load with this command text.
    Form1& start(const std::u16string& commandText) {
        runtime = std::make_unique<platform::Runtime>(backend, commandText, ProgramDirectory);
        form = std::make_unique<Form1>();
        form->Load();
        return *form;
    }

    // Runs the program as the process entry point does, and answers its exit status.
    int runProgram(const std::u16string& commandText) {
        runtime = std::make_unique<platform::Runtime>(backend, commandText, ProgramDirectory);
        return platform::runProgram();
    }

    FakeBackend backend;
    std::unique_ptr<platform::Runtime> runtime;
    std::unique_ptr<Form1> form;
};

class ProgramFixture : public ::testing::Test, protected ProgramRun {};

} // namespace fake
