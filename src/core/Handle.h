#pragma once
#include <windows.h>

#include <utility>

// One owner for every kind of Win32 handle: a traits type names the handle, its closer and
// its empty value, so no path can forget to close one.
template <typename Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Empty(); }

    Type release() noexcept { return std::exchange(value_, Traits::Empty()); }
    void reset(Type value = Traits::Empty()) noexcept
    {
        const Type old = std::exchange(value_, value);
        if (old != Traits::Empty())
            Traits::Close(old);
    }
    // For out-parameters of Win32 calls: closes what is held and hands out the slot.
    Type* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Empty();
};

namespace handle_traits {
// The traits of a kind whose header only some units include (sockets, image lists): its alias
// stands beside its use, its traits are made here all the same.
template <typename T, auto Closer, auto EmptyValue> struct ClosedBy {
    using Type = T;
    static Type Empty() noexcept { return EmptyValue; }
    static void Close(Type h) noexcept { Closer(h); }
};
struct Kernel {
    using Type = HANDLE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
// File and find handles report failure as INVALID_HANDLE_VALUE, not null.
struct File {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct Find {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};
struct RegistryKey {
    using Type = HKEY;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
struct Icon {
    using Type = HICON;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
struct Menu {
    using Type = HMENU;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyMenu(h); }
};
struct Hook {
    using Type = HHOOK;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::UnhookWindowsHookEx(h); }
};
struct GdiObject {
    using Type = HGDIOBJ;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct MemoryDc {
    using Type = HDC;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteDC(h); }
};
struct Window {
    using Type = HWND;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyWindow(h); }
};
} // namespace handle_traits

using KernelHandle = UniqueHandle<handle_traits::Kernel>;
using FileHandle = UniqueHandle<handle_traits::File>;
using FindHandle = UniqueHandle<handle_traits::Find>;
using RegKeyHandle = UniqueHandle<handle_traits::RegistryKey>;
using IconHandle = UniqueHandle<handle_traits::Icon>;
using MenuHandle = UniqueHandle<handle_traits::Menu>;
using HookHandle = UniqueHandle<handle_traits::Hook>;
using GdiHandle = UniqueHandle<handle_traits::GdiObject>;
using MemoryDcHandle = UniqueHandle<handle_traits::MemoryDc>;
using WindowHandle = UniqueHandle<handle_traits::Window>;

// A window's device context, released on every way out.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a scope; the one it replaced goes back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectedObject()
    {
        if (old_)
            ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer that releases its reference on every way out.
template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    void reset() noexcept
    {
        if (ptr_)
            std::exchange(ptr_, nullptr)->Release();
    }
    T** put() noexcept
    {
        reset();
        return &ptr_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* ptr_ = nullptr;
};
