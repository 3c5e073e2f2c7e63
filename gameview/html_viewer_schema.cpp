#include "gameview/html_viewer_schema.h"

#include <string>

namespace gameview {

const shell::UnitKindSchema& HtmlViewerSchema() {
    using shell::PropertyType;
    static const shell::UnitKindSchema schema{
        "HtmlViewer",
        shell::WithGenericProperties({
            {"字体大小", "FontSize", PropertyType::Integer, 2LL},  // 最小, 较小, 中等, 较大, 最大
            {"离线浏览", "Offline", PropertyType::Truth, false},
            {"静默", "Silent", PropertyType::Truth, false},
            {"地址", "url", PropertyType::Text, std::string()},
            {"状态条文本", "StatusText", PropertyType::Text, std::string()},
            {"标题", "title", PropertyType::Text, std::string()},
        }),
        {"即将跳转", "跳转完毕", "载入开始", "载入进度改变", "载入完毕", "已就绪", "状态文本被改变", "标题被改变",
         "命令状态被改变", "即将打开新窗口"},
    };
    return schema;
}

}  // namespace gameview
