#pragma once

#include <memory>

#include "platform/Backend.h"
#include "platform/qt/richtext/LoadedFonts.h"

class QTextDocument;

namespace qtbackend {

class PagedLayout;

// The rich text box's engine on Qt: the document is a QTextDocument, laid out with Qt's text
// layout against the device it is formatted for. The layout is made once per target and text
// area and reused page after page until it is released.
class QtRichTextEngine : public platform::RichTextEngine {
public:
    QtRichTextEngine();
    ~QtRichTextEngine() override;

    void loadFile(const std::u16string& path) override;
    std::u16string text() const override;
    std::int32_t formatRange(bool render, const platform::FORMATRANGE* range) override;

    // Takes document as the content, as loading a file does.
    void setDocument(std::unique_ptr<QTextDocument> document);
    const QTextDocument& document() const { return *document_; }
    // How many times the document has been laid out for formatting.
    int layoutsMade() const { return layoutsMade_; }

private:
    std::unique_ptr<QTextDocument> document_;
    LoadedFonts fonts_;                  // while pages_ lays out and draws
    std::unique_ptr<PagedLayout> pages_; // after document_: it refers to the document
    int layoutsMade_ = 0;
};

} // namespace qtbackend
