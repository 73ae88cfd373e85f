// Stands in for the shell's collection of browser windows: opens top-level
// windows titled "浏览器窗口 1", "浏览器窗口 2", ..., serves a collection to
// other processes and registers each window in it through
// IShellWindows::Register with an automation object whose "Hwnd" property is
// the window's handle. Wine's own collection keeps registrations but cannot
// list them, so the test points the ShellWindows class at this one with
//   HKLM\Software\Classes\CLSID\{9BA05972-F6A8-11CF-A442-00A0C90A8F39}\TreatAs
//   = {6B1A4F0E-2C57-4E3B-9A1D-5E0C7F2B8D41}
// (COM then makes the collection from the class this program serves).
//   ShellWindowsHost [count, default 2]
// Writes "ready" to its standard output once its windows are registered and
// "get_Count" each time the collection is counted. Runs until it is ended.
#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DISPID kDispIdHwnd = 1;
constexpr CLSID kTestShellWindows = {0x6B1A4F0E, 0x2C57, 0x4E3B, {0x9A, 0x1D, 0x5E, 0x0C, 0x7F, 0x2B, 0x8D, 0x41}};

// One browser window's automation object: only "Hwnd".
class WindowItem final : public IDispatch {
public:
    explicit WindowItem(HWND window) : window_(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references_); }  // lives as long as the program
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || lstrcmpiW(names[0], L"Hwnd") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = kDispIdHwnd;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (id != kDispIdHwnd) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = LONG(reinterpret_cast<LONG_PTR>(window_));
        return S_OK;
    }

private:
    HWND window_;
    LONG references_ = 1;
};

struct Registration {
    IDispatch* item;
    LONG hwnd;
    LONG cookie;
};

class Collection final : public IShellWindows {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IShellWindows) {
            *out = static_cast<IShellWindows*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "get_Count\n", 10, &written, nullptr);
        *count = LONG(windows_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override {
        *folder = nullptr;
        if (index.vt != VT_I4 || index.lVal < 0 || index.lVal >= LONG(windows_.size())) return S_FALSE;
        *folder = windows_[index.lVal].item;
        (*folder)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Register(IDispatch* item, LONG hwnd, int, LONG* cookie) override {
        if (!item || !hwnd) return E_POINTER;
        item->AddRef();
        *cookie = LONG(windows_.size()) + 1;
        windows_.push_back({item, hwnd, *cookie});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int, LONG*, int, IDispatch**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return S_OK; }

private:
    std::vector<Registration> windows_;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(Collection& collection) : collection_(collection) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return collection_.QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Collection& collection_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    int count = commandLine && *commandLine ? std::atoi(commandLine) : 2;
    if (FAILED(CoInitialize(nullptr))) return 1;
    static Collection collection;
    static Factory factory(collection);
    DWORD classCookie = 0;
    if (FAILED(CoRegisterClassObject(kTestShellWindows, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &classCookie))) {
        return 2;
    }

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = "PennoraTestBrowser";
    RegisterClassA(&windowClass);

    IShellWindows* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                reinterpret_cast<void**>(&shell)))) {
        return 3;
    }
    for (int i = 1; i <= count; ++i) {
        std::string title = "浏览器窗口 " + std::to_string(i);
        HWND window = CreateWindowExA(0, "PennoraTestBrowser", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      60 + 40 * i, 60 + 40 * i, 320, 200, nullptr, nullptr, instance, nullptr);
        auto* item = new WindowItem(window);
        LONG cookie = 0;
        if (FAILED(shell->Register(item, LONG(reinterpret_cast<LONG_PTR>(window)), SWC_BROWSER, &cookie))) return 4;
    }
    shell->Release();
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "ready\n", 6, &written, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CoRevokeClassObject(classCookie);
    CoUninitialize();
    return 0;
}
