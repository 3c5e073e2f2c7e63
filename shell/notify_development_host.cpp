#include "shell/notify_development_host.h"

#include <windows.h>

#include "shell/development_host.h"
#include "shell/form_runtime.h"

namespace shell {
namespace {

constexpr DWORD kReadWrite = FILE_MAP_WRITE | FILE_MAP_READ;

template <typename Function>
Function Lookup(FormRuntime& runtime, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(runtime.Procedure("KERNEL32.DLL", name)));
}

}  // namespace

void NotifyDevelopmentHost(FormRuntime& runtime) {
    if (!IsDevelopmentCopy(runtime.Module().fileName)) return;

    using OpenMapping = HANDLE(WINAPI*)(DWORD, BOOL, LPCSTR);
    using MapView = LPVOID(WINAPI*)(HANDLE, DWORD, DWORD, DWORD, SIZE_T);
    using MoveBytes = void(WINAPI*)(void*, const void*, SIZE_T);
    using CloseKernelHandle = BOOL(WINAPI*)(HANDLE);
    const auto openMapping = Lookup<OpenMapping>(runtime, "OpenFileMappingA");
    const auto mapView = Lookup<MapView>(runtime, "MapViewOfFile");
    const auto moveBytes = Lookup<MoveBytes>(runtime, "RtlMoveMemory");
    const auto closeHandle = Lookup<CloseKernelHandle>(runtime, "CloseHandle");
    if (openMapping == nullptr || mapView == nullptr || moveBytes == nullptr || closeHandle == nullptr) return;

    // The ANSI name on purpose: the host creates the mapping with the same bytes.
    const std::string name = DevelopmentHostMappingName();
    const HANDLE mapping = openMapping(kReadWrite, FALSE, name.c_str());
    if (mapping == nullptr) return;
    void* view = mapView(mapping, kReadWrite, 0, 0, 0);
    // No mapping or no view: write nothing rather than through a null pointer.
    if (view != nullptr) {
        static const unsigned char kZeros[kDevelopmentHostClearedBytes] = {};
        moveBytes(view, kZeros, sizeof(kZeros));
    }
    closeHandle(mapping);
    // The view stays mapped until the process ends, keeping the mapping
    // alive for the host while this copy runs.
}

}  // namespace shell
