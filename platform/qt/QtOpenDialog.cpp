#include "platform/qt/QtOpenDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "platform/Failure.h"
#include "platform/controls/CommonDialog.h"
#include "platform/qt/QtWindow.h"

namespace qtbackend {

namespace {

QString parentOf(const QString& path) {
    return QFileInfo(path).path();
}

// The deepest folder that holds every one of the paths.
QString commonDirectory(const QStringList& paths) {
    QStringList common = parentOf(paths.first()).split(u'/', Qt::SkipEmptyParts);
    for (const QString& path : paths) {
        const QStringList parts = parentOf(path).split(u'/', Qt::SkipEmptyParts);
        qsizetype same = 0;
        while (same < common.size() && same < parts.size() && common[same] == parts[same]) {
            ++same;
        }
        common.resize(same);
    }
    return u'/' + common.join(u'/');
}

// Qt's file dialog reads its state from the user's settings when it is made and writes it back
// when it goes. Quillet writes no files, so those settings go nowhere, from before the first
// dialog is made.
QWidget* withoutUserSettings(QWidget* parent) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    return parent;
}

} // namespace

OpenFileDialog::OpenFileDialog(const platform::OpenDialogRequest& request, QWidget* parent)
    : QFileDialog(withoutUserSettings(parent)),
      multiSelect_((request.flags & platform::cdlOFNAllowMultiselect) != 0),
      filesMustExist_(
          (request.flags & (platform::cdlOFNFileMustExist | platform::cdlOFNPathMustExist)) != 0) {
    // Qt's own dialog, so that it looks and behaves the same on every desktop; it lets nobody
    // rename, delete or create files from inside it.
    setOption(DontUseNativeDialog, true);
    setOption(ReadOnly, true);
    // The descriptions alone, as the filter string words them.
    setOption(HideNameFilterDetails, true);
    setWindowTitle(QStringLiteral("Open"));
    setAcceptMode(AcceptOpen);
    setFileMode(multiSelect_ ? ExistingFiles : ExistingFile);
    const QStringList filters = nameFiltersFrom(QString::fromStdU16String(request.filter));
    if (!filters.isEmpty()) {
        setNameFilters(filters);
        selectNameFilter(filters.first());
    }
    setDirectory(QString::fromStdU16String(request.initDir));
    if (!request.fileName.empty()) {
        selectFile(QString::fromStdU16String(request.fileName));
    }
    if (!filesMustExist_) {
        // Qt disables its Open button while a typed name is no existing file; this slot runs
        // after Qt's, so that a mouse can confirm such names as Return does.
        auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (nameEdit != nullptr && buttons != nullptr) {
            connect(nameEdit, &QLineEdit::textChanged, this, [buttons](const QString& text) {
                if (QPushButton* open = buttons->button(QDialogButtonBox::Open)) {
                    if (!text.trimmed().isEmpty()) {
                        open->setEnabled(true);
                    }
                }
            });
        }
    }
}

void OpenFileDialog::accept() {
    auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString typed = nameEdit != nullptr ? nameEdit->text().trimmed() : QString();
    if (filesMustExist_ || typed.isEmpty()) {
        QFileDialog::accept();
        if (result() == Accepted) {
            accepted_.clear();
            for (const QString& path : selectedFiles()) {
                accepted_.append(QDir::cleanPath(path));
            }
        }
        return;
    }

    // Qt's own check would refuse names of files that do not exist; here they are accepted, and
    // it is up to the caller what becomes of them.
    QStringList paths;
    const QDir folder(directory().absolutePath());
    for (const QString& name : typedNames(typed)) {
        const QString path = QDir::cleanPath(folder.absoluteFilePath(name));
        if (QFileInfo(path).isDir()) {
            // A folder's name opens the folder, as in any Open dialog.
            setDirectory(path);
            nameEdit->clear();
            return;
        }
        paths.append(path);
        if (!multiSelect_) {
            break;
        }
    }
    if (paths.isEmpty()) {
        return;
    }
    accepted_ = paths;
    QDialog::accept();
}

QStringList nameFiltersFrom(const QString& filter) {
    QStringList filters;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        if (patterns.isEmpty()) {
            continue;
        }
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

QStringList typedNames(const QString& text) {
    if (!text.contains(u'"')) {
        return text.isEmpty() ? QStringList() : QStringList{text};
    }
    QStringList names;
    const QStringList tokens = text.split(u'"');
    for (qsizetype i = 1; i < tokens.size(); i += 2) {
        if (!tokens[i].isEmpty()) {
            names.append(tokens[i]);
        }
    }
    return names;
}

std::u16string packSelection(const QStringList& paths) {
    if (paths.isEmpty()) {
        return {};
    }
    if (paths.size() == 1) {
        return paths.first().toStdU16String();
    }
    const QString directory = commonDirectory(paths);
    const qsizetype prefix = directory == u"/" ? 1 : directory.size() + 1;
    std::u16string selection = directory.toStdU16String();
    for (const QString& path : paths) {
        selection += u'\0';
        selection += path.mid(prefix).toStdU16String();
    }
    return selection;
}

std::u16string showOpenDialog(const platform::OpenDialogRequest& request, QWidget* owner) {
    if (!hasDisplay()) {
        platform::raise(platform::ErrorNumber::DialogFailure, "no display for the Open dialog");
    }
    OpenFileDialog dialog(request, owner);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return packSelection(dialog.acceptedPaths());
}

} // namespace qtbackend
