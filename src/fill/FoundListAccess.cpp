#include "fill/FoundListAccess.h"

#include <ole2.h>
#include <oleacc.h>

#include <new>
#include <optional>

#include "platform/win32/AnsiText.h"
#include "platform/win32/LateBound.h"

namespace pennora {
namespace {

// Accessibility and COM, loaded when a screen reader first asks for the
// list rather than at every start. The interface ids are taken with
// __uuidof: the import library's IID_IAccessible names the DLL's exported
// data through an import thunk, not the id itself.
struct AccessCalls {
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) =
        LateBound<decltype(createStdAccessibleObject)>("oleacc.dll", "CreateStdAccessibleObject");
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) =
        LateBound<decltype(lresultFromObject)>("oleacc.dll", "LresultFromObject");
    HRESULT(WINAPI* coInitializeEx)(LPVOID, DWORD) = LateBound<decltype(coInitializeEx)>("ole32.dll", "CoInitializeEx");
    BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) =
        LateBound<decltype(sysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
    HRESULT(WINAPI* dispInvoke)(void*, ITypeInfo*, DISPID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) =
        LateBound<decltype(dispInvoke)>("oleaut32.dll", "DispInvoke");

    bool complete() const {
        return createStdAccessibleObject && lresultFromObject && coInitializeEx && sysAllocStringLen && dispInvoke;
    }
};

const AccessCalls& Access() {
    static const AccessCalls calls;
    return calls;
}

// The object marshals its interface to the screen reader's process, which
// needs the thread to be in a COM apartment. The list's thread joins a
// single-threaded one when it is first asked, and stays in it for its life:
// a screen reader holds on to the object between questions, and its calls
// come in through this thread's message loop.
void JoinApartment() {
    static thread_local bool joined = false;
    if (joined) return;
    const HRESULT result = Access().coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // A thread already in the multithreaded apartment is in one too.
    joined = SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
}

// The title a LineTitleMessage sent now on this thread is answered into.
// The message's number is known to every process, so nothing is written
// for one this object did not send a moment ago (a copy posted or sent by
// another program).
thread_local std::string* requestedTitle = nullptr;
thread_local HWND requestedOf = nullptr;

// What the list's lines are, as a screen reader names the list.
const wchar_t* const kListName = L"标题";

constexpr LRESULT kLineTitled = 0x5449544C;
constexpr LRESULT kLineUntitled = 0x4E4F4E45;

