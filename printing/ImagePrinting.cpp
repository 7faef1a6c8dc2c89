#include "app/Form1.h"

void Form1::PrintImageFile() {}

void Form1::PrintListedImages() {}

void Form1::PrintChosenImages() {}
