#include "shell/launcher_handlers.h"

#include "shell/form_runtime.h"
#include "shell/form_window.h"
#include "shell/window_transparency.h"

namespace shell {

void MakeTranslucent(FormRuntime& runtime) {
    if (FormWindow* window = runtime.Window(kMainWindowName)) SetWindowTransparency(window->Handle(), 250);
}

HandlerTable LauncherHandlers(FormRuntime& runtime) {
    HandlerTable handlers;
    handlers.Add("MakeTranslucent", [&runtime](const EventArgs&) { MakeTranslucent(runtime); });
    // Named in the form description; their routines come with the game view and the tray.
    for (const char* name : {"ShowTrayMenu", "RestoreWindow", "ExitLauncher", "HideToTray", "TrimWorkingSet",
                             "RefreshGame", "ReturnToGame", "VisitOfficialSite"}) {
        handlers.Add(name, nullptr);
    }
    return handlers;
}

}  // namespace shell
