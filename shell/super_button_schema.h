// The SuperBtn unit kind's 35 numbered properties: the eight generic ones,
// then its own 27 with Chinese and English names.
#pragma once

#include <cstddef>

#include "shell/unit_schema.h"

namespace shell {

enum SuperButtonProperty : std::size_t {
    kBtnStyle = kFirstOwnProperty,  // 8
    kCheckBox,
    kChecked,
    kAlignStyle,
    kPressStyle,
    kDrawBorder,
    kDrawFocus,
    kPicOut,
    kTransColorOut,
    kPicIn,
    kTransColorIn,
    kPicDisabled,
    kTransColorDisabled,
    kFont,
    kCaption,
    kDefaultColor,
    kFgColorOut,
    kBkColorOut,
    kFgColorIn,
    kBkColorIn,
    kFgColorFocus,
    kBkColorFocus,
    kStandardSound,
    kOverSound,
    kClickSound,
    kToolTip,
    kDefaultStyle,  // 34
    kSuperButtonPropertyCount,
};

// Event numbers of the kind.
inline constexpr std::size_t kClickedEvent = 0;

const UnitKindSchema& SuperButtonSchema();

}  // namespace shell
