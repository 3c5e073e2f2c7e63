// The class and interface identifiers the game view asks for or answers to.
// They are written out here instead of coming from __uuidof or an import
// library's symbols, so the MinGW and the MSVC build compile the same code.
#pragma once

#include <windows.h>

namespace gameview {

// The identifiers of OLE's own interfaces differ only in their first field.
constexpr IID OleInterface(unsigned long first) {
    return {first, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

inline constexpr CLSID kClsidWebBrowser = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

inline constexpr IID kIidUnknown = OleInterface(0x00000000);
inline constexpr IID kIidDispatch = OleInterface(0x00020400);
inline constexpr IID kIidOleObject = OleInterface(0x00000112);
inline constexpr IID kIidOleInPlaceObject = OleInterface(0x00000113);
inline constexpr IID kIidOleWindow = OleInterface(0x00000114);
inline constexpr IID kIidOleInPlaceUIWindow = OleInterface(0x00000115);
inline constexpr IID kIidOleInPlaceFrame = OleInterface(0x00000116);
inline constexpr IID kIidOleClientSite = OleInterface(0x00000118);
inline constexpr IID kIidOleInPlaceSite = OleInterface(0x00000119);
inline constexpr IID kIidConnectionPointContainer = {
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID kIidOleCommandTarget = {
    0xB722BCCB, 0x4E68, 0x101B, {0xA2, 0xBC, 0x00, 0xAA, 0x00, 0x40, 0x47, 0x70}};
inline constexpr IID kIidWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
// The dispatch interface the control raises its notifications through.
inline constexpr IID kDiidWebBrowserEvents2 = {
    0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

}  // namespace gameview
