#include "shell/unit_schema.h"

namespace shell {

std::optional<std::size_t> UnitKindSchema::FindProperty(std::string_view name) const {
    for (std::size_t i = 0; i < properties.size(); ++i) {
        if (properties[i].name == name || properties[i].englishName == name) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> UnitKindSchema::FindEvent(std::string_view name) const {
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i] == name) return i;
    }
    return std::nullopt;
}

std::vector<PropertySpec> WithGenericProperties(std::vector<PropertySpec> own) {
    std::vector<PropertySpec> all = {
        {"左边", "left", PropertyType::Integer, 0LL},
        {"顶边", "top", PropertyType::Integer, 0LL},
        {"宽度", "width", PropertyType::Integer, 0LL},
        {"高度", "height", PropertyType::Integer, 0LL},
        {"标记", "tag", PropertyType::Text, std::string()},
        {"可视", "visible", PropertyType::Truth, true},
        {"禁止", "disable", PropertyType::Truth, false},
        {"鼠标指针", "MousePointer", PropertyType::Integer, 0LL},
    };
    all.insert(all.end(), own.begin(), own.end());
    return all;
}

bool Accepts(const PropertySpec& spec, const PropertyValue& value) {
    switch (spec.type) {
    case PropertyType::Integer: return std::holds_alternative<long long>(value);
    case PropertyType::Truth: return std::holds_alternative<bool>(value);
    case PropertyType::Text:
    case PropertyType::Bytes: return std::holds_alternative<std::string>(value);
    case PropertyType::Colour: {
        const auto* number = std::get_if<long long>(&value);
        return number != nullptr && *number >= 0 && *number <= 0xFFFFFFFFLL;
    }
    case PropertyType::Choice: {
        const auto* number = std::get_if<long long>(&value);
        return number != nullptr && *number >= 0 && *number < spec.choices;
    }
    }
    return false;
}

const UnitKindSchema& WindowSchema() {
    static const UnitKindSchema schema{
        "window",
        WithGenericProperties({
            {"标题", "caption", PropertyType::Text, std::string()},
            {"边框", "border", PropertyType::Choice, kBorderSizable, 3},
            {"控制钮", "ControlBox", PropertyType::Truth, true},
            {"最大化按钮", "MaxButton", PropertyType::Truth, true},
            {"最小化按钮", "MinButton", PropertyType::Truth, true},
            {"位置", "position", PropertyType::Choice, 0LL, 2},
            {"Esc键关闭", "EscCloses", PropertyType::Truth, false},
            {"总在最前", "TopMost", PropertyType::Truth, false},
            {"图标", "icon", PropertyType::Text, std::string()},
        }),
        {"Created", "TrayEvent", "Moved", "Resized", "Destroying"},
    };
    return schema;
}

const UnitKindSchema& MenuSchema() {
    static const UnitKindSchema schema{
        "menu",
        {
            {"标题", "caption", PropertyType::Text, std::string()},
            {"级别", "level", PropertyType::Integer, 0LL},
            {"可视", "visible", PropertyType::Truth, true},
            {"禁止", "disable", PropertyType::Truth, false},
            {"选中", "checked", PropertyType::Truth, false},
        },
        {"被选择"},
    };
    return schema;
}

}  // namespace shell
