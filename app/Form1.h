#pragma once

#include <string>

#include "platform/Form.h"
#include "platform/controls/CommonDialog.h"
#include "platform/controls/FileListBox.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/PictureBox.h"
#include "platform/controls/RichTextBox.h"
#include "platform/controls/TextBox.h"
#include "platform/controls/Timer.h"
#include "platform/controls/WebBrowser.h"

// The program's one window. Its load handler does the whole print run; its controls hold the
// working data: the command text, the job list, and the picture, document or page being printed.
class Form1 : public platform::Form {
public:
    Form1();

    platform::WebBrowser wbr;
    platform::RichTextBox rtbPrint;
    platform::CommonDialog dlg;
    platform::FileListBox FileBox;
    platform::TextBox txtCommand;
    platform::ListBox lstPrint;
    platform::PictureBox pic;
    platform::Timer tmr;

    // At most 12 characters that follow the last "." of the command text.
    std::u16string FileExtension;

    // Start-up and dispatch (app/)
    void Form_Load();
    void ShowPrintDialog();

    // Job lists (joblist/)
    void LoadPrintDirectory();
    void LoadPrintList();
    void ChoosePrintFiles();

    // Printing (printing/)
    void PrintImageFile();
    void PrintListedImages();
    void PrintChosenImages();
    void PrintTextDocument();

    // Web pages (web/)
    void OpenWebPage();
    void wbr_DocumentComplete(platform::WebBrowser& pDisp, const std::u16string& URL);
    void tmr_Timer();
};
