// COM without ATL, written once for the game view: a move-only interface
// pointer, a reference-counting base for the objects the container hands to
// the control, and QueryInterface over a short table of the project's IIDs.
// The live-object count lets a test see that the control let go of them all.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <initializer_list>
#include <utility>

#include "shell/win_handles.h"

namespace gameview {

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(Interface* adopted) : pointer_(adopted) {}
    ~ComPtr() { Reset(); }

    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For an out parameter; whatever was held goes first.
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset() {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

    // Lets go and says how many references the object still has elsewhere.
    ULONG ReleaseCounted() { return pointer_ != nullptr ? std::exchange(pointer_, nullptr)->Release() : 0; }

    template <typename Other>
    ComPtr<Other> Query(const IID& iid) const {
        ComPtr<Other> other;
        if (pointer_ != nullptr && FAILED(pointer_->QueryInterface(iid, other.PutVoid()))) other.Reset();
        return other;
    }

private:
    Interface* pointer_ = nullptr;
};

struct BstrDeleter {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using UniqueBstr = shell::UniqueHandle<BSTR, BstrDeleter>;

// Objects of ComObject alive in the process.
inline long& LiveComObjects() {
    static long count = 0;
    return count;
}

struct InterfaceEntry {
    const IID& iid;
    IUnknown* object;  // this object seen as that interface
};

inline HRESULT QueryInterfaceTable(std::initializer_list<InterfaceEntry> table, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    for (const InterfaceEntry& entry : table) {
        if (IsEqualIID(iid, entry.iid)) {
            entry.object->AddRef();
            *out = entry.object;
            return S_OK;
        }
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// Born with one reference, owned by whoever created it; gone with the last.
// Derived classes keep their destructors private and answer QueryInterface
// through QueryInterfaceTable.
template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() { ++LiveComObjects(); }
    virtual ~ComObject() { --LiveComObjects(); }

private:
    ULONG references_ = 1;
};

}  // namespace gameview
