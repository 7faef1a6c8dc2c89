#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/Picture.h"
#include "platform/Win32.h"

// The seam between the platform's neutral code and the backend that does the real work: Qt on a
// desktop, or the scripted, recording backend of the tests.
namespace platform {

class Printer;

// The native window of a form. Created hidden; destroying it closes it.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;

    // Puts the window on screen at the system's default place, with its icon (the bytes of an
    // .ico file; empty for none).
    virtual void show(const std::u16string& caption, int clientWidthTwips, int clientHeightTwips,
                      std::span<const std::uint8_t> icon) = 0;
};

class TimerPeer {
public:
    virtual ~TimerPeer() = default;

    // Starts counting intervalMs from now, or stops.
    virtual void start(std::int32_t intervalMs) = 0;
    virtual void stop() = 0;
};

// What the Open dialog is shown with.
struct OpenDialogRequest {
    std::int32_t flags = 0;
    std::int32_t maxFileSize = 260;
    std::u16string fileName;
    std::u16string initDir;
    std::u16string filter; // description|patterns pairs, all separated by "|"
};

// The engine under the rich text box: holds a document and formats it onto device contexts.
class RichTextEngine {
public:
    virtual ~RichTextEngine() = default;

    // Loads a rich text or plain text file; fails like opening the file would.
    virtual void loadFile(const std::u16string& path) = 0;
    // The plain text; its length counts characters as formatRange's positions do.
    virtual std::u16string text() const = 0;
    // EM_FORMATRANGE: formats from range->chrg.cpMin into range->rc, draws when render is set, and
    // answers the position of the first character that did not fit. A null range frees the
    // cached formatting and answers 0.
    virtual std::int32_t formatRange(bool render, const FORMATRANGE* range) = 0;
};

// Where a child control lies on its form, in twips.
struct ControlPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The engine under the web browser control.
class WebEngine {
public:
    virtual ~WebEngine() = default;

    // Starts loading url and returns without waiting; fails when the page cannot be read.
    virtual void navigate(const std::u16string& url) = 0;
    // Executes a browser command; fails for a command it does not know.
    virtual void execWB(std::int32_t command, std::int32_t option) = 0;
};

struct WebEngineEvents {
    // The page finished loading, its frames included; its address. Raised once per page: the
    // engine reports the whole load, not each frame.
    std::function<void(const std::u16string& url)> documentComplete;
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual std::unique_ptr<WindowPeer> createWindow(std::function<void()> closedFromOutside) = 0;
    // Runs the message loop until quitMessageLoop is called.
    virtual void runMessageLoop() = 0;
    virtual void quitMessageLoop() = 0;

    virtual std::unique_ptr<TimerPeer> createTimer(std::function<void()> tick) = 0;

    // The modal Print dialog over owner (null: no owner).
    virtual std::int32_t showPrintDialog(PRINTDLG& record, WindowPeer* owner) = 0;
    // The modal Open dialog; answers the selection string, empty when cancelled.
    virtual std::u16string showOpenDialog(const OpenDialogRequest& request, WindowPeer* owner) = 0;

    virtual Printer& printer() = 0;
    virtual Picture loadPicture(const std::u16string& path) = 0;

    virtual std::unique_ptr<RichTextEngine> createRichTextEngine() = 0;
    virtual std::unique_ptr<WebEngine> createWebEngine(WindowPeer& parent,
                                                       const ControlPlacement& placement,
                                                       WebEngineEvents events) = 0;
};

} // namespace platform
