#include "shell/form_description.h"

#include <cerrno>
#include <cstdlib>
#include <set>

namespace shell {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Drops a trailing "# comment" that is preceded by a blank or starts the text.
std::string_view StripComment(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && (i == 0 || IsBlank(text[i - 1]))) return TrimBlanks(text.substr(0, i));
    }
    return TrimBlanks(text);
}

bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= 'a' && byte <= 'z') || byte == '_' || byte == '-' || byte == '.';
}

bool IsWord(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsWordByte(c)) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    explicit Parser(std::string_view text) : rest_(text) {}

    FormParseResult Run() {
        while (NextLine()) {
            if (!ParseLine()) return Failure();
        }
        if (!sawWindow_) return Fail(0, "the description has no window section"), Failure();
        FormParseResult result;
        result.description = std::move(description_);
        return result;
    }

private:
    bool NextLine() {
        if (rest_.empty()) return false;
        const auto end = rest_.find('\n');
        line_ = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
        ++lineNumber_;
        return true;
    }

    bool ParseLine() {
        const std::string_view content = TrimBlanks(line_);
        if (content.empty() || content.front() == '#') return true;
        if (line_.find('\0') != std::string_view::npos) return Fail("a zero byte is not allowed");
        if (IsBlank(line_.front())) return ParseIndented(content);
        return ParseSectionHeader(StripComment(content));
    }

    bool ParseSectionHeader(std::string_view header) {
        const auto space = header.find_first_of(" \t");
        const std::string_view keyword = header.substr(0, space);
        std::string_view rest = space == std::string_view::npos ? std::string_view() : TrimBlanks(header.substr(space));

        UnitEntry entry;
        entry.line = lineNumber_;
        if (keyword == "window") {
            entry.section = SectionKind::Window;
        } else if (keyword == "control") {
            entry.section = SectionKind::Control;
        } else if (keyword == "menu") {
            entry.section = SectionKind::Menu;
        } else {
            return Fail("unknown section keyword '" + std::string(keyword) + "' (expected window, control or menu)");
        }

        const auto colon = rest.find(':');
        const std::string_view name = TrimBlanks(rest.substr(0, colon));
        if (!IsWord(name)) return Fail("a " + std::string(keyword) + " section needs a name");
        entry.name = std::string(name);
        if (entry.section == SectionKind::Control) {
            if (colon == std::string_view::npos) return Fail("control '" + entry.name + "' needs a kind: control NAME : KIND");
            const std::string_view kind = TrimBlanks(rest.substr(colon + 1));
            if (!IsWord(kind)) return Fail("control '" + entry.name + "' has no valid kind after ':'");
            entry.kind = std::string(kind);
        } else if (colon != std::string_view::npos) {
            return Fail("only a control section takes a kind");
        }

        if (!names_.insert(entry.name).second) return Fail("the name '" + entry.name + "' is used twice");
        if (entry.section == SectionKind::Window) {
            if (sawWindow_) return Fail("a description holds exactly one window section");
            sawWindow_ = true;
            description_.window = std::move(entry);
            current_ = &description_.window;
        } else {
            if (!sawWindow_) return Fail("the window section must come first");
            description_.units.push_back(std::move(entry));
            current_ = &description_.units.back();
        }
        return true;
    }

    bool ParseIndented(std::string_view content) {
        if (current_ == nullptr) return Fail("a setting outside any section");
        const auto equals = content.find('=');
        if (equals == std::string_view::npos) return Fail("expected 'key = value'");
        const std::string_view left = TrimBlanks(content.substr(0, equals));
        const std::string_view right = TrimBlanks(content.substr(equals + 1));

        const bool binding = left == "on" || left.substr(0, 3) == "on " || left.substr(0, 3) == "on\t";
        if (binding) return ParseBinding(TrimBlanks(left.substr(2)), right);
        if (!IsWord(left)) return Fail("'" + std::string(left) + "' is not a valid key");
        if (current_->Find(left) != nullptr) return Fail("the key '" + std::string(left) + "' is set twice");

        Setting setting;
        setting.key = std::string(left);
        setting.line = lineNumber_;
        if (!ParseValue(right, setting.value)) return false;
        current_->settings.push_back(std::move(setting));
        return true;
    }

    bool ParseBinding(std::string_view event, std::string_view handler) {
        handler = StripComment(handler);
        if (!IsWord(event)) return Fail("'on' needs an event name");
        if (!IsWord(handler)) return Fail("the event '" + std::string(event) + "' needs a handler name");
        for (const EventBinding& existing : current_->bindings) {
            if (existing.event == event) return Fail("the event '" + std::string(event) + "' is bound twice");
        }
        current_->bindings.push_back({std::string(event), std::string(handler), lineNumber_});
        return true;
    }

    bool ParseValue(std::string_view text, SettingValue& value) {
        if (!text.empty() && text.front() == '"') return ParseQuoted(text, value);
        text = StripComment(text);
        if (text.empty()) return Fail("a value is missing after '='");
        if (text == "yes" || text == "no") {
            value = text == "yes";
            return true;
        }
        const bool looksNumeric = (text.front() >= '0' && text.front() <= '9') || text.front() == '-';
        if (looksNumeric) return ParseInteger(text, value);
        if (!IsWord(text)) return Fail("'" + std::string(text) + "' is not a value (quote texts)");
        value = Word{std::string(text)};
        return true;
    }

    bool ParseInteger(std::string_view text, SettingValue& value) {
        const std::string digits(text);
        const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
        errno = 0;
        char* end = nullptr;
        const long long number = std::strtoll(digits.c_str(), &end, hex ? 16 : 10);
        if (end != digits.c_str() + digits.size() || digits == "-") return Fail("'" + digits + "' is not a number");
        if (errno == ERANGE) return Fail("the number '" + digits + "' is out of range");
        value = number;
        return true;
    }

    bool ParseQuoted(std::string_view text, SettingValue& value) {
        std::string out;
        std::size_t i = 1;
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] != '\\') {
                out += text[i];
                continue;
            }
            if (++i >= text.size()) break;
            switch (text[i]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'x': {
                const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                if (high < 0 || low < 0) return Fail("'\\x' needs two hex digits");
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return Fail(std::string("unknown escape '\\") + text[i] + "'");
            }
        }
        if (i >= text.size()) return Fail("the text has no closing quote");
        if (!StripComment(text.substr(i + 1)).empty()) return Fail("unexpected characters after the closing quote");
        value = std::move(out);
        return true;
    }

    bool Fail(std::string message) { return Fail(lineNumber_, std::move(message)); }

    bool Fail(int line, std::string message) {
        error_ = {line, std::move(message)};
        return false;
    }

    FormParseResult Failure() const {
        FormParseResult result;
        result.error = error_;
        return result;
    }

    std::string_view rest_;
    std::string_view line_;
    int lineNumber_ = 0;
    FormDescription description_;
    UnitEntry* current_ = nullptr;
    bool sawWindow_ = false;
    std::set<std::string, std::less<>> names_;
    FormError error_;
};

}  // namespace

const Setting* UnitEntry::Find(std::string_view key) const {
    for (const Setting& setting : settings) {
        if (setting.key == key) return &setting;
    }
    return nullptr;
}

FormParseResult ParseFormDescription(std::string_view text) { return Parser(text).Run(); }

std::string Describe(const FormError& error) {
    if (error.line <= 0) return error.message;
    return "line " + std::to_string(error.line) + ": " + error.message;
}

}  // namespace shell
