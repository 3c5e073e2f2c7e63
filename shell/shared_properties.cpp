#include "shell/shared_properties.h"

#include <variant>

#include "shell/unit_schema.h"

namespace shell {

void ApplySharedProperty(HWND window, std::size_t number, const StoredProperty& stored) {
    const auto integer = [&stored](std::size_t property) {
        return static_cast<int>(std::get<long long>(stored(property)));
    };
    const auto truth = [&stored](std::size_t property) { return std::get<bool>(stored(property)); };
    switch (number) {
    case kLeft:
    case kTop:
    case kWidth:
    case kHeight:
        MoveWindow(window, integer(kLeft), integer(kTop), integer(kWidth), integer(kHeight), TRUE);
        break;
    case kVisible: ShowWindow(window, truth(kVisible) ? SW_SHOWNA : SW_HIDE); break;
    case kDisabled: EnableWindow(window, truth(kDisabled) ? FALSE : TRUE); break;
    default: break;
    }
}

}  // namespace shell
