// The real Open dialog: its filter choices, the names it accepts and the selection string it
// packs them into.

#include <string>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtOpenDialog.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

using namespace std::string_literals;

const QString PictureFilter =
    "All Image Files|*.jpg;*.gif;*.bmp;*.tiff|JPG - JPEG Bitmap (*.jpg)|*.jpg|GIF - CompuServe "
    "Bitmap (*.gif)|*.gif|BMP - Windows Bitmap (*.bmp)|*.bmp|TIF - TIFF Bitmap (*.tiff)|*.tiff";

TEST(OpenDialogFilterTest, FivePairsBecomeFiveChoices) {
    EXPECT_EQ(qtbackend::nameFiltersFrom(PictureFilter),
              (QStringList{
                  "All Image Files (*.jpg *.gif *.bmp *.tiff)", "JPG - JPEG Bitmap (*.jpg) (*.jpg)",
                  "GIF - CompuServe Bitmap (*.gif) (*.gif)", "BMP - Windows Bitmap (*.bmp) (*.bmp)",
                  "TIF - TIFF Bitmap (*.tiff) (*.tiff)"}));
    EXPECT_EQ(qtbackend::nameFiltersFrom(""), QStringList{});
    EXPECT_EQ(qtbackend::nameFiltersFrom("Text|*.txt|Lonely"), QStringList{"Text (*.txt)"});
    EXPECT_EQ(qtbackend::nameFiltersFrom("Empty||All|*"), QStringList{"All (*)"});
}

TEST(OpenDialogFilterTest, TypedNamesAreQuotedOrWhole) {
    EXPECT_EQ(qtbackend::typedNames(""), QStringList{});
    EXPECT_EQ(qtbackend::typedNames("my photo.jpg"), QStringList{"my photo.jpg"});
    EXPECT_EQ(qtbackend::typedNames("\"a.jpg\" \"b c.jpg\""), (QStringList{"a.jpg", "b c.jpg"}));
    EXPECT_EQ(qtbackend::typedNames("\"a.jpg\"\"b.jpg\""), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(qtbackend::typedNames("\"\" \"a.jpg"), QStringList{"a.jpg"});
}

TEST(OpenDialogSelectionTest, PacksTheShapesOfTheSelectionString) {
    struct {
        QStringList paths;
        std::u16string selection;
    } const cases[] = {
        {{}, u""},
        {{"/pics/a.jpg"}, u"/pics/a.jpg"},
        {{"/pics/a.jpg", "/pics/b.gif"}, u"/pics\0a.jpg\0b.gif"s},
        {{"/a.jpg", "/b.gif"}, u"/\0a.jpg\0b.gif"s},
        {{"/pics/b.gif", "/pics/a.jpg", "/pics/b.gif"}, u"/pics\0b.gif\0a.jpg\0b.gif"s},
        // Names from different folders stay correct relative to their common folder.
        {{"/pics/a.jpg", "/pics/old/b.gif"}, u"/pics\0a.jpg\0old/b.gif"s},
        {{"/x/a.jpg", "/y/b.gif"}, u"/\0x/a.jpg\0y/b.gif"s},
        {{"/pics/caf\u00e9 \U0001F4F7.jpg", "/pics/b"}, u"/pics\0caf\u00e9 \U0001F4F7.jpg\0b"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qtbackend::packSelection(c.paths), c.selection)
            << c.paths.join(", ").toStdString();
    }
}

class OpenFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"a.jpg", "b.jpg", "notes.txt"}) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
        request.flags = 0x280200;
        request.maxFileSize = 20000;
        request.initDir = folder.path().toStdU16String();
        request.filter = PictureFilter.toStdU16String();
    }

    // Types into the dialog's file name field and presses Return.
    void typeAndAccept(qtbackend::OpenFileDialog& dialog, const QString& text) {
        auto* nameEdit = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(text);
        dialog.accept();
    }

    QTemporaryDir folder;
    platform::OpenDialogRequest request;
};

