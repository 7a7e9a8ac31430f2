// The board and the counter as MSAA objects. The cells are simple elements of the board object
// (child id = cell index + 1): a screen reader asks the board about each by its id.
#include "app/win32/accessible.h"

#include "app/form1.h"
#include "app/picture.h"
#include "app/spoken.h"
#include "app/win32/text.h"

#include <atomic>
#include <optional>

namespace nudgeboard {

namespace {

// Defined here rather than taken from the import library, whose copy this MinGW gets wrong.
constexpr GUID accessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

constexpr std::string_view boardsName = "Boards";
constexpr std::string_view pressName = "Click";

using Window = Accessibility::Window;

HRESULT text(std::string_view words, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    if (words.empty())
        return S_FALSE;
    *out = SysAllocString(widen(words).c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT number(long value, VARIANT* out) {
    if (out == nullptr)
        return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

HRESULT nothing(VARIANT* out) {
    if (out == nullptr)
        return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

HRESULT place(RECT r, long* left, long* top, long* width, long* height) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
        return E_POINTER;
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

bool marked(const Form1& form, int k) {
    return form.Grid.exists(k) && form.Grid(k).borderStyle == 1;
}

// Where the window shows cell k, in its client area; none for a cell it does not show.
std::optional<DeviceRect> shownCell(const Window& window, int k) {
    const BoardPicture picture = boardPicture(*window.form, window.dpi());
    for (const PaintedCell& cell : picture.cells())
        if (cell.index == k)
            return cell.rect;
    return std::nullopt;
}

// The cell beside k in a direction, both boards side by side as one grid of 6 rows and 12
// columns; -1 past the edge, -2 for a direction that is none.
int neighbour(int k, long direction) {
    int row = rowOf(k);
    int column = columnOf(k) + (k >= goalOffset ? boardSide : 0);
    switch (direction) {
    case NAVDIR_NEXT:
        return k + 1 < cellCount ? k + 1 : -1;
    case NAVDIR_PREVIOUS:
        return k - 1;
    case NAVDIR_UP:
        --row;
        break;
    case NAVDIR_DOWN:
        ++row;
        break;
    case NAVDIR_LEFT:
        --column;
        break;
    case NAVDIR_RIGHT:
        ++column;
        break;
    default:
        return -2;
    }
    if (row < 0 || row >= boardSide || column < 0 || column >= 2 * boardSide)
        return -1;
    return (column >= boardSide ? goalOffset : 0) + cellIndex(row, column % boardSide);
}

// What every object of ours answers alike: COM's bookkeeping, its parent (the window that
// holds it, as Windows describes it), child ids checked, and "not supported" for the rest.
class AccessibleBase : public IAccessible {
public:
    AccessibleBase(std::shared_ptr<const Window> window, HWND hwnd)
        : window_(std::move(window)), hwnd_(hwnd) {}
    virtual ~AccessibleBase() = default;
    AccessibleBase(const AccessibleBase&) = delete;
    AccessibleBase& operator=(const AccessibleBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
            !IsEqualIID(riid, accessibleIid))
            return E_NOINTERFACE;
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // No type information: clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
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

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (window_->form == nullptr)
            return CO_E_OBJNOTCONNECTED;
        return AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(out));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = children();
        return S_OK;
    }
    // The children are simple elements, which have no object of their own.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : k < 0 ? E_INVALIDARG : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return answer(child, out, [this](int k) { return name(k); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return answer(child, out, [this](int k) { return description(k); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return answer(child, out, [this](int k) { return action(k); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return unsupported(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return unsupported(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return unsupported(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (topic != nullptr)
            *topic = 0;
        return unsupported(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : number(role(k), out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : number(state(k), out);
    }
    // Nothing of ours takes the keyboard.
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return nothing(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (out != nullptr)
            VariantInit(out);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        int k = -1;
        HRESULT checked = which(child, k);
        if (FAILED(checked))
            return checked;
        RECT r{};
        if (k >= 0 ? !childRect(k, r) : !GetWindowRect(hwnd_, &r))
            return S_FALSE;
        return place(r, left, top, width, height);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        int k = -1;
        HRESULT checked = which(start, k);
        if (FAILED(checked))
            return checked;
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        int to = navigate(k, direction);
        if (to == -2)
            return E_INVALIDARG;
        return to < 0 ? S_FALSE : number(to + 1, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        if (window_->form == nullptr)
            return CO_E_OBJNOTCONNECTED;
        RECT r{};
        POINT at{x, y};
        if (!GetWindowRect(hwnd_, &r) || !PtInRect(&r, at))
            return S_FALSE;
        return number(childAt(at) + 1, out); // CHILDID_SELF where no child is
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : act(k) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

protected:
    // Each object's own answers; k is a child's index, -1 the object itself.
    virtual int children() const { return 0; }
    virtual std::string name(int k) const = 0;
    virtual std::string description(int) const { return {}; }
    virtual std::string action(int) const { return {}; }
    virtual long role(int k) const = 0;
    virtual long state(int k) const = 0;
    virtual bool childRect(int, RECT&) const { return false; }
    virtual int navigate(int, long direction) const {
        return direction > NAVDIR_MIN && direction < NAVDIR_MAX ? -1 : -2;
    }
    virtual int childAt(POINT) const { return -1; }
    virtual bool act(int) { return false; }

    const Window& window() const { return *window_; }
    HWND hwnd() const { return hwnd_; }

private:
    // A child id as an index: -1 for the object itself. E_INVALIDARG for an id that names
    // nothing of ours.
    HRESULT which(const VARIANT& child, int& k) const {
        if (window_->form == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4 || child.lVal < CHILDID_SELF || child.lVal > children())
            return E_INVALIDARG;
        k = static_cast<int>(child.lVal) - 1;
        return S_OK;
    }
    template <typename Words> HRESULT answer(const VARIANT& child, BSTR* out, Words words) {
        if (out != nullptr)
            *out = nullptr;
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : text(words(k), out);
    }
    HRESULT unsupported(const VARIANT& child, BSTR* out) const {
        if (out != nullptr)
            *out = nullptr;
        int k = -1;
        HRESULT checked = which(child, k);
        return FAILED(checked) ? checked : DISP_E_MEMBERNOTFOUND;
    }

    std::shared_ptr<const Window> window_;
    HWND hwnd_;
    std::atomic<ULONG> references_{1};
};

// The board control: both boards' cells, in index order.
class BoardObject final : public AccessibleBase {
public:
    using AccessibleBase::AccessibleBase;

protected:
    int children() const override { return cellCount; }
    std::string name(int k) const override {
        return k < 0 ? std::string(boardsName) : cellText(*window().form, k);
    }
    std::string description(int k) const override {
        return k < 0 ? std::string() : std::string(boardName(k));
    }
    std::string action(int k) const override {
        return k >= 0 && shownCell(window(), k) ? std::string(pressName) : std::string();
    }
    long role(int k) const override { return k < 0 ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_CELL; }
    long state(int k) const override {
        if (k < 0)
            return IsWindowVisible(hwnd()) ? 0 : STATE_SYSTEM_INVISIBLE;
        if (!shownCell(window(), k))
            return STATE_SYSTEM_INVISIBLE;
        return marked(*window().form, k) ? STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED : 0;
    }
    bool childRect(int k, RECT& r) const override {
        std::optional<DeviceRect> cell = shownCell(window(), k);
        if (!cell)
            return false;
        r = {cell->left, cell->top, cell->right, cell->bottom};
        MapWindowPoints(window().main, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return true;
    }
    int navigate(int k, long direction) const override {
        if (k >= 0)
            return neighbour(k, direction);
        if (direction == NAVDIR_FIRSTCHILD)
            return 0;
        if (direction == NAVDIR_LASTCHILD)
            return cellCount - 1;
        return AccessibleBase::navigate(k, direction);
    }
    int childAt(POINT at) const override {
        ScreenToClient(window().main, &at);
        return cellAt(boardPicture(*window().form, window().dpi()), at.x, at.y);
    }
    bool act(int k) override {
        if (k < 0 || !shownCell(window(), k))
            return false;
        window().press(k);
        return true;
    }
};

// The counter: its text as Windows shows it, and the result against par as its description.
class CounterObject final : public AccessibleBase {
public:
    using AccessibleBase::AccessibleBase;

protected:
    std::string name(int) const override { return std::string(window().form->numMoves.caption); }
    std::string description(int) const override { return std::string(parWords(*window().form)); }
    long role(int) const override { return ROLE_SYSTEM_STATICTEXT; }
    long state(int) const override {
        return STATE_SYSTEM_READONLY | (IsWindowVisible(hwnd()) ? 0 : STATE_SYSTEM_INVISIBLE);
    }
};

LRESULT handOut(IAccessible* object, WPARAM wParam, LPARAM lParam) {
    // The object id arrives as a 32-bit value in a 64-bit parameter.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || object == nullptr)
        return 0;
    return LresultFromObject(accessibleIid, wParam, object);
}

} // namespace

Accessibility::Accessibility(Window window) : window_(std::make_shared<Window>(std::move(window))) {
    board_ = new BoardObject(window_, window_->board);
    counter_ = new CounterObject(window_, window_->counter);
}

Accessibility::~Accessibility() {
    // Clients may hold the objects longer than the window lives: from now on they answer that
    // they are no longer connected.
    window_->form = nullptr;
    for (IAccessible* object : {board_, counter_}) {
        CoDisconnectObject(object, 0);
        object->Release();
    }
}

LRESULT Accessibility::boardObject(WPARAM wParam, LPARAM lParam) {
    return handOut(board_, wParam, lParam);
}

LRESULT Accessibility::counterObject(WPARAM wParam, LPARAM lParam) {
    return handOut(counter_, wParam, lParam);
}

void Accessibility::announce(const Changes& changes) {
    const Form1& form = *window_->form;
    for (int k = 0; k < cellCount; ++k) {
        auto at = static_cast<std::size_t>(k);
        if (!changes.cells.test(at))
            continue;
        LONG child = k + 1;
        std::string now = cellText(form, k);
        if (now != names_[at]) {
            names_[at] = std::move(now);
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_->board, OBJID_CLIENT, child);
        }
        if (marked(form, k) != marked_.test(at)) {
            marked_.flip(at);
            NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_->board, OBJID_CLIENT, child);
            NotifyWinEvent(marked_.test(at) ? EVENT_OBJECT_SELECTIONADD
                                            : EVENT_OBJECT_SELECTIONREMOVE,
                           window_->board, OBJID_CLIENT, child);
        }
    }
    if (changes.numMoves && parWords(form) != parWords_) {
        parWords_ = parWords(form);
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window_->counter, OBJID_CLIENT,
                       CHILDID_SELF);
    }
}

} // namespace nudgeboard
