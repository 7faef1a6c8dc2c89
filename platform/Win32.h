#pragma once

#include <cstdint>

#include "platform/Handles.h"

// The system calls the program makes by name, with their records in the exact packed layouts of
// the 32-bit platform.
namespace platform {

// ---- Print dialog ----

#pragma pack(push, 1)
struct PRINTDLG {
    std::uint32_t lStructSize;
    Handle hwndOwner;
    Handle hDevMode;
    Handle hDevNames;
    Handle hDC;
    std::uint32_t Flags;
    std::uint16_t nFromPage;
    std::uint16_t nToPage;
    std::uint16_t nMinPage;
    std::uint16_t nMaxPage;
    std::uint16_t nCopies;
    Handle hInstance;
    std::int32_t lCustData;
    std::uint32_t lpfnPrintHook;
    std::uint32_t lpfnSetupHook;
    std::uint32_t lpPrintTemplateName;
    std::uint32_t lpSetupTemplateName;
    Handle hPrintTemplate;
    Handle hSetupTemplate;
};
#pragma pack(pop)
static_assert(sizeof(PRINTDLG) == 66, "PRINTDLG is packed without alignment gaps");

// The modal Print dialog: non-zero when the user confirmed; 0 when cancelled, closed or failed
// (a record whose lStructSize is not 66 fails).
std::int32_t PrintDlgA(PRINTDLG& record);

// ---- Device capabilities ----

inline constexpr std::int32_t HORZRES = 8;
inline constexpr std::int32_t VERTRES = 10;
inline constexpr std::int32_t LOGPIXELSX = 88;
inline constexpr std::int32_t LOGPIXELSY = 90;
inline constexpr std::int32_t PHYSICALWIDTH = 110;
inline constexpr std::int32_t PHYSICALHEIGHT = 111;
inline constexpr std::int32_t PHYSICALOFFSETX = 112;
inline constexpr std::int32_t PHYSICALOFFSETY = 113;

// 0 for an unknown device context or index.
std::int32_t GetDeviceCaps(Handle hdc, std::int32_t index);

// ---- Messages ----

inline constexpr std::uint32_t EM_FORMATRANGE = 0x0439;

struct RECT {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

struct CHARRANGE {
    std::int32_t cpMin;
    std::int32_t cpMax;
};

struct FORMATRANGE {
    Handle hdc;
    Handle hdcTarget;
    RECT rc;
    RECT rcPage;
    CHARRANGE chrg;
};
static_assert(sizeof(FORMATRANGE) == 48, "FORMATRANGE holds twelve 32-bit fields");

// Delivers a message to the window's procedure and returns its answer; 0 for an unknown window.
// lParam is either 0 or the address of the message's record.
std::int32_t SendMessageA(Handle hWnd, std::uint32_t message, std::int32_t wParam,
                          std::intptr_t lParam);

} // namespace platform
