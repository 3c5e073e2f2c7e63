#include "tray/tray_handlers.h"

#include "shell/form_runtime.h"
#include "shell/form_window.h"
#include "shell/gbk_text.h"
#include "shell/icon_from_file.h"
#include "shell/launcher_handlers.h"
#include "tray/tray_menu.h"

namespace tray {
namespace {

constexpr char kTrayMenu[] = "TrayMenu";
constexpr char kTrayTooltipUtf8[] = "欢迎使用Orbel音乐组件，享受音乐，我们快乐，点击左键";
constexpr wchar_t kTrayIconResource[] = L"LAUNCHER_ICON";

shell::FormWindow* MainWindow(shell::FormRuntime& runtime) { return runtime.Window(shell::kMainWindowName); }

}  // namespace

void HideToTray(shell::FormRuntime& runtime) {
    shell::FormWindow* window = MainWindow(runtime);
    if (window == nullptr) return;
    window->SetVisible(false);
    const shell::ByteView iconFile = shell::ResourceBytes(runtime.Instance(), kTrayIconResource, MAKEINTRESOURCEW(10));
    const std::string tooltip = shell::GbkFromUtf8(kTrayTooltipUtf8).value_or(std::string());
    // Hidden without an icon there would be no way back short of killing the process.
    if (!window->Tray().Set(window->Handle(), iconFile, &tooltip)) window->SetVisible(true);
}

void ShowTrayMenu(shell::FormRuntime& runtime) {
    if (shell::FormWindow* window = MainWindow(runtime)) PopupTrayMenu(*window, kTrayMenu);
}

void RestoreWindow(shell::FormRuntime& runtime) {
    if (shell::FormWindow* window = MainWindow(runtime)) window->SetVisible(true);
}

void ExitLauncher(shell::FormRuntime& runtime) {
    if (shell::FormWindow* window = MainWindow(runtime)) window->RequestDestroy();
}

}  // namespace tray
