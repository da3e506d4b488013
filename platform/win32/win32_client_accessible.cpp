// The main window's client area as an IAccessible: the visible entries as simple children
// 1..n (push buttons), read from the access view at each call, so nothing here goes stale.
#include <new>

#include "platform/win32/win32_access.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_scale.h"

namespace {

constexpr LONG kSelf = 0;  // CHILDID_SELF

// oleacc.h's roles and states, for headers that lack some.
constexpr LONG kRoleClient = 0x0A;     // ROLE_SYSTEM_CLIENT
constexpr LONG kRoleButton = 0x2B;     // ROLE_SYSTEM_PUSHBUTTON
constexpr LONG kFocused = 0x4;         // STATE_SYSTEM_FOCUSED
constexpr LONG kTraversed = 0x800000;  // STATE_SYSTEM_TRAVERSED
constexpr LONG kFocusable = 0x100000;  // STATE_SYSTEM_FOCUSABLE

void SetEmpty(VARIANT* value) { value->vt = VT_EMPTY; }

void SetLong(VARIANT* value, LONG number) {
  value->vt = VT_I4;
  value->lVal = number;
}

// A child id of a VARIANT: VT_I4 only; -1 for anything else.
LONG ChildOf(const VARIANT& id) { return id.vt == VT_I4 ? id.lVal : -1; }

// A text of the core (UTF-8) as a BSTR; null when empty or out of memory.
BSTR ToBstr(const char* text) {
  if (text == nullptr || text[0] == '\0') return nullptr;
  try {
    return AccessFunctions()->allocString(WideOf(text).c_str());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

class ClientAccessible : public IAccessible {
 public:
  explicit ClientAccessible(HWND window) : window_(window) {}
  virtual ~ClientAccessible() = default;
  ClientAccessible(const ClientAccessible&) = delete;
  ClientAccessible& operator=(const ClientAccessible&) = delete;

  // --- IUnknown ------------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
        IsEqualIID(iid, __uuidof(IAccessible))) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // --- IDispatch: not offered (clients call IAccessible directly) -----------------------------
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // --- IAccessible ---------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    // The window's own object (frame, caption) is the parent; OBJID_WINDOW is 0.
    return AccessFunctions()->objectFromWindow(window_, 0, __uuidof(IDispatch),
                                               reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<LONG>(Count());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
    if (child == nullptr) return E_POINTER;
    *child = nullptr;
    // The entries are simple elements: no object of their own.
    return IsEntry(ChildOf(id)) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    const LONG child = ChildOf(id);
    if (child == kSelf) {
      std::string title;
      if (WideSystem()) {
        wchar_t wide[512] = L"";
        QUOREL_WIDE("user32.dll", GetWindowTextW)(window_, wide, 512);
        title = Utf8OfWide(wide);
      } else {
        char ansi[512] = "";
        GetWindowTextA(window_, ansi, sizeof ansi);
        title = Utf8OfAnsi(ansi);
      }
      *name = ToBstr(title.c_str());
      return *name != nullptr ? S_OK : S_FALSE;
    }
    AccessEntry entry;
    if (!Entry(child, &entry)) return E_INVALIDARG;
    *name = ToBstr(entry.name);
    return *name != nullptr ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
    if (value != nullptr) *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override {
    if (description == nullptr) return E_POINTER;
    *description = nullptr;
    const LONG child = ChildOf(id);
    if (child == kSelf) return S_FALSE;
    AccessEntry entry;
    if (!Entry(child, &entry)) return E_INVALIDARG;
    *description = ToBstr(entry.description);
    return *description != nullptr ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    SetEmpty(role);
    const LONG child = ChildOf(id);
    if (child != kSelf && !IsEntry(child)) return E_INVALIDARG;
    SetLong(role, child == kSelf ? kRoleClient : kRoleButton);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    SetEmpty(state);
    const LONG child = ChildOf(id);
    if (child == kSelf) {
      SetLong(state,
              kFocusable | (GetFocus() == window_ && HighlightedChild() == kSelf ? kFocused : 0));
      return S_OK;
    }
    AccessEntry entry;
    if (!Entry(child, &entry)) return E_INVALIDARG;
    SetLong(state,
            kFocusable | (entry.highlighted ? kFocused : 0) | (entry.visited ? kTraversed : 0));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help != nullptr) *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) *file = nullptr;
    if (topic != nullptr) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    if (shortcut != nullptr) *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    SetEmpty(focus);
    const LONG child = HighlightedChild();
    if (child != kSelf) {
      SetLong(focus, child);
      return S_OK;
    }
    if (GetFocus() != window_) return S_FALSE;
    SetLong(focus, kSelf);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection != nullptr) SetEmpty(selection);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    const LONG child = ChildOf(id);
    if (child == kSelf) return DISP_E_MEMBERNOTFOUND;
    if (!IsEntry(child)) return E_INVALIDARG;
    *action = ToBstr("Press");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT id) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
      return E_POINTER;
    *left = *top = *width = *height = 0;
    const LONG child = ChildOf(id);
    RECT area{};
    if (child == kSelf) {
      GetClientRect(window_, &area);
    } else {
      AccessEntry entry;
      if (!Entry(child, &entry)) return E_INVALIDARG;
      // The entry's rectangle in the picture's pixels, enlarged as the window shows it.
      const int scale = WindowScale();
      area = RECT{entry.rect.left * scale, entry.rect.top * scale, entry.rect.right * scale,
                  entry.rect.bottom * scale};
    }
    POINT corner{area.left, area.top};
    ClientToScreen(window_, &corner);
    *left = corner.x;
    *top = corner.y;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    SetEmpty(end);
    const LONG child = ChildOf(start);
    const LONG count = static_cast<LONG>(Count());
    if (child != kSelf && !IsEntry(child)) return E_INVALIDARG;
    LONG to = 0;
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
      case NAVDIR_LASTCHILD:
        if (child != kSelf) return E_INVALIDARG;
        to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        break;
      case NAVDIR_NEXT:
      case NAVDIR_DOWN:
      case NAVDIR_RIGHT:
        if (child == kSelf) return DISP_E_MEMBERNOTFOUND;  // the window's siblings: not ours
        to = child + 1;
        break;
      case NAVDIR_PREVIOUS:
      case NAVDIR_UP:
      case NAVDIR_LEFT:
        if (child == kSelf) return DISP_E_MEMBERNOTFOUND;
        to = child - 1;
        break;
      default:
        return E_INVALIDARG;
    }
    if (!IsEntry(to)) return S_FALSE;
    SetLong(end, to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* id) override {
    if (id == nullptr) return E_POINTER;
    SetEmpty(id);
    POINT point{x, y};
    ScreenToClient(window_, &point);
    RECT client{};
    GetClientRect(window_, &client);
    if (!PtInRect(&client, point)) return S_FALSE;
    const int scale = WindowScale();
    const LONG px = point.x / scale;
    const LONG py = point.y / scale;
    const LONG count = static_cast<LONG>(Count());
    for (LONG child = 1; child <= count; ++child) {
      AccessEntry entry;
      if (Entry(child, &entry) && px >= entry.rect.left && px < entry.rect.right &&
          py >= entry.rect.top && py < entry.rect.bottom) {
        SetLong(id, child);
        return S_OK;
      }
    }
    SetLong(id, kSelf);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
    const LONG child = ChildOf(id);
    if (child == kSelf) return DISP_E_MEMBERNOTFOUND;
    if (!IsEntry(child)) return E_INVALIDARG;
    // Carried out from the window's message loop: a level opened or a program started inside
    // the client's call would keep the client waiting, and a message box there could not show.
    return PostMessageA(window_, kAccessPressMessage, static_cast<WPARAM>(child - 1), 0) ? S_OK
                                                                                         : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  static size_t Count() {
    AccessView* view = CurrentAccessView();
    return view != nullptr ? view->EntryCount() : 0;
  }
  static bool IsEntry(LONG child) { return child >= 1 && static_cast<size_t>(child) <= Count(); }
  static bool Entry(LONG child, AccessEntry* entry) {
    AccessView* view = CurrentAccessView();
    return view != nullptr && child >= 1 && view->EntryAt(static_cast<size_t>(child - 1), entry);
  }

  HWND window_;
  LONG references_ = 1;
};

}  // namespace

IAccessible* NewClientAccessible(HWND window) {
  return new (std::nothrow) ClientAccessible(window);
}
