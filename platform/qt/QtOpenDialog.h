#pragma once

#include <string>

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include "platform/Backend.h"

namespace qtbackend {

// The Open dialog as the common dialog control shows it: Qt's own file dialog (the same on every
// desktop), starting in the requested folder, with the request's filter pairs as its choices.
// Unless the request says that files must exist, typed names are accepted whether or not such
// files exist; several names can be typed quoted, "a.jpg" "b.jpg".
class OpenFileDialog : public QFileDialog {
public:
    OpenFileDialog(const platform::OpenDialogRequest& request, QWidget* parent);

    // The full paths accepted, in the order given; empty before the dialog was accepted.
    const QStringList& acceptedPaths() const { return accepted_; }

    void accept() override;

private:
    bool multiSelect_;
    bool filesMustExist_;
    QStringList accepted_;
};

// "description|patterns|description|patterns...", patterns separated by ";", as Qt name filters
// "description (pattern pattern)".
QStringList nameFiltersFrom(const QString& filter);

// The names typed into a file name field: the quoted names of "a.jpg" "b.jpg", or else the whole
// text as one name.
QStringList typedNames(const QString& text);

// The selection string of absolute, clean paths: empty for none, the path itself for one, and
// otherwise their directory (with a trailing separator only at the root) followed by each name
// relative to it, all separated by single NUL characters.
std::u16string packSelection(const QStringList& paths);

// Shows the Open dialog modal over owner and answers its selection string, empty when the user
// cancelled. Fails with a dialog failure when nobody can see the dialog.
std::u16string showOpenDialog(const platform::OpenDialogRequest& request, QWidget* owner);

} // namespace qtbackend
