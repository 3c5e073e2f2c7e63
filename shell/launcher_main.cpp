// The process entry: the form runtime initialises, then the launcher's
// start-up routine notifies the development host, loads MainWindow and runs
// the event loop. A fatal error is reported once, here, and ends with -1.
#include <windows.h>

#include "gameview/html_viewer.h"
#include "gameview/html_viewer_schema.h"
#include "shell/form_runtime.h"
#include "shell/form_window.h"
#include "shell/launcher_handlers.h"
#include "shell/notify_development_host.h"
#include "shell/super_button.h"
#include "shell/super_button_schema.h"

namespace {

constexpr int kFatalExitCode = -1;

std::vector<shell::ControlKind> LauncherControlKinds() {
    return {{&shell::SuperButtonSchema(), &shell::SuperButton::Create},
            {&gameview::HtmlViewerSchema(), &gameview::HtmlViewer::Create}};
}

int RunLauncher(HINSTANCE instance) {
    shell::FormRuntime runtime(instance, LauncherControlKinds());
    std::string error;
    if (!runtime.Initialise(shell::LauncherHandlers(runtime), error)) {
        runtime.ReportFatal(error);
        return kFatalExitCode;
    }
    shell::NotifyDevelopmentHost(runtime);
    if (runtime.LoadWindow(shell::kMainWindowName, error) == nullptr) {
        runtime.ReportFatal(error);
        return kFatalExitCode;
    }
    return runtime.RunEventLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        return RunLauncher(instance);
    } catch (const std::bad_alloc&) {
        MessageBoxW(nullptr, L"out of memory", L"运行错误", MB_OK | MB_ICONERROR);
        return kFatalExitCode;
    }
}
