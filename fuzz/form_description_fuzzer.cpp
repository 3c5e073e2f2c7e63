// The form-description reader over arbitrary text, then, for what it accepts,
// the form model reader with the launcher's unit kinds and routines.
//
// Properties: an error names a line of the text (or none only when the window
// section is missing); an accepted description keeps its sections in order
// with unique names and keys, and writing it out again reads back the same;
// the model has every property typed as its kind says, the stored values, and
// each binding runs the routine it names. A converter that rejects texts only
// adds failures, exactly for the texts it rejects.
#include "gameview/html_viewer_schema.h"
#include "shell/form_description.h"
#include "shell/form_model.h"
#include "shell/super_button_schema.h"

#include "fuzz/fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using shell::EventBinding;
using shell::FormDescription;
using shell::SectionKind;
using shell::Setting;
using shell::SettingValue;
using shell::UnitEntry;

int LineCount(std::string_view text) {
    int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    if (!text.empty() && text.back() != '\n') ++lines;
    return lines;
}

void CheckError(const shell::FormError& error, int lines, bool lineRequired) {
    FUZZ_CHECK(!error.message.empty());
    FUZZ_CHECK(error.line >= (lineRequired ? 1 : 0) && error.line <= lines);
    const std::string described = shell::Describe(error);
    if (error.line == 0) {
        FUZZ_CHECK(described == error.message);
    } else {
        FUZZ_CHECK(described == "line " + std::to_string(error.line) + ": " + error.message);
    }
}

bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c == '-' || c == '.';
}

bool IsWord(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsWordByte); }

void CheckEntry(const UnitEntry& entry, int firstLine, int endLine) {
    FUZZ_CHECK(IsWord(entry.name));
    FUZZ_CHECK(entry.line >= firstLine && entry.line < endLine);
    FUZZ_CHECK(entry.section == SectionKind::Control ? IsWord(entry.kind) : entry.kind.empty());
    std::set<std::string> keys;
    for (const Setting& setting : entry.settings) {
        FUZZ_CHECK(IsWord(setting.key) && setting.key != "on");
        FUZZ_CHECK(keys.insert(setting.key).second);
        FUZZ_CHECK(setting.line > entry.line && setting.line < endLine);
        FUZZ_CHECK(entry.Find(setting.key) == &setting);
        if (const auto* word = std::get_if<shell::Word>(&setting.value)) FUZZ_CHECK(IsWord(word->text));
    }
    std::set<std::string> events;
    for (const EventBinding& binding : entry.bindings) {
        FUZZ_CHECK(IsWord(binding.event) && IsWord(binding.handler));
        FUZZ_CHECK(events.insert(binding.event).second);
        FUZZ_CHECK(binding.line > entry.line && binding.line < endLine);
    }
}

void CheckDescription(const FormDescription& description, int lines) {
    FUZZ_CHECK(description.window.section == SectionKind::Window);
    std::set<std::string> names{description.window.name};
    const int firstUnitLine = description.units.empty() ? lines + 1 : description.units.front().line;
    CheckEntry(description.window, 1, firstUnitLine);
    for (std::size_t i = 0; i < description.units.size(); ++i) {
        const UnitEntry& unit = description.units[i];
        FUZZ_CHECK(unit.section != SectionKind::Window);
        FUZZ_CHECK(names.insert(unit.name).second);
        const int endLine = i + 1 < description.units.size() ? description.units[i + 1].line : lines + 1;
        CheckEntry(unit, description.window.line + 1, endLine);
    }
}

// Writing a description out in the stored format.
std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string ValueText(const SettingValue& value) {
    if (const auto* number = std::get_if<long long>(&value)) return std::to_string(*number);
    if (const auto* truth = std::get_if<bool>(&value)) return *truth ? "yes" : "no";
    if (const auto* text = std::get_if<std::string>(&value)) return Quote(*text);
    return std::get<shell::Word>(value).text;
}

