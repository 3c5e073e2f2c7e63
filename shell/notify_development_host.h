// Tells the development tool that runs this copy (named *.tmp) that the
// launcher has started, by clearing the head of its shared mapping.
#pragma once

namespace shell {

class FormRuntime;

void NotifyDevelopmentHost(FormRuntime& runtime);

}  // namespace shell
