#include <cstdint>
#include <string>

#include "app/Form1.h"
#include "joblist/Module1.h"
#include "platform/Files.h"
#include "platform/OnError.h"
#include "platform/Paths.h"
#include "platform/Runtime.h"

namespace {

// The Open dialog's choices: five pairs of a description and its patterns.
constexpr const char16_t* PictureFilter =
    u"All Image Files|*.jpg;*.gif;*.bmp;*.tiff|JPG - JPEG Bitmap (*.jpg)|*.jpg|GIF - "
    u"CompuServe Bitmap (*.gif)|*.gif|BMP - Windows Bitmap (*.bmp)|*.bmp|TIF - TIFF Bitmap "
    u"(*.tiff)|*.tiff";

// Leading and trailing spaces removed; other blanks, tabs among them, stay.
std::u16string Trim(const std::u16string& text) {
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

} // namespace

void Form1::LoadPrintDirectory() {
    FileBox.SetPath(platform::ProgramDirectory());
    lstPrint.Clear();
    const std::int16_t n = FileBox.ListCount();
    for (std::int32_t i = 0; i <= n - 1; ++i) {
        lstPrint.AddItem(FileBox.List(static_cast<std::int16_t>(i)));
    }
    ShowPrintDialog();
}

void Form1::LoadPrintList() {
    const bool completed = platform::onFailureEndQuietly([&] {
        lstPrint.Clear();
        platform::TextFile list(platform::joinPath(platform::ProgramDirectory(), u"list.txt"));
        while (!list.atEnd()) {
            const std::u16string entry = Trim(list.readLine());
            if (!entry.empty()) {
                lstPrint.AddItem(entry);
            }
        }
        list.close();
        if (lstPrint.ListCount() >= 1) {
            ShowPrintDialog();
            return;
        }
        Unload();
    });
    if (!completed) {
        Unload();
    }
}

void Form1::ChoosePrintFiles() {
    lstPrint.Clear();
    dlg.SetFlags(platform::cdlOFNAllowMultiselect + platform::cdlOFNExplorer +
                 platform::cdlOFNLongNames);
    dlg.SetMaxFileSize(20000);
    dlg.SetFileName(u"");
    dlg.SetInitDir(platform::ProgramDirectory());
    dlg.SetFilter(PictureFilter);
    dlg.ShowOpen();
    if (dlg.FileName().empty()) {
        return;
    }

    const std::int16_t n = CountSelectedFiles(dlg.FileName());
    for (std::int32_t k = 1; k <= n; ++k) {
        const std::u16string path = GetSelectedFile(dlg.FileName(), static_cast<std::int16_t>(k));
        // An empty file is left out without notice.
        if (platform::FileLen(path) > 0) {
            lstPrint.AddItem(path);
        }
    }
    ShowPrintDialog();
}
