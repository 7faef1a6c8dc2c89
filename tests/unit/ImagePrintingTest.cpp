// Image page printing: the eight steps for one picture, the placement on the page, and the batch
// loops with their failures, against the recording printer.

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ScaleMode.h"
#include "tests/support/ProgramFixture.h"

namespace {

using Calls = std::vector<std::string>;

// Form1 loaded as at start, with the command text stored, but without taking any road: the test
// calls the print routine itself.
Form1& loadFormIn(fake::ProgramRun& run, const std::u16string& commandText) {
    run.runtime = std::make_unique<platform::Runtime>(run.backend, commandText,
                                                      fake::ProgramRun::ProgramDirectory);
    run.form = std::make_unique<Form1>();
    run.form->onLoad({});
    run.form->Load();
    run.form->txtCommand.SetText(commandText);
    return *run.form;
}

class ImagePrintingTest : public fake::ProgramFixture {
protected:
    Form1& loadForm(const std::u16string& commandText) { return loadFormIn(*this, commandText); }

    static std::u16string inProgramDirectory(const std::u16string& name) {
        return std::u16string(ProgramDirectory) + u"/" + name;
    }

    // The (x, y) of every PaintPicture, as the printer received them.
    std::vector<std::pair<float, float>> paintPositions() const {
        std::vector<std::pair<float, float>> positions;
        for (const std::string& call : backend.recordingPrinter.calls) {
            if (call.rfind("PaintPicture ", 0) == 0) {
                std::istringstream words(call.substr(call.find(' ', 13)));
                float x = 0;
                float y = 0;
                words >> x >> y;
                positions.emplace_back(x, y);
            }
        }
        return positions;
    }