TEST_F(OpenFileDialogTest, StartsInTheFolderWithTheFirstChoiceSelected) {
    qtbackend::OpenFileDialog dialog(request, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Open");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(QDir::cleanPath(dialog.directory().absolutePath()), QDir::cleanPath(folder.path()));
    // The choices show the descriptions alone, the first one chosen.
    auto* choices = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(choices, nullptr);
    QStringList shown;
    for (int i = 0; i < choices->count(); ++i) {
        shown.append(choices->itemText(i));
    }
    EXPECT_EQ(shown, (QStringList{"All Image Files", "JPG - JPEG Bitmap (*.jpg)",
                                  "GIF - CompuServe Bitmap (*.gif)", "BMP - Windows Bitmap (*.bmp)",
                                  "TIF - TIFF Bitmap (*.tiff)"}));
    EXPECT_EQ(choices->currentIndex(), 0);
}

TEST_F(OpenFileDialogTest, AcceptsTypedNamesWhetherOrNotTheFilesExist) {
    const QString dir = QDir::cleanPath(folder.path());
    struct {
        QString typed;
        std::u16string selection;
    } const cases[] = {
        {"a.jpg", (dir + "/a.jpg").toStdU16String()},
        {"missing.jpg", (dir + "/missing.jpg").toStdU16String()},
        {"\"a.jpg\" \"missing.jpg\"", dir.toStdU16String() + u"\0a.jpg\0missing.jpg"s},
        {"\"b.jpg\" \"a.jpg\"", dir.toStdU16String() + u"\0b.jpg\0a.jpg"s},
        {"sub/../a.jpg", (dir + "/a.jpg").toStdU16String()},
    };
    for (const auto& c : cases) {
        qtbackend::OpenFileDialog dialog(request, nullptr);
        typeAndAccept(dialog, c.typed);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed.toStdString();
        EXPECT_EQ(qtbackend::packSelection(dialog.acceptedPaths()), c.selection)
            << c.typed.toStdString();
    }
}

TEST_F(OpenFileDialogTest, TheOpenButtonTakesATypedNameOfAMissingFile) {
    qtbackend::OpenFileDialog dialog(request, nullptr);
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    QPushButton* open = buttons->button(QDialogButtonBox::Open);
    ASSERT_NE(open, nullptr);
    dialog.findChild<QLineEdit*>("fileNameEdit")->setText("\"a.jpg\" \"missing.jpg\"");
    ASSERT_TRUE(open->isEnabled());
    open->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.acceptedPaths().size(), 2);
}

TEST_F(OpenFileDialogTest, AFolderNameOpensTheFolderAndNothingIsAccepted) {
    qtbackend::OpenFileDialog dialog(request, nullptr);
    typeAndAccept(dialog, "sub");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.acceptedPaths().isEmpty());
    EXPECT_EQ(QDir::cleanPath(dialog.directory().absolutePath()),
              QDir::cleanPath(folder.filePath("sub")));
    typeAndAccept(dialog, "");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(OpenFileDialogTest, ALongSelectionComesBackWhole) {
    QString typed;
    for (int i = 0; i < 400; ++i) {
        typed += QString("\"%1-%2.jpg\" ").arg(i, 4, 10, QChar('0')).arg(QString(56, 'x'));
    }
    qtbackend::OpenFileDialog dialog(request, nullptr);
    typeAndAccept(dialog, typed);
    ASSERT_EQ(dialog.acceptedPaths().size(), 400);
    const std::u16string selection = qtbackend::packSelection(dialog.acceptedPaths());
    // Each name is 65 characters and one NUL.
    EXPECT_EQ(selection.size(),
              static_cast<std::size_t>(QDir::cleanPath(folder.path()).size()) + 400 * 66);
    EXPECT_GT(selection.size(), 20000u);
}

TEST(OpenDialogBackendTest, WithoutADisplayTheDialogFails) {
    qtbackend::QtBackend backend;
    platform::OpenDialogRequest request;
    try {
        backend.showOpenDialog(request, nullptr);
        FAIL() << "the dialog did not fail";
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.number(), platform::ErrorNumber::DialogFailure);
    }
}

} // namespace
