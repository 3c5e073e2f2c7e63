#include "shell/gbk_text.h"

#include <windows.h>

namespace shell {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring WideFrom(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed);
    return wide;
}

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) { return WideFrom(kGbkCodePage, 0, gbk); }

std::wstring WideFromUtf8(std::string_view utf8) { return WideFrom(CP_UTF8, 0, utf8); }

std::optional<std::string> GbkFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return std::string();
    const std::wstring wide = WideFrom(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    if (wide.empty()) return std::nullopt;
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int needed = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, nullptr, 0, nullptr, &lossy);
    if (needed <= 0 || lossy) return std::nullopt;
    std::string gbk(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, gbk.data(), needed, nullptr, nullptr);
    return gbk;
}

}  // namespace shell