    // The picture of every document handed to the spooler, in order.
    std::vector<std::string> printedPictures() const {
        std::vector<std::string> names;
        for (const auto& document : backend.recordingPrinter.printedDocuments()) {
            EXPECT_EQ(document.pages.size(), 1u);
            EXPECT_EQ(document.pages.at(0).marks.size(), 1u);
            names.push_back(document.pages.at(0).marks.at(0).what);
        }
        return names;
    }
};

TEST_F(ImagePrintingTest, OnePictureTakesTheEightStepsInOrder) {
    backend.pictures.add(inProgramDirectory(u"photo.jpg"), 10, 7.5);
    backend.pictures.journal = &backend.recordingPrinter.calls;
    Form1& form = loadForm(u"photo.jpg");
    form.PrintImageFile();

    EXPECT_EQ(backend.recordingPrinter.calls,
              (Calls{"LoadPicture /opt/quillet/photo.jpg", "ScaleMode 7",
                     "PaintPicture /opt/quillet/photo.jpg 5.5 5", "EndDoc"}));
    EXPECT_EQ(form.pic.ScaleMode(), platform::vbCentimeters);
    EXPECT_FALSE(form.pic.AutoSize());
    EXPECT_FLOAT_EQ(form.pic.ScaleWidth(), 10.0f); // the box took the picture's size
    EXPECT_EQ(fake::FakePictures::nameOf(form.pic.Picture()), "/opt/quillet/photo.jpg");
    EXPECT_EQ(backend.recordingPrinter.documentsEnded(), 1);
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(ImagePrintingTest, ThePictureIsCentredAcross21CentimetresAndFiveFromTheTop) {
    const struct {
        double width;
        double height;
        float x;
    } cases[] = {
        {10, 7.5, 5.5f},   {21, 29.7, 0.0f},  {25, 3, -2.0f},   // wider than the page: not clamped
        {30.5, 1, -4.75f}, {0.5, 40, 10.25f}, {10.1, 5, 5.45f}, // single precision
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        fake::ProgramRun run;
        run.backend.pictures.add(inProgramDirectory(u"photo.jpg"), c.width, c.height);
        loadFormIn(run, u"photo.jpg").PrintImageFile();

        std::swap(backend.recordingPrinter.calls, run.backend.recordingPrinter.calls);
        const auto positions = paintPositions();
        ASSERT_EQ(positions.size(), 1u);
        EXPECT_FLOAT_EQ(positions[0].first, c.x);
        EXPECT_FLOAT_EQ(positions[0].second, 5.0f);
        EXPECT_EQ(run.backend.recordingPrinter.documentsEnded(), 1);
    }
}

TEST_F(ImagePrintingTest, ThePagePlacesThePictureFromThePrintableCorner) {
    backend.recordingPrinter.offsetXPixels = 100; // 600 per inch: 0.4233 cm
    backend.recordingPrinter.offsetYPixels = 50;
    backend.pictures.add(u"/pics/ten.jpg", 10, 7.5);
    backend.pictures.add(u"/pics/wide.jpg", 30, 40);
    Form1& form = loadForm(u"PRINT_DIALOG");
    form.lstPrint.AddItem(u"/pics/ten.jpg");
    form.lstPrint.AddItem(u"/pics/wide.jpg");
    form.PrintChosenImages();

    const auto documents = backend.recordingPrinter.printedDocuments();
    ASSERT_EQ(documents.size(), 2u);
    const auto ten = backend.recordingPrinter.inkBox(documents[0].pages.at(0));
    ASSERT_TRUE(ten.has_value());
    EXPECT_NEAR(ten->left, 5.5 + 0.4233, 1e-3);
    EXPECT_NEAR(ten->top, 5 + 0.2117, 1e-3);
    EXPECT_NEAR(ten->right - ten->left, 10, 1e-3);
    EXPECT_NEAR(ten->bottom - ten->top, 7.5, 1e-3);

    // Too wide and too tall: its left part and its foot fall off the one page.
    ASSERT_EQ(documents[1].pages.size(), 1u);
    const auto wide = backend.recordingPrinter.inkBox(documents[1].pages.at(0));
    ASSERT_TRUE(wide.has_value());
    EXPECT_DOUBLE_EQ(wide->left, 0);
    EXPECT_NEAR(wide->right, 4960 / 600.0 * 2.54, 1e-9);
    EXPECT_NEAR(wide->bottom, 7016 / 600.0 * 2.54, 1e-9);
}

TEST_F(ImagePrintingTest, ASingleFileThatFailsAbandonsTheRestAndUnloads) {
    const struct {
        const char* name;
        const char16_t* command;
        const char* failOn;
        Calls calls;
    } cases[] = {
        {"missing file", u"photo.jpg", "", {"LoadPicture /opt/quillet/photo.jpg"}},
        {"not a picture", u"notes.jpg", "", {"LoadPicture /opt/quillet/notes.jpg"}},
        {"printer refuses the scale",
         u"ok.jpg",
         "ScaleMode",
         {"LoadPicture /opt/quillet/ok.jpg", "ScaleMode 7"}},
        {"printer fails to paint",
         u"ok.jpg",
         "PaintPicture",
         {"LoadPicture /opt/quillet/ok.jpg", "ScaleMode 7",
          "PaintPicture /opt/quillet/ok.jpg 5.5 5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::ProgramRun run;
        run.backend.pictures.add(inProgramDirectory(u"ok.jpg"), 10, 10);
        run.backend.pictures.addInvalid(inProgramDirectory(u"notes.jpg"));
        run.backend.pictures.journal = &run.backend.recordingPrinter.calls;
        run.backend.recordingPrinter.failOn = c.failOn;
        loadFormIn(run, c.command).PrintImageFile();

        EXPECT_EQ(run.backend.recordingPrinter.calls, c.calls);
        EXPECT_EQ(run.form->pic.ScaleMode(), platform::vbCentimeters); // step 1 ran first
        EXPECT_EQ(run.backend.recordingPrinter.documentsEnded(), 0);
        EXPECT_FALSE(run.form->IsLoaded());
    }
}

TEST_F(ImagePrintingTest, AMissingMiddleEntryGivesTwoJobsForTheOthers) {
    backend.pictures.add(inProgramDirectory(u"a.jpg"), 10, 5);
    backend.pictures.add(inProgramDirectory(u"c.jpg"), 8, 5);
    Form1& form = loadForm(u"PRINT_LIST");
    for (const auto* name : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
        form.lstPrint.AddItem(name);
    }
    form.PrintListedImages();

    EXPECT_EQ(backend.pictures.loaded, (std::vector<std::u16string>{inProgramDirectory(u"a.jpg"),
                                                                    inProgramDirectory(u"b.jpg"),
                                                                    inProgramDirectory(u"c.jpg")}));
    EXPECT_EQ(printedPictures(), (Calls{"/opt/quillet/a.jpg", "/opt/quillet/c.jpg"}));
    EXPECT_EQ(backend.recordingPrinter.calls,
              (Calls{"ScaleMode 7", "PaintPicture /opt/quillet/a.jpg 5.5 5", "EndDoc",
                     "ScaleMode 7", "PaintPicture /opt/quillet/c.jpg 6.5 5", "EndDoc"}));
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(ImagePrintingTest, APrinterFailureSkipsOnlyItsEntry) {
    backend.recordingPrinter.failOn = "PaintPicture";
    backend.recordingPrinter.failTimes = 1;
    for (const auto* name : {u"/pics/a.jpg", u"/pics/b.jpg", u"/pics/c.jpg"}) {
        backend.pictures.add(name, 10, 5);
    }
    Form1& form = loadForm(u"PRINT_DIALOG");
    for (const auto* name : {u"/pics/a.jpg", u"/pics/b.jpg", u"/pics/c.jpg"}) {
        form.lstPrint.AddItem(name);
    }
    form.PrintChosenImages();

    EXPECT_EQ(printedPictures(), (Calls{"/pics/b.jpg", "/pics/c.jpg"}));
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(ImagePrintingTest, BatchesWhereNothingPrintsStillUnload) {
    const struct {
        const char* name;
        std::vector<std::u16string> entries;
        bool chosen; // PRINT_DIALOG's full paths rather than names in the program directory
    } cases[] = {
        {"empty list", {}, false},
        {"empty chosen list", {}, true},
        {"every entry fails", {u"missing.jpg", u"notes.jpg", u"", u"missing.jpg"}, false},
        // Joined to the program directory even though it is absolute: no such file there.
        {"absolute entry in a list", {u"/pics/a.jpg"}, false},
        {"relative entry chosen", {u"a.jpg"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::ProgramRun run;
        run.backend.pictures.add(u"/pics/a.jpg", 10, 5);
        run.backend.pictures.addInvalid(inProgramDirectory(u"notes.jpg"));
        Form1& form = loadFormIn(run, c.chosen ? u"PRINT_DIALOG" : u"PRINT_LIST");
        for (const auto& entry : c.entries) {
            form.lstPrint.AddItem(entry);
        }
        if (c.chosen) {
            form.PrintChosenImages();
        } else {
            form.PrintListedImages();
        }

        EXPECT_EQ(run.backend.pictures.loaded.size(), c.entries.size());
        if (c.name == std::string("absolute entry in a list")) {
            EXPECT_EQ(run.backend.pictures.loaded.at(0), u"/opt/quillet//pics/a.jpg");
        }
        EXPECT_TRUE(run.backend.recordingPrinter.calls.empty());
        EXPECT_TRUE(run.backend.recordingPrinter.documents.empty());
        EXPECT_FALSE(form.IsLoaded());
    }
}

TEST_F(ImagePrintingTest, TheCountIsReadOnceBeforeTheLoop) {
    backend.pictures.add(u"/pics/a.jpg", 10, 5);
    Form1& form = loadForm(u"PRINT_DIALOG");
    form.lstPrint.AddItem(u"/pics/a.jpg");
    form.lstPrint.AddItem(u"/pics/a.jpg");
    backend.pictures.whileLoading = [&](const std::u16string&) {
        form.lstPrint.AddItem(u"/pics/a.jpg");
    };
    form.PrintChosenImages();
    EXPECT_EQ(backend.pictures.loaded.size(), 2u);
    EXPECT_EQ(backend.recordingPrinter.documentsEnded(), 2);
}

TEST_F(ImagePrintingTest, AFullListOf32767EntriesEndsWithoutOverflow) {
    Form1& form = loadForm(u"PRINT_LIST");
    for (int i = 0; i < 32767; ++i) {
        form.lstPrint.AddItem(u"missing.jpg");
    }
    form.PrintListedImages();
    EXPECT_EQ(backend.pictures.loaded.size(), 32767u);
    EXPECT_FALSE(form.IsLoaded());
}

// Row 6 of the print dispatch, through the real road: a confirmed name that is no keyword, no
// text document and no web page prints the picture of that name in the program directory.
TEST_F(ImagePrintingTest, AConfirmedPictureNameIsPrintedFromTheProgramDirectory) {
    const std::u16string names[] = {u"photo.jpg", u"my \"holiday\" photo .gif", u"scan.TXT"};
    for (const auto& name : names) {
        fake::ProgramRun run;
        run.backend.pictures.add(inProgramDirectory(name), 10, 5);
        run.backend.printDialogAnswer = 1;
        Form1& form = run.start(name);

        EXPECT_EQ(run.backend.pictures.loaded,
                  std::vector<std::u16string>{inProgramDirectory(name)});
        EXPECT_EQ(run.backend.recordingPrinter.documentsEnded(), 1);
        EXPECT_EQ(form.txtCommand.Text(), name);
        EXPECT_FALSE(form.IsLoaded());
    }
}

} // namespace
