#include "app/Form1.h"

void Form1::LoadPrintDirectory() {}

void Form1::LoadPrintList() {}

void Form1::ChoosePrintFiles() {}
