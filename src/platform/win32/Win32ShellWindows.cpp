#include "platform/win32/Win32ShellWindows.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>

#include "platform/win32/Handles.h"
#include "platform/win32/LateBound.h"

namespace pennora {
namespace {

// COM and OLE Automation, loaded when the browser windows are first asked
// for rather than at every start.
struct OleCalls {
    HRESULT(WINAPI* coInitialize)(LPVOID) = LateBound<decltype(coInitialize)>("ole32.dll", "CoInitialize");
    void(WINAPI* coUninitialize)() = LateBound<decltype(coUninitialize)>("ole32.dll", "CoUninitialize");
    HRESULT(WINAPI* coCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) =
        LateBound<decltype(coCreateInstance)>("ole32.dll", "CoCreateInstance");
    void(WINAPI* variantInit)(VARIANTARG*) = LateBound<decltype(variantInit)>("oleaut32.dll", "VariantInit");
    HRESULT(WINAPI* variantClear)(VARIANTARG*) = LateBound<decltype(variantClear)>("oleaut32.dll", "VariantClear");
    HRESULT(WINAPI* variantChangeType)(VARIANTARG*, const VARIANTARG*, USHORT, VARTYPE) =
        LateBound<decltype(variantChangeType)>("oleaut32.dll", "VariantChangeType");

    bool complete() const {
        return coInitialize && coUninitialize && coCreateInstance && variantInit && variantClear && variantChangeType;
    }
};

const OleCalls& Ole() {
    static const OleCalls calls;
    return calls;
}

// An interface pointer released when it goes.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (pointer_) pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    Interface** Out() { return &pointer_; }
    Interface* Get() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

class Variant {
public:
    Variant() { Ole().variantInit(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { Ole().variantClear(&value); }
    VARIANT value;
};

class Collection final : public ShellWindowCollection {
public:
    explicit Collection(IShellWindows* windows) : windows_(windows) {}
    ~Collection() override { windows_->Release(); }

    long get_Count(long& count) override {
        LONG n = 0;
        HRESULT result = windows_->get_Count(&n);
        count = n;
        return result;
    }

    long ItemHwnd(long index, Hwnd& window) override {
        Variant position;
        position.value.vt = VT_I4;
        position.value.lVal = index;
        ComPtr<IDispatch> item;
        HRESULT result = windows_->Item(position.value, item.Out());
        if (FAILED(result)) return result;
        if (!item.Get()) return E_POINTER;  // the window closed meanwhile
        OLECHAR name[] = L"Hwnd";
        LPOLESTR names[] = {name};
        DISPID id = 0;
        result = item->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(result)) return result;
        DISPPARAMS none{};
        Variant value;
        result = item->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none,
                              &value.value, nullptr, nullptr);
        if (FAILED(result)) return result;
        result = Ole().variantChangeType(&value.value, &value.value, 0, VT_I4);
        if (FAILED(result)) return result;
        // Window handles are 32-bit values, also in a 64-bit process.
        window = FromHwnd(reinterpret_cast<HWND>(static_cast<LONG_PTR>(value.value.lVal)));
        return S_OK;
    }

private:
    IShellWindows* windows_;
};

}  // namespace

Win32ShellWindows::~Win32ShellWindows() {
    if (joinedApartment_) Ole().coUninitialize();
}

long Win32ShellWindows::CoCreateInstance(std::unique_ptr<ShellWindowCollection>& collection) {
    if (!Ole().complete()) return E_NOTIMPL;
    // The thread joins COM on the first use, and leaves it with this object.
    if (!joinedApartment_) joinedApartment_ = SUCCEEDED(Ole().coInitialize(nullptr));
    IShellWindows* windows = nullptr;
    HRESULT result = Ole().coCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                            reinterpret_cast<void**>(&windows));
    if (FAILED(result)) return result;
    collection = std::make_unique<Collection>(windows);
    return S_OK;
}

bool Win32ShellWindows::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
}

}  // namespace pennora
