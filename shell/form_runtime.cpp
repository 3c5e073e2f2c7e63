#include "shell/form_runtime.h"

#include <new>

#include "shell/form_description.h"
#include "shell/form_window.h"
#include "shell/gbk_text.h"
#include "shell/icon_from_file.h"

namespace shell {
namespace {

constexpr wchar_t kToolWindowClass[] = L"KorvRuntimeTool";
constexpr wchar_t kFormResourceType[] = L"FORM";
constexpr wchar_t kFormResourceName[] = L"MAINWINDOW";
constexpr wchar_t kErrorBoxCaption[] = L"运行错误";

std::string ModuleFileName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

}  // namespace

FormRuntime::FormRuntime(HINSTANCE instance, std::vector<ControlKind> controlKinds)
    : instance_(instance), controlKinds_(std::move(controlKinds)) {}

FormRuntime::~FormRuntime() {
    windows_.clear();
    form_.reset();
    libraries_.clear();
    toolWindow_.Reset();
    ole_.reset();
}

bool FormRuntime::Initialise(const HandlerTable& handlers, std::string& error) {
    ole_ = std::make_unique<OleInitialisation>();
    module_ = SplitModulePath(ModuleFileName());
    SetCurrentDirectoryA(module_.folder.c_str());

    WNDCLASSEXW toolClass = {};
    toolClass.cbSize = sizeof(toolClass);
    toolClass.lpfnWndProc = DefWindowProcW;
    toolClass.hInstance = instance_;
    toolClass.lpszClassName = kToolWindowClass;
    RegisterClassExW(&toolClass);
    toolWindow_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kToolWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      instance_, nullptr));
    if (!FormWindow::RegisterWindowClass(instance_)) return error = "cannot register the window class", false;

    const ByteView stored = ResourceBytes(instance_, kFormResourceName, kFormResourceType);
    if (stored.data == nullptr) return error = "the form description is missing from the executable", false;
    const std::string_view text(reinterpret_cast<const char*>(stored.data), stored.size);
    const FormParseResult parsed = ParseFormDescription(text);
    if (!parsed.description) return error = "the form description is malformed: " + Describe(parsed.error), false;

    std::vector<const UnitKindSchema*> schemas;
    for (const ControlKind& kind : controlKinds_) schemas.push_back(kind.schema);
    FormModelResult read = ReadFormModel(*parsed.description, schemas, handlers, GbkFromUtf8);
    if (!read.model) return error = "the form description is malformed: " + Describe(read.error), false;
    form_ = std::make_unique<FormModel>(std::move(*read.model));
    return true;
}

FormWindow* FormRuntime::LoadWindow(std::string_view name, std::string& error) {
    if (!form_ || form_->window.name != name) return error = "no window is named '" + std::string(name) + "'", nullptr;
    windows_.push_back(std::make_unique<FormWindow>(*this, *form_));
    FormWindow* window = windows_.back().get();
    if (!window->Load(error)) return nullptr;
    return window;
}

FormWindow* FormRuntime::Window(std::string_view name) const {
    for (const auto& window : windows_) {
        if (window->Name() == name) return window.get();
    }
    return nullptr;
}

const ControlKind* FormRuntime::KindFor(const UnitKindSchema* schema) const {
    for (const ControlKind& kind : controlKinds_) {
        if (kind.schema == schema) return &kind;
    }
    return nullptr;
}

bool FormRuntime::AnyWindowAlive() const {
    for (const auto& window : windows_) {
        if (window->Alive()) return true;
    }
    return false;
}

void FormRuntime::OnWindowGone() {
    if (loopRunning_ && !AnyWindowAlive()) PostQuitMessage(0);
}

bool FormRuntime::PreTranslate(MSG& message) const {
    for (const auto& window : windows_) {
        if (window->PreTranslate(message)) return true;
    }
    return false;
}

int FormRuntime::RunEventLoop() {
    loopRunning_ = true;
    if (!AnyWindowAlive()) return 0;
    MSG message = {};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

FARPROC FormRuntime::Procedure(const char* module, const char* name) {
    auto found = libraries_.find(module);
    if (found == libraries_.end()) {
        found = libraries_.emplace(module, UniqueLibrary(LoadLibraryA(module))).first;
    }
    return found->second ? GetProcAddress(found->second.Get(), name) : nullptr;
}

void FormRuntime::ReportFatal(std::string_view message) const {
    const std::wstring text = WideFromUtf8(message);
    MessageBoxW(nullptr, text.c_str(), kErrorBoxCaption, MB_OK | MB_ICONERROR);
}

void FormRuntime::FailFatal(std::string_view message) const {
    ReportFatal(message);
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace shell
