// The launcher's tray routines: park the window in the notification area,
// open the tray menu, bring the window back, end the launcher.
#pragma once

namespace shell {
class FormRuntime;
}

namespace tray {

void HideToTray(shell::FormRuntime& runtime);
void ShowTrayMenu(shell::FormRuntime& runtime);
void RestoreWindow(shell::FormRuntime& runtime);
void ExitLauncher(shell::FormRuntime& runtime);

}  // namespace tray
