#include "ui/win32/win32_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_file.h"
#include "platform/wide_text.h"
#include "text/conventions.h"
#include "ui/app_identity.h"
#include "ui/date_mask.h"
#include "ui/day_spinner.h"
#include "ui/font_fit.h"
#include "ui/form_behaviour.h"
#include "ui/form_layout.h"
#include "ui/win32/win32_clipboard.h"
#include "ui/win32/win32_desktop.h"

namespace celestra {
namespace {

constexpr const wchar_t* kWindowClass = L"MainWindow";

// Control identifiers: 100 and up in the layout's order, clear of IDOK and
// IDCANCEL, which a dialog-style Enter or Escape would send (no button of
// the window is its default or cancel button).
constexpr int kFirstControlId = 100;

constexpr int IdOf(const ControlLayout& layout) {
    int id = kFirstControlId;
    for (const ControlLayout& control : kFormControls) {
        if (std::string_view(control.name) == layout.name) return id;
        ++id;
    }
    return 0;
}

constexpr int kCometFileButton = IdOf(kCometFileButtonLayout);
constexpr int kObjectFileButton = IdOf(kObjectFileButtonLayout);
constexpr int kCometPathField = IdOf(kCometPathFieldLayout);
constexpr int kObjectPathField = IdOf(kObjectPathFieldLayout);
constexpr int kProcessButton = IdOf(kProcessButtonLayout);
constexpr int kDateField = IdOf(kDateFieldLayout);
constexpr int kTodayButton = IdOf(kTodayButtonLayout);
constexpr int kPreciseBox = IdOf(kPreciseBoxLayout);
constexpr int kDaySpinner = IdOf(kDaySpinnerLayout);

// Posted once the focus has left the date field, so that its checks run
// after the focus change is complete; and after a spinner step.
constexpr UINT kLeaveDateMessage = WM_APP + 1;
constexpr UINT kSpinnerClickMessage = WM_APP + 2;

const wchar_t* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::kButton:
        case ControlKind::kCheckBox: return L"BUTTON";
        case ControlKind::kPathField:
        case ControlKind::kDateField: return L"EDIT";
        case ControlKind::kSpinner: return UPDOWN_CLASSW;
        case ControlKind::kLabel: return L"STATIC";
    }
    return L"STATIC";
}

DWORD StyleOf(const ControlLayout& layout) {
    DWORD style = WS_CHILD | WS_VISIBLE | (layout.tabStop ? WS_TABSTOP : 0);
    switch (layout.kind) {
        case ControlKind::kButton: return style | BS_PUSHBUTTON;
        case ControlKind::kCheckBox: return style | BS_AUTOCHECKBOX;
        case ControlKind::kPathField: return style | ES_AUTOHSCROLL;
        case ControlKind::kDateField: return style;
        case ControlKind::kSpinner: return style | UDS_NOTHOUSANDS;
        case ControlKind::kLabel: return style | SS_LEFT;
    }
    return style;
}

bool IsEdit(ControlKind kind) { return kind == ControlKind::kPathField || kind == ControlKind::kDateField; }

// Texts are UTF-8 inside the program and UTF-16 for the system: a name in
// any script passes, whatever the ANSI code page.
std::string WindowText(HWND control) {
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return Utf8Text(std::wstring_view(text.data(), static_cast<std::size_t>(length > 0 ? length : 0)));
}

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, WideText(text).c_str()); }

