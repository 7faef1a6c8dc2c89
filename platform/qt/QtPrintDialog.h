#pragma once

#include <cstdint>

#include "platform/Win32.h"

class QWidget;

namespace qtbackend {

// The system's Print dialog, listing the print server's printers, modal over owner. Quillet asks
// it only for a confirmation: what the user chooses in it is not applied. Answers non-zero when
// the user confirmed, and 0 when the user cancelled or nobody can see the dialog.
std::int32_t showPrintDialog(const platform::PRINTDLG& record, QWidget* owner);

} // namespace qtbackend
