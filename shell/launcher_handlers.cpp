#include "shell/launcher_handlers.h"

#include "shell/form_runtime.h"
#include "shell/form_window.h"
#include "shell/window_transparency.h"
#include "gameview/game_view_handlers.h"
#include "memtrim/trim_working_set.h"
#include "tray/tray_handlers.h"

namespace shell {

void MakeTranslucent(FormRuntime& runtime) {
    if (FormWindow* window = runtime.Window(kMainWindowName)) SetWindowTransparency(window->Handle(), 250);
}

HandlerTable LauncherHandlers(FormRuntime& runtime) {
    HandlerTable handlers;
    handlers.Add("MakeTranslucent", [&runtime](const EventArgs&) { MakeTranslucent(runtime); });
    // The tray event's kind does not matter: every kind opens the same menu.
    handlers.Add("ShowTrayMenu", [&runtime](const EventArgs&) { tray::ShowTrayMenu(runtime); });
    handlers.Add("HideToTray", [&runtime](const EventArgs&) { tray::HideToTray(runtime); });
    handlers.Add("RestoreWindow", [&runtime](const EventArgs&) { tray::RestoreWindow(runtime); });
    handlers.Add("ExitLauncher", [&runtime](const EventArgs&) { tray::ExitLauncher(runtime); });
    handlers.Add("TrimWorkingSet", [](const EventArgs&) { memtrim::TrimWorkingSet(); });
    handlers.Add("RefreshGame", [&runtime](const EventArgs&) { gameview::RefreshGame(runtime); });
    handlers.Add("ReturnToGame", [&runtime](const EventArgs&) { gameview::ReturnToGame(runtime); });
    handlers.Add("VisitOfficialSite", [&runtime](const EventArgs&) { gameview::VisitOfficialSite(runtime); });
    return handlers;
}

}  // namespace shell
