#include "tests/support/ScriptedWebEngine.h"

#include "platform/Failure.h"

namespace fake {

void ScriptedWebScript::completeDocument(const std::u16string& url) {
    if (engine != nullptr) {
        engine->raiseDocumentComplete(url);
    }
}

ScriptedWebEngine::ScriptedWebEngine(ScriptedWebScript& script,
                                     const platform::ControlPlacement& placement,
                                     platform::WebEngineEvents events)
    : script_(script), events_(std::move(events)) {
    script_.placement = placement;
    ++script_.enginesCreated;
    script_.engine = this;
}

ScriptedWebEngine::~ScriptedWebEngine() {
    if (script_.engine == this) {
        script_.engine = nullptr;
    }
}

void ScriptedWebEngine::navigate(const std::u16string& url) {
    script_.navigations.push_back(url);
    if (script_.navigateFails) {
        platform::raise(platform::ErrorNumber::FileNotFound);
    }
}

void ScriptedWebEngine::execWB(std::int32_t command, std::int32_t option) {
    script_.commands.emplace_back(command, option);
    if (script_.whileExecuting) {
        script_.whileExecuting();
    }
    if (script_.execFails) {
        platform::raise(platform::ErrorNumber::PrinterError);
    }
}

} // namespace fake
