#pragma once

#include <memory>

#include <QPointer>
#include <QPrinter>
#include <QWidget>

#include "platform/Backend.h"
#include "platform/qt/webengine/WebEngineModule.h"

namespace qtbackend {

// The web browser's engine: a Qt WebEngine view from the web module, with the browser's print
// command. Printing lays the page out with the engine's own PDF output, so text stays text, and
// hands the result to the print server as one job with what the user chose in the print dialog.
class QtWebEngine : public platform::WebEngine {
public:
    // window owns the print dialog; view lies inside it.
    QtWebEngine(QWidget* window, std::unique_ptr<WebView> view);
    ~QtWebEngine() override;

    // url is a plain file path; a file that does not exist or cannot be read is refused.
    void navigate(const std::u16string& url) override;
    // OLECMDID_PRINT only, asking the user first.
    void execWB(std::int32_t command, std::int32_t option) override;

    // Prints the loaded document with what was chosen in printer: to its CUPS destination as one
    // job, or to the PDF file it names.
    void printWith(const QPrinter& printer);

private:
    QPointer<QWidget> window_;
    std::unique_ptr<WebView> view_;
};

} // namespace qtbackend
