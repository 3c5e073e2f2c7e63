#include "gameview/game_view_handlers.h"

#include <string>

#include "gameview/browser_rules.h"
#include "gameview/html_viewer.h"
#include "gameview/html_viewer_schema.h"
#include "shell/form_runtime.h"
#include "shell/form_window.h"
#include "shell/launcher_handlers.h"

namespace gameview {
namespace {

constexpr char kGameView[] = "超文本浏览框1";
// A bare host name from the build configuration; the control resolves it.
constexpr char kOfficialSite[] = LAUNCHER_OFFICIAL_SITE;

shell::ControlUnit* GameView(shell::FormRuntime& runtime) {
    shell::FormWindow* window = runtime.Window(shell::kMainWindowName);
    return window != nullptr ? window->Unit(kGameView) : nullptr;
}

}  // namespace

void RefreshGame(shell::FormRuntime& runtime) { BrowserCommand(GameView(runtime), kRefresh); }

void ReturnToGame(shell::FormRuntime& runtime) { BrowserCommand(GameView(runtime), kGoBack); }

void VisitOfficialSite(shell::FormRuntime& runtime) {
    if (shell::ControlUnit* view = GameView(runtime)) view->SetProperty(kUrl, std::string(kOfficialSite));
}

}  // namespace gameview