void Write(const UnitEntry& entry, std::string& out) {
    switch (entry.section) {
    case SectionKind::Window: out += "window " + entry.name; break;
    case SectionKind::Control: out += "control " + entry.name + " : " + entry.kind; break;
    case SectionKind::Menu: out += "menu " + entry.name; break;
    }
    out += '\n';
    for (const Setting& setting : entry.settings) out += "    " + setting.key + " = " + ValueText(setting.value) + '\n';
    for (const EventBinding& binding : entry.bindings) out += "    on " + binding.event + " = " + binding.handler + '\n';
}

std::string Write(const FormDescription& description) {
    std::string out;
    Write(description.window, out);
    for (const UnitEntry& unit : description.units) Write(unit, out);
    return out;
}

// Equal apart from line numbers.
bool SameEntry(const UnitEntry& a, const UnitEntry& b) {
    if (a.section != b.section || a.name != b.name || a.kind != b.kind) return false;
    if (a.settings.size() != b.settings.size() || a.bindings.size() != b.bindings.size()) return false;
    for (std::size_t i = 0; i < a.settings.size(); ++i) {
        if (a.settings[i].key != b.settings[i].key || !(a.settings[i].value == b.settings[i].value)) return false;
    }
    for (std::size_t i = 0; i < a.bindings.size(); ++i) {
        if (a.bindings[i].event != b.bindings[i].event || a.bindings[i].handler != b.bindings[i].handler) return false;
    }
    return true;
}

bool SameDescription(const FormDescription& a, const FormDescription& b) {
    if (!SameEntry(a.window, b.window) || a.units.size() != b.units.size()) return false;
    for (std::size_t i = 0; i < a.units.size(); ++i) {
        if (!SameEntry(a.units[i], b.units[i])) return false;
    }
    return true;
}

// The routines: each records its own name when raised. One name is known
// but has no routine yet.
constexpr const char* kRoutines[] = {"MakeTranslucent", "ShowTrayMenu",   "RestoreWindow",
                                     "ExitLauncher",    "HideToTray",     "TrimWorkingSet",
                                     "RefreshGame",     "ReturnToGame",   "VisitOfficialSite"};
constexpr const char* kUnbuiltRoutine = "NotBuiltYet";

const std::vector<const shell::UnitKindSchema*>& ControlKinds() {
    static const std::vector<const shell::UnitKindSchema*> kinds = {&shell::SuperButtonSchema(),
                                                                    &gameview::HtmlViewerSchema()};
    return kinds;
}

bool IsTabSetting(const UnitEntry& entry, const Setting& setting) {
    return entry.section == SectionKind::Control && (setting.key == "TabStop" || setting.key == "TabIndex");
}

bool HasHighByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Whether the entry stores a text property with a byte the rejecting converter refuses.
bool HasRejectedText(const UnitEntry& entry, const shell::UnitKindSchema& schema) {
    for (const Setting& setting : entry.settings) {
        if (IsTabSetting(entry, setting)) continue;
        const auto index = schema.FindProperty(setting.key);
        if (!index || schema.properties[*index].type != shell::PropertyType::Text) continue;
        if (HasHighByte(std::get<std::string>(setting.value))) return true;
    }
    return false;
}

