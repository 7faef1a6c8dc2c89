#pragma once

#include <vector>

#include <QTextCursor>

class QString;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;
class QTextTable;

namespace qtbackend {

// The cells of the table row being read: right edges in twips, and whether they have borders.
struct RtfRowDefinition {
    std::vector<int> cellBoundaries;
    bool borders = false;
};

// Builds the document from what the RTF reader makes of its input: runs of text, paragraph
// ends, page breaks and table cells. A paragraph end only closes the paragraph; the next one is
// opened when something goes into it, so that the final \par of a document or of a table cell
// leaves no empty paragraph behind. Tables are QTextTables, filled row by row; their size is
// bounded so that building them stays linear in the input.
class RtfDocumentBuilder {
public:
    // row is the reader's current row definition, read when a table starts and a row ends.
    RtfDocumentBuilder(QTextDocument& document, const RtfRowDefinition& row);

    // Text without line or paragraph separators.
    void insertText(const QString& text, const QTextCharFormat& format, bool inTable);
    void endParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                      bool inTable);
    // Ends the current paragraph if it has been started and not ended yet.
    void closeParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat,
                        bool inTable);
    // The next paragraph starts a new page.
    void breakPage(const QTextBlockFormat& format, const QTextCharFormat& markFormat, bool inTable);
    void endCell(const QTextBlockFormat& format, const QTextCharFormat& markFormat);
    void endRow();
    // The distance between tab stops where the paragraph sets none, in 1/96 inch.
    void setDefaultTabStop(double distance);
    void finish(const QTextBlockFormat& format, const QTextCharFormat& markFormat, bool inTable);

private:
    void openBlock(bool inTable);
    // A new paragraph has begun: nothing in it yet, no break pending at it.
    void startParagraph();
    void applyBlockFormat(QTextBlockFormat format, const QTextCharFormat& markFormat);
    void startTable();
    void nextRow();
    void nextCell();
    void leaveTable();
    void applyRowDefinition();

    QTextDocument& document_;
    QTextCursor cursor_;
    const RtfRowDefinition& row_;
    bool paragraphEnded_ = false;
    bool hasContent_ = false;
    bool firstBlock_ = true;
    bool pageBreakNext_ = false;
    bool pageBreakHere_ = false;

    QTextTable* table_ = nullptr;
    int rowIndex_ = 0;
    int columnIndex_ = 0;
    bool cellEnded_ = false;
    bool rowEnded_ = false;
};

} // namespace qtbackend
