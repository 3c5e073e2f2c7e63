// The stored form description: a small line-based text format that holds a
// window's settings, its units with their settings, and the event bindings.
//
//   # comment
//   window MainWindow
//       caption = "Korvessa登录器    "
//       width = 1029
//       on Created = MakeTranslucent
//   control 超级按钮5 : SuperBtn
//       left = 976
//       on 被单击 = ReturnToGame
//   menu TrayMenu
//       level = 0
//
// A section starts at the beginning of a line; its settings are indented.
// Values are integers (decimal or 0x hex), yes/no, "quoted text" (with the
// escapes \" \\ \n \t \xNN) or bare words. This file only reads the syntax;
// which keys a section must or may have is the business of the reader of
// each kind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shell {

struct Word {
    std::string text;
    bool operator==(const Word& other) const { return text == other.text; }
};

using SettingValue = std::variant<long long, bool, std::string, Word>;

struct Setting {
    std::string key;
    SettingValue value;
    int line = 0;
};

struct EventBinding {
    std::string event;
    std::string handler;
    int line = 0;
};

enum class SectionKind { Window, Control, Menu };

struct UnitEntry {
    SectionKind section = SectionKind::Window;
    std::string name;
    std::string kind;  // the unit kind of a control; empty otherwise
    std::vector<Setting> settings;
    std::vector<EventBinding> bindings;
    int line = 0;

    const Setting* Find(std::string_view key) const;
};

struct FormDescription {
    UnitEntry window;
    std::vector<UnitEntry> units;  // in stored order
};

struct FormError {
    int line = 0;  // 0 when the error belongs to no line
    std::string message;
};

// Either the description or the first error found.
struct FormParseResult {
    std::optional<FormDescription> description;
    FormError error;
};

FormParseResult ParseFormDescription(std::string_view text);

// "line 12: unknown section keyword 'buton'"
std::string Describe(const FormError& error);

}  // namespace shell
