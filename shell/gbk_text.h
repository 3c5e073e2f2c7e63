// Texts live as GBK bytes; the screen gets them through the wide functions
// after an explicit code page 936 conversion, so captions read right on any
// system locale, not only on a Chinese one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shell {

std::wstring WideFromGbk(std::string_view gbk);

// For texts stored as UTF-8 in the form description; nothing when a
// character has no GBK form.
std::optional<std::string> GbkFromUtf8(std::string_view utf8);

// For messages the runtime composes itself.
std::wstring WideFromUtf8(std::string_view utf8);

}  // namespace shell
