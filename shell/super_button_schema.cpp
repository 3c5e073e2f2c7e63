#include "shell/super_button_schema.h"

namespace shell {

const UnitKindSchema& SuperButtonSchema() {
    constexpr long long kDefault = 0xFF000000LL;
    static const UnitKindSchema schema{
        "SuperBtn",
        WithGenericProperties({
            {"按钮风格", "BtnStyle", PropertyType::Choice, 2LL, 3},
            {"选择框方式", "CheckBox", PropertyType::Truth, false},
            {"选中", "Checked", PropertyType::Truth, false},
            {"对齐方式", "AlignStyle", PropertyType::Choice, 0LL, 4},
            {"压入方式", "PressStyle", PropertyType::Choice, 0LL, 2},
            {"绘制边框", "DrawBorder", PropertyType::Truth, true},
            {"绘制焦点", "DrawFocus", PropertyType::Truth, false},
            {"通常图片", "PicOut", PropertyType::Bytes, std::string()},
            {"通常图片透明色", "TransColorOut", PropertyType::Colour, kDefault},
            {"点燃图片", "PicIn", PropertyType::Bytes, std::string()},
            {"点燃图片透明色", "TransColorIn", PropertyType::Colour, kDefault},
            {"禁止图片", "PicDisabled", PropertyType::Bytes, std::string()},
            {"禁止图片透明色", "TransColorDisabled", PropertyType::Colour, kDefault},
            {"字体", "font", PropertyType::Bytes, std::string()},
            {"标题", "caption", PropertyType::Text, std::string()},
            {"使用默认色", "DefaultColor", PropertyType::Truth, false},
            {"通常前景色", "FgColorOut", PropertyType::Colour, 0LL},
            {"通常背景色", "BkColorOut", PropertyType::Colour, kDefault},
            {"点燃前景色", "FgColorIn", PropertyType::Colour, 0LL},
            {"点燃背景色", "BkColorIn", PropertyType::Colour, kDefault},
            {"焦点前景色", "FgColorFocus", PropertyType::Colour, 0LL},
            {"焦点背景色", "BkColorFocus", PropertyType::Colour, kDefault},
            {"标准音提示", "StandardSound", PropertyType::Truth, false},
            {"经过提示音", "OverSound", PropertyType::Bytes, std::string()},
            {"单击提示音", "ClickSound", PropertyType::Bytes, std::string()},
            {"提示文本", "ToolTip", PropertyType::Text, std::string()},
            {"默认类型", "DefaultStyle", PropertyType::Choice, 0LL, 2},
        }),
        {"被单击"},
    };
    return schema;
}

}  // namespace shell