HFONT MakeFont(const wchar_t* face, int pixelSize) {
    return CreateFontW(-pixelSize, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// The dots per inch of the monitor a window is on. Windows before 10
// (version 1607), and Wine before it learnt the call, have no
// GetDpiForWindow: the layout's own 96 then, as those systems scale
// nothing per monitor. The same for the metrics and the frame.
int DpiOf(HWND window) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi != nullptr && window != nullptr ? getDpi(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : kLayoutDpi;
}

int SystemMetric(int index, int dpi) {
    using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi != nullptr ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

void AdjustFrame(RECT& frame, DWORD style, int dpi) {
    using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto forDpi = reinterpret_cast<AdjustWindowRectExForDpiCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (forDpi == nullptr || !forDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi))) {
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
}

// The widest of the texts in a font, in pixels.
int TextWidth(HWND control, HFONT font, const std::vector<std::string>& texts) {
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, font);
    int widest = 0;
    for (const std::string& text : texts) {
        SIZE size{};
        const std::wstring wide = WideText(text);
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        if (size.cx > widest) widest = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return widest;
}

// An edit control's margins, fixed so that its room does not depend on the
// font (with the font's own margins an edit scrolls its text sooner).
constexpr int kEditMarginPixels = 1;
// The caret after the last character, and the pixel the edit keeps free
// beside it before it scrolls.
constexpr int kCaretPixels = 2;

// The gap between a check box's box and its caption.
constexpr int kCheckBoxGapPixels = 4;

// The room a control gives its text: the client area less an edit's
// margins and caret, a button's frame, or a check box's box and gap.
int TextRoom(HWND control, ControlKind kind, int dpi) {
    RECT client{};
    GetClientRect(control, &client);
    int room = client.right - client.left;
    if (IsEdit(kind)) {
        room -= 2 * ScaledPixels(kEditMarginPixels, dpi) + ScaledPixels(kCaretPixels, dpi);
    } else if (kind == ControlKind::kButton) {
        room -= 2 * (SystemMetric(SM_CXEDGE, dpi) + ScaledPixels(2, dpi));
    } else if (kind == ControlKind::kCheckBox) {
        room -= SystemMetric(SM_CXMENUCHECK, dpi) + ScaledPixels(kCheckBoxGapPixels, dpi);
    }
    return room;
}

void SetEditMargins(HWND edit, int dpi) {
    const int margin = ScaledPixels(kEditMarginPixels, dpi);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

class Win32Form final : private FormControls, private DateKeyTarget {
public:
    Win32Form(HINSTANCE instance, Win32Desktop& desktop) : instance_(instance), desktop_(desktop) {
        behaviour_.emplace(desktop, static_cast<FormControls&>(*this));
    }

    ~Win32Form() {
        for (HFONT font : fonts_) DeleteObject(font);
    }

    bool Create(const std::string& executablePath) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Win32Form::WindowProc;
        windowClass.hInstance = instance_;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        windowClass.hIcon = LoadIconW(instance_, L"APPICON");
        RegisterClassExW(&windowClass);

        // Made at the layout's size, then sized for its monitor's DPI once
        // it is known, still hidden.
        RECT frame = FrameAt(kLayoutDpi);
        const std::wstring caption = WideText(kFormCaption);
        window_ =
            CreateWindowExW(0, kWindowClass, caption.c_str(), kWindowStyle, frame.left, frame.top,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
        if (window_ == nullptr) return false;
        dpi_ = DpiOf(window_);
        if (dpi_ != kLayoutDpi) {
            frame = FrameAt(dpi_);
            SetWindowPos(window_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        desktop_.SetWindow(window_);
        CreateControls();
        behaviour_->Start(executablePath);
        lastFocus_ = Control(IdOf(StartFocusControl()));
        SetFocus(lastFocus_);
        return true;
    }

    HWND Window() const { return window_; }

private:
    static constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

    // The window's frame for the client size at that DPI, in the middle of
    // the work area.
    static RECT FrameAt(int dpi) {
        RECT frame{0, 0, ScaledPixels(kFormClientWidth, dpi), ScaledPixels(kFormClientHeight, dpi)};
        AdjustFrame(frame, kWindowStyle, dpi);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int left = work.left + (work.right - work.left - width) / 2;
        const int top = work.top + (work.bottom - work.top - height) / 2;
        return {left, top, left + width, top + height};
    }

    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // In the layout's order, which is the tab order: IsDialogMessage moves
    // the focus between the WS_TABSTOP controls in the order they were made.
    void CreateControls() {
        int id = kFirstControlId;
        for (const ControlLayout& unscaled : kFormControls) {
            const ControlLayout layout = ScaledLayout(unscaled, dpi_);
            const std::wstring text = WideText(layout.text);
            HWND control =
                CreateWindowExW(IsEdit(layout.kind) ? WS_EX_CLIENTEDGE : 0, ClassOf(layout.kind), text.c_str(),
                                StyleOf(layout), layout.left, layout.top, layout.width, layout.height, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance_, nullptr);
            if (IsEdit(layout.kind)) SetEditMargins(control, dpi_);
            if (layout.kind == ControlKind::kSpinner) {
                // Wine's up-down control takes the scroll bar's width when
                // made, whatever the scale; the layout's, as on Windows.
                SetWindowPos(control, nullptr, 0, 0, layout.width, layout.height,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                SendMessageW(control, UDM_SETRANGE32, SpinnerPosition::kMin, SpinnerPosition::kMax);
                SendMessageW(control, UDM_SETPOS32, 0, SpinnerPosition::kStart);
            }
        }
        mask_.emplace(Conventions().dateSeparator);
        HWND date = Control(kDateField);
        SetWindowLongPtrW(date, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        dateProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(date, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Form::DateProc)));
        // Files dropped from Explorer on a path field go to that field (and
        // only there: the system shows a drop anywhere else as refused).
        for (const int fieldId : {kCometPathField, kObjectPathField}) {
            HWND field = Control(fieldId);
            DragAcceptFiles(field, TRUE);
            SetWindowLongPtrW(field, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            pathProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Form::PathFieldProc)));
        }
        FitFonts();
        RenderDate();
    }

    // Moved to another monitor, or the scale changed: the layout at the new
    // DPI, in the frame the system proposes.
    void ChangeDpi(int dpi, const RECT& suggested) {
        dpi_ = dpi;
        SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        int id = kFirstControlId;
        for (const ControlLayout& unscaled : kFormControls) {
            const ControlLayout layout = ScaledLayout(unscaled, dpi_);
            SetWindowPos(Control(id++), nullptr, layout.left, layout.top, layout.width, layout.height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        FitFonts();
        RenderDate();
        InvalidateRect(window_, nullptr, TRUE);
    }

    // "MS Sans Serif" at the layout's size where it fits; otherwise the
    // largest size that does, measured with the font really made.
    void FitFonts() {
        std::vector<HFONT> previous;
        previous.swap(fonts_);
        int id = kFirstControlId;
        for (const ControlLayout& unscaled : kFormControls) {
            const ControlLayout layout = ScaledLayout(unscaled, dpi_);
            HWND control = Control(id++);
            if (layout.kind == ControlKind::kSpinner) continue;
            std::vector<std::string> texts;
            if (layout.kind == ControlKind::kDateField) texts = DateFieldWidestTexts(Conventions().dateSeparator);
            if (layout.kind == ControlKind::kButton || layout.kind == ControlKind::kLabel ||
                layout.kind == ControlKind::kCheckBox) {
                texts = {layout.text};
            }
            const int room = TextRoom(control, layout.kind, dpi_);
            const int size = FittingPixelSize(layout.pixelSize, room, [&](int pixelSize) {
                HFONT trial = MakeFont(L"MS Sans Serif", pixelSize);
                const int width = texts.empty() ? 0 : TextWidth(control, trial, texts);
                DeleteObject(trial);
                return width;
            });
            HFONT font = MakeFont(L"MS Sans Serif", size);
            fonts_.push_back(font);
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (IsEdit(layout.kind)) SetEditMargins(control, dpi_);  // a new font resets the margins
        }
        for (HFONT font : previous) DeleteObject(font);  // no control uses them any more
    }

    // FormControls
    std::string CometPath() const override { return WindowText(Control(kCometPathField)); }
    void SetCometPath(const std::string& path) override { SetText(Control(kCometPathField), path); }
    std::string ObjectPath() const override { return WindowText(Control(kObjectPathField)); }
    void SetObjectPath(const std::string& path) override { SetText(Control(kObjectPathField), path); }
    std::string DateText() const override { return mask_->Text(); }
    void SetDateText(const std::string& text) override {
        mask_->SetProgramText(text);
        RenderDate();
    }
    bool DateMaskIncomplete() const override { return mask_->FailsMaskCheck(); }
    bool Precise() const override { return SendMessageW(Control(kPreciseBox), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetPrecise(bool ticked) override {
        SendMessageW(Control(kPreciseBox), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void ReturnFocusToDate() override {
        HWND date = Control(kDateField);
        if (mask_->ReturnFocus(GetFocus() == date)) SetFocus(date);
        RenderDate();
    }

    void RenderDate() {
        HWND date = Control(kDateField);
        if (date == nullptr) return;
        SetText(date, mask_->DisplayText());
        SendMessageW(date, EM_SETSEL, static_cast<WPARAM>(mask_->Anchor()), static_cast<LPARAM>(mask_->Cursor()));
    }

    void TakeMouseSelection(HWND date) {
        DWORD start = 0, end = 0;
        SendMessageW(date, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        mask_->SetSelection(static_cast<int>(start), static_cast<int>(end));
    }

    static bool ShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

    std::string ClipboardText() override { return celestra::ClipboardText(window_); }
    void SetClipboardText(const std::string& text) override { PutOnClipboard(window_, text); }
    void Enter() override { behaviour_->DateFieldEnter(); }

    // The key of a WM_KEYDOWN the date field takes there; the rest arrive
    // as WM_CHAR.
    static std::optional<DateKey> DateKeyOfVirtualKey(WPARAM virtualKey) {
        switch (virtualKey) {
            case VK_LEFT: return DateKey::kLeft;
            case VK_RIGHT: return DateKey::kRight;
            case VK_HOME: return DateKey::kHome;
            case VK_END: return DateKey::kEnd;
            case VK_UP: return DateKey::kUp;
            case VK_DOWN: return DateKey::kDown;
            case VK_DELETE: return DateKey::kDelete;
            case VK_INSERT: return DateKey::kInsert;
            default: return std::nullopt;
        }
    }

    // The key of a WM_CHAR control character: Enter, Escape, Backspace and
    // Ctrl with A, C, X or V.
    static std::optional<DateKey> DateKeyOfControlCharacter(char c) {
        switch (c) {
            case '\r': return DateKey::kEnter;
            case '\x1b': return DateKey::kEscape;
            case '\b': return DateKey::kBackspace;
            case '\x01': return DateKey::kA;
            case '\x03': return DateKey::kC;
            case '\x18': return DateKey::kX;
            case '\x16': return DateKey::kV;
            default: return std::nullopt;
        }
    }

    bool PressDateKeyHeld(DateKey key) {
        return PressDateKey(*mask_, *this, key, ShiftHeld(), (GetKeyState(VK_CONTROL) & 0x8000) != 0);
    }

    // The date field: every key, clipboard action and mouse placement goes
    // to the mask; the edit control only shows it.
    LRESULT DateMessage(HWND date, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_GETDLGCODE: {
                const auto* msg = reinterpret_cast<const MSG*>(lParam);
                const bool enterOrEscape = msg != nullptr && msg->message == WM_KEYDOWN &&
                                           (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
                return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | (enterOrEscape ? DLGC_WANTMESSAGE : 0);
            }
            case WM_KEYDOWN: {
                const std::optional<DateKey> key = DateKeyOfVirtualKey(wParam);
                if (!key || !PressDateKeyHeld(*key)) return CallWindowProcW(dateProc_, date, message, wParam, lParam);
                RenderDate();
                return 0;
            }
            case WM_CHAR: {
                // A UTF-16 unit: no date character lies outside ASCII, so
                // any other is refused (once for a pair of surrogates).
                if (wParam > 0x7F) {
                    if (wParam < 0xDC00 || wParam > 0xDFFF) desktop_.Beep();
                    return 0;
                }
                const char c = static_cast<char>(wParam);
                if (const std::optional<DateKey> key = DateKeyOfControlCharacter(c)) {
                    // Ctrl+A, C, X and V arrive as control characters.
                    PressDateKey(*mask_, *this, *key, false, true);
                } else if (static_cast<unsigned char>(c) < 0x20) {
                    return 0;
                } else if (!mask_->Type(c)) {
                    desktop_.Beep();
                }
                RenderDate();
                return 0;
            }
            case WM_PASTE:
            case WM_CUT:
            case WM_COPY:
                // The edit menu's and other programs' requests: as Ctrl+V, X, C.
                PressDateKey(*mask_, *this,
                             message == WM_PASTE ? DateKey::kV
                             : message == WM_CUT ? DateKey::kX
                                                 : DateKey::kC,
                             false, true);
                RenderDate();
                return 0;
            case WM_CLEAR:
            case WM_CONTEXTMENU:
            case WM_IME_CHAR:
            case WM_UNICHAR:
            case WM_UNDO:
            case EM_UNDO: return 0;  // text arrives only as WM_CHAR, through the mask
            case WM_SETFOCUS: {
                const LRESULT result = CallWindowProcW(dateProc_, date, message, wParam, lParam);
                // From another control of the window, unless the window is
                // becoming active again (after a box, or switching programs).
                const HWND previous = reinterpret_cast<HWND>(wParam);
                const bool fromOwnControl = previous != nullptr && GetParent(previous) == window_;
                mask_->FocusIn(fromOwnControl && !windowReturning_);
                RenderDate();
                return result;
            }
            case WM_KILLFOCUS: {
                // Only a move to another control of the window leaves the
                // field; a box or another program taking the focus does not.
                const HWND next = reinterpret_cast<HWND>(wParam);
                if (next != nullptr && GetParent(next) == window_) PostMessageW(window_, kLeaveDateMessage, 0, 0);
                break;
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_MOUSEMOVE: {
                // A click that brings the focus in takes it first, so that
                // the field's selecting all on entry comes before the click
                // places the cursor (the edit itself places it first).
                if (message == WM_LBUTTONDOWN && GetFocus() != date) SetFocus(date);
                const LRESULT result = CallWindowProcW(dateProc_, date, message, wParam, lParam);
                if (message != WM_MOUSEMOVE || (wParam & MK_LBUTTON) != 0) TakeMouseSelection(date);
                return result;
            }
            default: break;
        }
        return CallWindowProcW(dateProc_, date, message, wParam, lParam);
    }

    // The files of a drop on a path field, by their full paths (the form
    // the file dialog gives), to the behaviour, which takes the first.
    void DropFiles(int fieldId, HDROP drop) {
        std::vector<DroppedItem> items;
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::vector<wchar_t> path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            const UINT length = DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
            items.push_back({Utf8Text(std::wstring_view(path.data(), length)), true});
        }
        DragFinish(drop);
        if (fieldId == kCometPathField) {
            behaviour_->DropOnCometField(items);
        } else {
            behaviour_->DropOnObjectField(items);
        }
    }

    // A button pressed while the date field refused to let the focus go
    // does not act.
    bool DateFieldHoldsTheFocus() const {
        return GetFocus() == Control(kDateField) && behaviour_->DateFieldRefusesToLeave();
    }

    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                if (HIWORD(wParam) == BN_CLICKED && !DateFieldHoldsTheFocus()) {
                    switch (LOWORD(wParam)) {
                        case kCometFileButton: behaviour_->PickCometFile(); break;
                        case kObjectFileButton: behaviour_->PickObjectFile(); break;
                        case kProcessButton: behaviour_->Process(); break;
                        case kTodayButton: behaviour_->SetToday(); break;
                        default: break;
                    }
                }
                return 0;
            case WM_NOTIFY: {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (header->idFrom == kDaySpinner && header->code == UDN_DELTAPOS) {
                    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
                    const bool up = change->iDelta > 0;
                    // Reported only when the position moved; no wrap.
                    if (spinner_.Step(up)) {
                        PostMessageW(window_, kSpinnerClickMessage, up ? 1 : 0, 0);
                        return 0;
                    }
                    return 1;
                }
                return 0;
            }
            case kSpinnerClickMessage: behaviour_->StepDay(wParam != 0); return 0;
            case kLeaveDateMessage:
                if (GetFocus() != Control(kDateField)) behaviour_->LeaveDateField();
                return 0;
            case WM_ACTIVATE:
                // Back to the control that had the focus when the window was
                // left (for a box, a dialog or another program).
                if (LOWORD(wParam) == WA_INACTIVE) {
                    const HWND focus = GetFocus();
                    if (focus != nullptr && GetParent(focus) == window_) lastFocus_ = focus;
                } else if (HIWORD(wParam) == 0 && lastFocus_ != nullptr && IsWindow(lastFocus_)) {  // not minimised
                    windowReturning_ = true;  // the date field does not count this as taking the focus
                    SetFocus(lastFocus_);
                    windowReturning_ = false;
                    return 0;
                }
                return DefWindowProcW(window_, message, wParam, lParam);
            case WM_CLOSE:
                behaviour_->Close();
                DestroyWindow(window_);
                return 0;
            case WM_DPICHANGED: ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
            case WM_DESTROY: PostQuitMessage(0); return 0;
            default: return DefWindowProcW(window_, message, wParam, lParam);
        }
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* form = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            form->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        }
        auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (form == nullptr || form->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
        return form->Message(message, wParam, lParam);
    }

    static LRESULT CALLBACK DateProc(HWND date, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(date, GWLP_USERDATA));
        return form->DateMessage(date, message, wParam, lParam);
    }

    // The path fields: a drop to the behaviour, everything else to the edit.
    static LRESULT CALLBACK PathFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(field, GWLP_USERDATA));
        if (message != WM_DROPFILES) return CallWindowProcW(form->pathProc_, field, message, wParam, lParam);
        form->DropFiles(GetDlgCtrlID(field), reinterpret_cast<HDROP>(wParam));
        return 0;
    }

    HINSTANCE instance_;
    Win32Desktop& desktop_;
    std::optional<FormBehaviour> behaviour_;
    std::optional<DateMask> mask_;
    SpinnerPosition spinner_;
    HWND window_ = nullptr;
    int dpi_ = kLayoutDpi;  // the monitor's, which the layout is scaled to
    WNDPROC dateProc_ = nullptr;
    WNDPROC pathProc_ = nullptr;  // the edit class's own, which both path fields had
    std::vector<HFONT> fonts_;
    HWND lastFocus_ = nullptr;  // the control with the focus when the window was last left
    bool windowReturning_ = false;
};

}  // namespace

int RunWin32Window(HINSTANCE instance, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const std::string executablePath = ExecutablePath(nullptr);
    Win32Desktop desktop(ApplicationTitle(executablePath));
    Win32Form form(instance, desktop);
    if (!form.Create(executablePath)) return 1;
    ShowWindow(form.Window(), showCommand);
    UpdateWindow(form.Window());

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and Shift+Tab between the controls, as in a dialog.
        if (IsDialogMessageW(form.Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace celestra
