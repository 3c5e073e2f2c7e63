// The launcher's game-view routines, bound to three of the skinned buttons:
// reload the page showing, step back one page in the view's history, open
// the publisher's website in the same view.
#pragma once

namespace shell {
class FormRuntime;
}

namespace gameview {

void RefreshGame(shell::FormRuntime& runtime);
void ReturnToGame(shell::FormRuntime& runtime);
void VisitOfficialSite(shell::FormRuntime& runtime);

}  // namespace gameview
