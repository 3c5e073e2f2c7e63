// The numbered properties of each unit kind: their names (Chinese and
// English), value types and defaults. The form reader checks stored settings
// against a kind's table, and the runtime reads and writes properties by
// number through it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace shell {

enum class PropertyType {
    Integer,
    Truth,
    Text,    // GBK at run time
    Bytes,   // raw bytes (pictures, sounds, a logical-font record); stored as escaped text
    Colour,  // 0x00BBGGRR, or 0xFF000000 for the default background
    Choice,  // 0 .. choices-1
};

using PropertyValue = std::variant<long long, bool, std::string>;

struct PropertySpec {
    std::string_view name;         // e.g. "可视"
    std::string_view englishName;  // e.g. "visible"
    PropertyType type = PropertyType::Integer;
    PropertyValue defaultValue;
    int choices = 0;  // for Choice
};

// The eight properties every window and control unit starts with.
enum GenericProperty : std::size_t {
    kLeft = 0,
    kTop = 1,
    kWidth = 2,
    kHeight = 3,
    kTag = 4,
    kVisible = 5,
    kDisabled = 6,
    kMousePointer = 7,
    kFirstOwnProperty = 8,
};

struct UnitKindSchema {
    std::string_view kind;
    std::vector<PropertySpec> properties;
    std::vector<std::string_view> events;  // event numbers are positions here

    std::optional<std::size_t> FindProperty(std::string_view name) const;
    std::optional<std::size_t> FindEvent(std::string_view name) const;
};

// Generic properties followed by a kind's own ones.
std::vector<PropertySpec> WithGenericProperties(std::vector<PropertySpec> own);

// Whether a value may be stored in a property of the given spec.
bool Accepts(const PropertySpec& spec, const PropertyValue& value);

// The form window and the menu unit, the two kinds the runtime itself has.
const UnitKindSchema& WindowSchema();
const UnitKindSchema& MenuSchema();

// Own properties of the form window.
enum WindowProperty : std::size_t {
    kWindowCaption = kFirstOwnProperty,
    kWindowBorder,       // 0 none, 1 sizable, 2 fixed
    kWindowControlBox,
    kWindowMaxButton,
    kWindowMinButton,
    kWindowPosition,     // 0 as stored, 1 centred on the screen
    kWindowEscCloses,
    kWindowTopMost,
    kWindowIcon,         // name of the icon-file resource; empty for none
};

inline constexpr long long kBorderNone = 0;
inline constexpr long long kBorderSizable = 1;
inline constexpr long long kBorderFixed = 2;

// Properties of a menu unit.
enum MenuProperty : std::size_t {
    kMenuCaption = 0,
    kMenuLevel,
    kMenuVisible,
    kMenuDisabled,
    kMenuChecked,
};

}  // namespace shell
