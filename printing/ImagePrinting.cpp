#include <cstdint>
#include <string>

#include "app/Form1.h"
#include "platform/OnError.h"
#include "platform/Paths.h"
#include "platform/Printer.h"
#include "platform/Runtime.h"
#include "platform/ScaleMode.h"

namespace {

// Page layout, centimetres: the width across which a picture is centred, and its distance from
// the top.
constexpr double PageWidth = 21;
constexpr float PictureTop = 5;

// The eight steps that put one picture file on paper as its own print job. No handler: a failure
// leaves the remaining steps undone and goes up to the entry point. The name is a copy, not a
// reference into the job list, which may change while the picture loads.
void PrintPictureFile(Form1& form, std::u16string path) {
    form.pic.SetScaleMode(platform::vbCentimeters);
    form.pic.SetPicture(platform::LoadPicture(path));
    form.pic.SetAutoSize(true);
    form.pic.Refresh();
    form.pic.SetAutoSize(false);
    const float x = static_cast<float>((PageWidth - form.pic.ScaleWidth()) / 2);
    const float y = PictureTop;
    platform::Printer& printer = platform::DefaultPrinter();
    printer.SetScaleMode(platform::vbCentimeters);
    printer.PaintPicture(form.pic.Picture(), x, y);
    printer.EndDoc();
}

} // namespace

void Form1::PrintImageFile() {
    platform::onFailureEndQuietly([&] {
        PrintPictureFile(*this,
                         platform::joinPath(platform::ProgramDirectory(), txtCommand.Text()));
    });
    Unload();
}

void Form1::PrintListedImages() {
    const std::int16_t n = lstPrint.ListCount();
    for (std::int16_t i = 0; i < n; ++i) {
        platform::onFailureSkipEntry([&] {
            PrintPictureFile(*this,
                             platform::joinPath(platform::ProgramDirectory(), lstPrint.List(i)));
        });
    }
    Unload();
}

void Form1::PrintChosenImages() {
    const std::int16_t n = lstPrint.ListCount();
    for (std::int16_t i = 0; i < n; ++i) {
        platform::onFailureSkipEntry([&] { PrintPictureFile(*this, lstPrint.List(i)); });
    }
    Unload();
}
