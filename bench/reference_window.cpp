// bench_reference_window.exe: the floor for start-up on this platform. It
// creates and shows one plain top-level window of the launcher's size and
// does nothing else, so the time to its first show is what any GUI program
// pays here before doing any work of its own.
#include <windows.h>

namespace {

LRESULT CALLBACK window_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = window_proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KorvBenchReference";
    if (!RegisterClassW(&wc)) return 1;
    // Same outer size and the same kind of fixed frame as the launcher.
    HWND h = CreateWindowExW(0, wc.lpszClassName, L"reference window",
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                             CW_USEDEFAULT, 1029, 630, nullptr, nullptr, inst, nullptr);
    if (!h) return 2;
    ShowWindow(h, show);
    UpdateWindow(h);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