// The list box's lines as children 1..count of its client-area object.
// Questions about the list itself go to the system's object of the list,
// which it wraps; questions about a line it answers from the list box's own
// messages, as the system's object of a list box does on Windows (Wine's
// gives the lines nothing), and names the line by its title. It holds only
// the list's handle: a screen reader may keep it after the window is gone,
// and every question first checks that the list is still there on this
// thread.
class AccessibleList final : public IAccessible, public IOleWindow {
public:
    AccessibleList(HWND list, IAccessible* standard) : list_(list), standard_(standard) {}
    AccessibleList(const AccessibleList&) = delete;
    AccessibleList& operator=(const AccessibleList&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IOleWindow))
            *out = static_cast<IOleWindow*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return ULONG(left);
    }

    // IDispatch: the system object's type information, invoked on this object.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return Alive() ? standard_->GetTypeInfoCount(count) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return Alive() ? standard_->GetTypeInfo(index, locale, info) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return Alive() ? standard_->GetIDsOfNames(iid, names, count, locale, ids) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!Alive()) return E_FAIL;
        ITypeInfo* info = nullptr;
        const HRESULT found = standard_->GetTypeInfo(0, locale, &info);
        if (FAILED(found) || !info) return FAILED(found) ? found : E_NOTIMPL;
        const HRESULT invoked = Access().dispInvoke(static_cast<IAccessible*>(this), info, id, flags, parameters,
                                                    result, exception, argumentError);
        info->Release();
        return invoked;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Alive() ? standard_->get_accParent(parent) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        if (!Alive()) return E_FAIL;
        *count = Lines();
        return S_OK;
    }
    // The lines are simple elements, named by their ids, not objects.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        return Ask(child, [&] { return standard_->get_accChild(Self(), object); }, [](long) { return S_FALSE; });
    }

    // The list is named by what its lines are; its window text (every
    // line, for automation tools) is far too long to be read out.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        return Ask(child, [&] { return WideText(kListName, *name); }, [&](long line) { return TitleOf(line, *name); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return TextOfList(child, value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return TextOfList(child, description, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return TextOfList(child, help, &IAccessible::get_accHelp);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return TextOfList(child, shortcut, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return TextOfList(child, action, &IAccessible::get_accDefaultAction);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        return Ask(child, [&] { return standard_->get_accHelpTopic(file, Self(), topic); },
                   [](long) { return S_FALSE; });
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        role->vt = VT_EMPTY;
        return Ask(child, [&] { return SetId(*role, ROLE_SYSTEM_LIST); },
                   [&](long) { return SetId(*role, ROLE_SYSTEM_LISTITEM); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        state->vt = VT_EMPTY;
        return Ask(child, [&] { return standard_->get_accState(Self(), state); },
                   [&](long line) { return SetId(*state, StateOf(line)); });
    }

    // The line with the caret while the list has the keyboard.
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        focus->vt = VT_EMPTY;
        if (!Alive()) return E_FAIL;
        if (GetFocus() != list_) return S_FALSE;
        const long caret = long(SendMessageA(list_, LB_GETCARETINDEX, 0, 0));
        return SetId(*focus, caret >= 0 && caret < Lines() ? caret + 1 : CHILDID_SELF);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        selection->vt = VT_EMPTY;
        if (!Alive()) return E_FAIL;
        const long selected = long(SendMessageA(list_, LB_GETCURSEL, 0, 0));
        if (selected < 0 || selected >= Lines()) return S_FALSE;
        return SetId(*selection, selected + 1);
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return Ask(child, [&] { return standard_->accSelect(flags, Self()); },
                   [](long) { return DISP_E_MEMBERNOTFOUND; });
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return Ask(child, [&] { return standard_->accLocation(left, top, width, height, Self()); },
                   [&](long line) {
                       RECT rect{};
                       if (SendMessageA(list_, LB_GETITEMRECT, WPARAM(line), reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
                           return E_INVALIDARG;
                       MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
                       *left = rect.left;
                       *top = rect.top;
                       *width = rect.right - rect.left;
                       *height = rect.bottom - rect.top;
                       return S_OK;
                   });
    }

    // Between the lines: from the list to its first or last line, from a
    // line to the one above or below it.
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        end->vt = VT_EMPTY;
        const auto ofList = [&]() -> HRESULT {
            const long lines = Lines();
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD)
                return lines == 0 ? S_FALSE : SetId(*end, direction == NAVDIR_FIRSTCHILD ? 1 : lines);
            return standard_->accNavigate(direction, Self(), end);
        };
        return Ask(start, ofList, [&](long line) -> HRESULT {
            long to = -1;
            if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) to = line + 1;
            if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) to = line - 1;
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return E_INVALIDARG;
            return to >= 0 && to < Lines() ? SetId(*end, to + 1) : S_FALSE;
        });
    }

    // The line under a point of the screen: the top line shown and the
    // lines' one height give it at any count (LB_ITEMFROMPOINT answers in
    // 16 bits).
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        child->vt = VT_EMPTY;
        if (!Alive()) return E_FAIL;
        POINT point{x, y};
        ScreenToClient(list_, &point);
        RECT client{};
        GetClientRect(list_, &client);
        if (!PtInRect(&client, point)) return standard_->accHitTest(x, y, child);
        const long height = long(SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
        const long top = long(SendMessageA(list_, LB_GETTOPINDEX, 0, 0));
        const long line = height > 0 && top >= 0 ? top + point.y / height : -1;
        RECT rect{};
        const bool onLine = line >= 0 && line < Lines() &&
                            SendMessageA(list_, LB_GETITEMRECT, WPARAM(line), reinterpret_cast<LPARAM>(&rect)) != LB_ERR &&
                            PtInRect(&rect, point);
        return SetId(*child, onLine ? line + 1 : CHILDID_SELF);
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Ask(child, [&] { return standard_->accDoDefaultAction(Self()); },
                   [](long) { return DISP_E_MEMBERNOTFOUND; });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Ask(child, [&] { return standard_->put_accName(Self(), name); },
                   [](long) { return DISP_E_MEMBERNOTFOUND; });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Ask(child, [&] { return standard_->put_accValue(Self(), value); },
                   [](long) { return DISP_E_MEMBERNOTFOUND; });
    }

    // IOleWindow: the window the object stands for.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = Alive() ? list_ : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~AccessibleList() { standard_->Release(); }

    // The list is there, and asked on its own thread: COM brings a screen
    // reader's questions there. A handle of a window gone may be used again
    // by another window, of another thread or program.
    bool Alive() const {
        return IsWindow(list_) && GetWindowThreadProcessId(list_, nullptr) == GetCurrentThreadId();
    }
    long Lines() const {
        const LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
        return count > 0 ? long(count) : 0;
    }

    // A question about the list itself (`ofList`) or about one of the lines
    // shown now (`ofLine`, given the line's index); any other child id is
    // wrong, and every question fails once the list is gone.
    template <class OfList, class OfLine>
    HRESULT Ask(const VARIANT& child, OfList ofList, OfLine ofLine) const {
        if (!Alive()) return E_FAIL;
        const std::optional<long> id = ChildId(child);
        if (!id) return E_INVALIDARG;
        if (*id == CHILDID_SELF) return ofList();
        if (*id < 1 || *id > Lines()) return E_INVALIDARG;
        return ofLine(*id - 1);
    }
    // A child id as callers pass it: a 32-bit or (from a script's literal)
    // 16-bit number; nothing, or a parameter left out (as the dispatch
    // passes an optional one a script omits), is the list itself.
    static std::optional<long> ChildId(const VARIANT& child) {
        switch (child.vt) {
        case VT_I4: return child.lVal;
        case VT_I2: return long(child.iVal);
        case VT_EMPTY: return long(CHILDID_SELF);
        case VT_ERROR:
            if (child.scode == DISP_E_PARAMNOTFOUND) return long(CHILDID_SELF);
            return std::nullopt;
        default: return std::nullopt;
        }
    }

    // A text the list may have and its lines have not.
    HRESULT TextOfList(const VARIANT& child, BSTR* text,
                       HRESULT (STDMETHODCALLTYPE IAccessible::*question)(VARIANT, BSTR*)) const {
        if (!text) return E_POINTER;
        *text = nullptr;
        return Ask(child, [&] { return (standard_->*question)(Self(), text); }, [](long) { return S_FALSE; });
    }

    static HRESULT WideText(const std::wstring& text, BSTR& out) {
        out = Access().sysAllocStringLen(text.data(), UINT(text.size()));
        return out ? S_OK : E_OUTOFMEMORY;
    }

    // The title the line shows, from the list: a line whose title is gone
    // (the lines changed since the count) has no name, rather than another.
    HRESULT TitleOf(long line, BSTR& name) const {
        std::string title;
        requestedTitle = &title;
        requestedOf = list_;
        const LRESULT answer = SendMessageA(list_, LineTitleMessage(), WPARAM(line), 0);
        requestedTitle = nullptr;
        requestedOf = nullptr;
        if (answer == kLineUntitled) return E_INVALIDARG;
        if (answer != kLineTitled) return E_FAIL;
        try {
            return WideText(ToWide(title), name);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    // The list itself, as the system's object is asked about it.
    static VARIANT Self() {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        return self;
    }
    static HRESULT SetId(VARIANT& value, long id) {
        value.vt = VT_I4;
        value.lVal = id;
        return S_OK;
    }
    // A line scrolled out of the list is off the screen.
    long StateOf(long line) const {
        long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (SendMessageA(list_, LB_GETCURSEL, 0, 0) == line) state |= STATE_SYSTEM_SELECTED;
        if (GetFocus() == list_ && SendMessageA(list_, LB_GETCARETINDEX, 0, 0) == line) state |= STATE_SYSTEM_FOCUSED;
        RECT rect{}, client{}, shown{};
        GetClientRect(list_, &client);
        SendMessageA(list_, LB_GETITEMRECT, WPARAM(line), reinterpret_cast<LPARAM>(&rect));
        if (!IntersectRect(&shown, &rect, &client)) state |= STATE_SYSTEM_OFFSCREEN;
        if (!IsWindowVisible(list_)) state |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(list_)) state |= STATE_SYSTEM_UNAVAILABLE;
        return state;
    }

    const HWND list_;
    IAccessible* const standard_;
    LONG references_ = 1;
};

}  // namespace

UINT LineTitleMessage() {
    static const UINT message = RegisterWindowMessageA("Pennora.FoundListLineTitle");
    return message;
}

LRESULT AnswerLineTitle(HWND list, const std::string* title) {
    if (!requestedTitle || requestedOf != list) return 0;
    if (!title) return kLineUntitled;
    try {
        // Up to a NUL the title may hold, as the line is drawn.
        *requestedTitle = title->c_str();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    requestedTitle = nullptr;
    return kLineTitled;
}

LRESULT AccessibleListResult(HWND list, WPARAM wParam) {
    const AccessCalls& calls = Access();
    if (!calls.complete()) return 0;
    JoinApartment();
    IAccessible* standard = nullptr;
    if (FAILED(calls.createStdAccessibleObject(list, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* object = new (std::nothrow) AccessibleList(list, standard);
    if (!object) {
        standard->Release();
        return 0;
    }
    const LRESULT result = calls.lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    // A failure (a negative HRESULT) leaves the list to the system's object.
    return result > 0 ? result : 0;
}

}  // namespace pennora
