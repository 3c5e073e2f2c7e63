// The form runtime: owns the process's GUI thread from initialisation to exit
// processing. It reads the stored form description into its window table,
// loads windows from it, runs the event loop and reports fatal errors.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/control_unit.h"
#include "shell/development_host.h"
#include "shell/form_model.h"
#include "shell/win_handles.h"

namespace shell {

class FormWindow;

class FormRuntime {
public:
    FormRuntime(HINSTANCE instance, std::vector<ControlKind> controlKinds);
    ~FormRuntime();  // exit processing
    FormRuntime(const FormRuntime&) = delete;
    FormRuntime& operator=(const FormRuntime&) = delete;

    // OLE, the executable's folder as current directory, the tool window and
    // the form description. On failure `error` says what went wrong.
    bool Initialise(const HandlerTable& handlers, std::string& error);

    // Builds, announces and shows a window of the table; nothing on failure.
    FormWindow* LoadWindow(std::string_view name, std::string& error);

    // Returns the WM_QUIT value.
    int RunEventLoop();

    // The error box; the caller then ends the process with -1.
    void ReportFatal(std::string_view message) const;

    // For failures deep inside a window procedure, where nothing can unwind.
    [[noreturn]] void FailFatal(std::string_view message) const;

    HINSTANCE Instance() const { return instance_; }
    const ModulePath& Module() const { return module_; }
    FormWindow* Window(std::string_view name) const;
    const ControlKind* KindFor(const UnitKindSchema* schema) const;

    // A routine looked up by name; the module stays loaded until exit.
    FARPROC Procedure(const char* module, const char* name);

    // Called by a window when it is finally gone.
    void OnWindowGone();

private:
    bool AnyWindowAlive() const;
    bool PreTranslate(MSG& message) const;

    struct LibraryDeleter {
        void operator()(HMODULE module) const { FreeLibrary(module); }
    };
    using UniqueLibrary = UniqueHandle<HMODULE, LibraryDeleter>;

    HINSTANCE instance_;
    std::vector<ControlKind> controlKinds_;
    ModulePath module_;
    bool loopRunning_ = false;

    // Declared in the order exit processing releases them in reverse.
    std::unique_ptr<OleInitialisation> ole_;
    UniqueWindow toolWindow_;
    std::map<std::string, UniqueLibrary, std::less<>> libraries_;
    std::unique_ptr<FormModel> form_;
    std::vector<std::unique_ptr<FormWindow>> windows_;
};

}  // namespace shell
