#include "app/Form1.h"

void Form1::OpenWebPage() {}

void Form1::wbr_DocumentComplete(platform::WebBrowser&, const std::u16string&) {}

void Form1::tmr_Timer() {}
