// The launcher's own routines, bound by name from the form description.
#pragma once

#include "shell/form_model.h"

namespace shell {

class FormRuntime;

inline constexpr char kMainWindowName[] = "MainWindow";

// Every routine the form description may name, each bound to the runtime.
HandlerTable LauncherHandlers(FormRuntime& runtime);

// Created event of MainWindow: translucent from its first frame on.
void MakeTranslucent(FormRuntime& runtime);

}  // namespace shell
