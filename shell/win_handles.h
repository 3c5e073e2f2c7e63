// Move-only owners for the Windows handles the launcher creates, one deleter
// per kind, so no feature code calls a Destroy function by hand.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace shell {

template <typename Handle, typename Deleter>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle(); }

    Handle Release() { return std::exchange(handle_, Handle()); }
    void Reset(Handle handle = Handle()) {
        const Handle old = std::exchange(handle_, handle);
        if (old != Handle()) Deleter()(old);
    }

private:
    Handle handle_ = Handle();
};

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct KernelHandleDeleter {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct WindowDeleter {
    void operator()(HWND window) const { DestroyWindow(window); }
};

using UniqueIcon = UniqueHandle<HICON, IconDeleter>;
using UniqueMenu = UniqueHandle<HMENU, MenuDeleter>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectDeleter>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleDeleter>;
using UniqueWindow = UniqueHandle<HWND, WindowDeleter>;

// OLE for the GUI thread, for as long as the runtime lives.
class OleInitialisation {
public:
    OleInitialisation() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleInitialisation() {
        if (ok_) OleUninitialize();
    }
    OleInitialisation(const OleInitialisation&) = delete;
    OleInitialisation& operator=(const OleInitialisation&) = delete;

private:
    bool ok_;
};

}  // namespace shell

namespace shell {

// Selects an object into a DC for one scope and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_ != nullptr) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace shell