void CheckUnit(const UnitEntry& entry, const shell::UnitModel& unit, const shell::UnitKindSchema& schema,
               std::string& ran) {
    FUZZ_CHECK(unit.section == entry.section && unit.name == entry.name && unit.schema == &schema);
    FUZZ_CHECK(unit.properties.size() == schema.properties.size());
    FUZZ_CHECK(unit.events.size() == schema.events.size());
    for (std::size_t i = 0; i < schema.properties.size(); ++i) {
        FUZZ_CHECK(shell::Accepts(schema.properties[i], unit.properties[i]));
    }

    bool tabStop = entry.section == SectionKind::Control;
    long long tabIndex = 0;
    for (const Setting& setting : entry.settings) {
        if (IsTabSetting(entry, setting)) {
            if (setting.key == "TabStop") tabStop = std::get<bool>(setting.value);
            if (setting.key == "TabIndex") tabIndex = std::get<long long>(setting.value);
            continue;
        }
        const auto index = schema.FindProperty(setting.key);
        FUZZ_CHECK(index.has_value());
        // A property may be set twice under its two names; the later one holds.
        const auto later = std::find_if(entry.settings.rbegin(), entry.settings.rend(), [&](const Setting& other) {
            return !IsTabSetting(entry, other) && schema.FindProperty(other.key) == index;
        });
        if (&*later != &setting) continue;
        const shell::PropertyValue& stored = unit.properties[*index];
        if (const auto* number = std::get_if<long long>(&setting.value)) {
            FUZZ_CHECK(std::get<long long>(stored) == *number);
        } else if (const auto* truth = std::get_if<bool>(&setting.value)) {
            FUZZ_CHECK(std::get<bool>(stored) == *truth);
        } else {
            FUZZ_CHECK(std::get<std::string>(stored) == std::get<std::string>(setting.value));
        }
    }
    FUZZ_CHECK(unit.tabStop == tabStop && unit.tabIndex == tabIndex);

    for (const EventBinding& binding : entry.bindings) {
        const auto event = schema.FindEvent(binding.event);
        FUZZ_CHECK(event.has_value());
        ran.clear();
        unit.Raise(*event);
        FUZZ_CHECK(ran == (binding.handler == kUnbuiltRoutine ? std::string() : binding.handler));
    }
}

void CheckModel(const FormDescription& description, int lines) {
    std::string ran;
    shell::HandlerTable handlers;
    for (const char* name : kRoutines) {
        handlers.Add(name, [&ran, name](const shell::EventArgs&) { ran = name; });
    }
    handlers.Add(kUnbuiltRoutine, nullptr);

    const shell::TextConverter keep = [](std::string_view text) { return std::optional<std::string>(text); };
    const shell::TextConverter asciiOnly = [](std::string_view text) -> std::optional<std::string> {
        if (HasHighByte(text)) return std::nullopt;
        return std::string(text);
    };

    const shell::FormModelResult kept = shell::ReadFormModel(description, ControlKinds(), handlers, keep);
    const shell::FormModelResult ascii = shell::ReadFormModel(description, ControlKinds(), handlers, asciiOnly);
    if (!kept.model) {
        CheckError(kept.error, lines, true);
        FUZZ_CHECK(!ascii.model);
        CheckError(ascii.error, lines, true);
        return;
    }

    const shell::FormModel& model = *kept.model;
    FUZZ_CHECK(model.units.size() == description.units.size());
    CheckUnit(description.window, model.window, shell::WindowSchema(), ran);
    bool rejected = HasRejectedText(description.window, shell::WindowSchema());
    for (std::size_t i = 0; i < description.units.size(); ++i) {
        const UnitEntry& entry = description.units[i];
        const shell::UnitKindSchema* schema = model.units[i].schema;
        FUZZ_CHECK(schema != nullptr);
        if (entry.section == SectionKind::Menu) {
            FUZZ_CHECK(schema == &shell::MenuSchema());
        } else {
            FUZZ_CHECK(schema->kind == entry.kind);
        }
        CheckUnit(entry, model.units[i], *schema, ran);
        rejected = rejected || HasRejectedText(entry, *schema);
    }

    FUZZ_CHECK(ascii.model.has_value() == !rejected);
    if (!ascii.model) {
        CheckError(ascii.error, lines, true);
        FUZZ_CHECK(ascii.error.message.find("cannot be stored as GBK") != std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int lines = LineCount(text);
    const shell::FormParseResult parsed = shell::ParseFormDescription(text);
    if (!parsed.description) {
        CheckError(parsed.error, lines, false);
        return 0;
    }
    CheckDescription(*parsed.description, lines);

    const std::string written = Write(*parsed.description);
    const shell::FormParseResult again = shell::ParseFormDescription(written);
    FUZZ_CHECK(again.description.has_value());
    FUZZ_CHECK(SameDescription(*parsed.description, *again.description));

    CheckModel(*parsed.description, lines);
    return 0;
}
