#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Backend.h"

namespace fake {

class ScriptedWebEngine;

// What the scripted browser was asked, how it answers, and the test's hand on its events.
struct ScriptedWebScript {
    bool navigateFails = false;
    bool execFails = false;
    // Runs inside ExecWB, as the browser's print dialog would, before it returns or fails.
    std::function<void()> whileExecuting;
    std::vector<std::u16string> navigations;
    std::vector<std::pair<std::int32_t, std::int32_t>> commands;
    platform::ControlPlacement placement;
    int enginesCreated = 0;

    // Raises DocumentComplete for url, as the message loop would deliver it.
    void completeDocument(const std::u16string& url);

    ScriptedWebEngine* engine = nullptr;
};

class ScriptedWebEngine : public platform::WebEngine {
public:
    ScriptedWebEngine(ScriptedWebScript& script, const platform::ControlPlacement& placement,
                      platform::WebEngineEvents events);
    ~ScriptedWebEngine() override;

    void navigate(const std::u16string& url) override;
    void execWB(std::int32_t command, std::int32_t option) override;

    void raiseDocumentComplete(const std::u16string& url) { events_.documentComplete(url); }

private:
    ScriptedWebScript& script_;
    platform::WebEngineEvents events_;
};

} // namespace fake
