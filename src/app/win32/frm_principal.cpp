#include "app/win32/frm_principal.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "app/win32/caption_fit.h"
#include "app/win32/dpi.h"
#include "app/win32/picture_box.h"
#include "app/win32/resource.h"
#include "app/win32/wide_text.h"

using kestrel::ControlDescription;
using kestrel::ControlKind;

namespace {

constexpr wchar_t kClassName[] = L"KestrelFrmPrincipal";
// Fixed size, minimisable, no maximise box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT_PTR kTimer1 = 1;
// Control ids follow the rows of the description, clear of IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Esc: no control of this window plays those roles.
constexpr int kFirstControlId = 100;

std::span<const ControlDescription> Rows() {
    return kestrel::FrmPrincipalControls();
}

std::size_t RowOf(const ControlDescription& control) {
    return std::size_t(&control - Rows().data());
}

// The window of a control that takes the focus comes in TabIndex order, which the dialog manager
// follows; each box comes straight after its label, which screen readers take as its name.
std::vector<const ControlDescription*> CreationOrder() {
    std::vector<const ControlDescription*> order;
    for (const ControlDescription* control : kestrel::FocusOrder()) {
        if (control->kind == ControlKind::TextBox) {
            order.push_back(&kestrel::LabelOf(*control->box));
        }
        order.push_back(control);
    }
    for (const ControlDescription& control : Rows()) {
        if (std::ranges::find(order, &control) == order.end()) {
            order.push_back(&control);
        }
    }
    return order;
}

HWND CreateControl(const ControlDescription& control, HWND container, int id) {
    const auto create = [&](const wchar_t* windowClass, DWORD style, DWORD exStyle = 0) {
        return CreateWindowExW(exStyle, windowClass, Wide(control.caption).c_str(),
                               WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, container,
                               reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                               nullptr);
    };
    switch (control.kind) {
        case ControlKind::CommandButton:
            return create(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON);
        case ControlKind::Label:
            // One line, however narrow: LayOut widens a label to its caption.
            return create(L"STATIC", SS_NOPREFIX | (control.box ? SS_RIGHT : SS_LEFTNOWORDWRAP));
        case ControlKind::TextBox:
            // Read-only, but selectable and copyable into a ticket. Wine's edit control draws
            // nothing of a long line of words and signs (a value of a few hundred characters) while
            // it hides the selection of an unfocused box; one that keeps it shown draws the line.
            return create(L"EDIT", WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL | ES_NOHIDESEL,
                          WS_EX_CLIENTEDGE);
        case ControlKind::PictureBox:
            return CreatePictureBox(container, id);
    }
    return nullptr;
}

// Where a label may grow at `dpi`: across its container (the window's client area, or the band it
// sits in), short of the box it names.
RECT RoomOfLabel(const ControlDescription& label, UINT dpi) {
    const int width = label.container.empty()
                          ? kestrel::kClientWidthTwips
                          : kestrel::FrmPrincipalControl(label.container).twips.width;
    RECT room{0, 0, TwipsToPixels(width, dpi), 0};
    if (label.box) {
        for (const ControlDescription& control : Rows()) {
            if (control.kind == ControlKind::TextBox && control.box == label.box) {
                room.right = PixelRect(control.twips, dpi).left - 1;
            }
        }
    }
    return room;
}

HICON LoadKestrelIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KESTREL),
                                         IMAGE_ICON, GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

}  // namespace

FrmPrincipal::FrmPrincipal(const DpiFunctions& dpiFunctions) : m_dpiFunctions(dpiFunctions) {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadKestrelIcon(SM_CXICON, SM_CYICON);
        windowClass.hIconSm = LoadKestrelIcon(SM_CXSMICON, SM_CYSMICON);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
    CreateWindowExW(0, kClassName, Wide(kestrel::kFrmPrincipalCaption).c_str(), kStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
}

FrmPrincipal::~FrmPrincipal() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        m_tooltips.reset();
        DestroyWindow(m_window);
    }
}

HWND FrmPrincipal::Control(std::string_view name) const {
    return m_controls.at(RowOf(kestrel::FrmPrincipalControl(name)));
}

HWND FrmPrincipal::Box(kestrel::TextBox box) const {
    for (const ControlDescription& control : Rows()) {
        if (control.kind == ControlKind::TextBox && control.box == box) {
            return m_controls.at(RowOf(control));
        }
    }
    return nullptr;
}

LRESULT CALLBACK FrmPrincipal::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<FrmPrincipal*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FrmPrincipal*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        HANDLE_MSG(window, WM_CREATE, self->OnCreate);
        HANDLE_MSG(window, WM_COMMAND, self->OnCommand);
        HANDLE_MSG(window, WM_SYSCOMMAND, self->OnSysCommand);
        HANDLE_MSG(window, WM_TIMER, self->OnTimer);
        HANDLE_MSG(window, WM_ACTIVATE, self->OnActivate);
        HANDLE_MSG(window, WM_CLOSE, self->OnClose);
        HANDLE_MSG(window, WM_CTLCOLORSTATIC, self->OnCtlColorStatic);
        case WM_DPICHANGED:
            self->OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL FrmPrincipal::OnCreate(HWND window, LPCREATESTRUCTW) {
    m_dpi = WindowDpi(window, m_dpiFunctions);
    m_tooltips = std::make_unique<BoxTooltips>(window);
    CreateControls();
    const HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, IDM_COPIAR_TUDO, L"Copiar tudo\tCtrl+Shift+C");
    LayOut(m_dpi);
    const SIZE frame = FrameSize(m_dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_focus = m_controls.at(RowOf(*kestrel::FocusOrder().front()));
    return TRUE;
}

void FrmPrincipal::CreateControls() {
    m_controls.assign(Rows().size(), nullptr);
    for (const ControlDescription* control : CreationOrder()) {
        const HWND container = control->container.empty() ? m_window : Control(control->container);
        const std::size_t row = RowOf(*control);
        m_controls[row] = CreateControl(*control, container, kFirstControlId + int(row));
        if (control->kind == ControlKind::TextBox) {
            m_tooltips->Add(m_controls[row]);
        }
    }
}

void FrmPrincipal::LayOut(UINT dpi) {
    m_dpi = dpi;
    const std::u16string_view face = DialogFontFace(dpi);
    // The fonts of the earlier dpi go only once no control uses them.
    Font regular = CreateDialogFont(face, false, dpi);
    Font bold = CreateDialogFont(face, true, dpi);
    for (const ControlDescription& control : Rows()) {
        const HWND handle = m_controls[RowOf(control)];
        SetWindowFont(handle, control.bold ? bold.get() : regular.get(), FALSE);
        RECT place = PixelRect(control.twips, dpi);
        if (control.kind == ControlKind::Label) {
            place = FitCaption(handle, place, control.box.has_value(), RoomOfLabel(control, dpi));
        }
        SetWindowPos(handle, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(handle, nullptr, TRUE);
    }
    m_regular = std::move(regular);
    m_bold = std::move(bold);
    m_tooltips->WrapAt(dpi);
}

SIZE FrmPrincipal::FrameSize(UINT dpi) const {
    const SIZE client{TwipsToPixels(kestrel::kClientWidthTwips, dpi),
                      TwipsToPixels(kestrel::kClientHeightTwips, dpi)};
    return ::FrameSize(client, kStyle, dpi, m_dpiFunctions);
}

void FrmPrincipal::Show(int showCommand) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    const SIZE frame = FrameSize(m_dpi);
    SetWindowPos(m_window, nullptr, area.left + (area.right - area.left - frame.cx) / 2,
                 area.top + (area.bottom - area.top - frame.cy) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
    if (GetActiveWindow() == m_window) {
        SetFocus(m_focus);
    }
}

void FrmPrincipal::SetTimer1Enabled(bool enabled) {
    if (enabled && !m_timer1Enabled) {
        SetTimer(m_window, kTimer1, kestrel::kTimer1IntervalMs, nullptr);
    } else if (!enabled && m_timer1Enabled) {
        KillTimer(m_window, kTimer1);
    }
    m_timer1Enabled = enabled;
}

void FrmPrincipal::SetBoxText(kestrel::TextBox box, std::u16string_view text) {
    const std::wstring shown = Wide(text);
    SetWindowTextW(Box(box), shown.c_str());
    m_tooltips->SetText(Box(box), shown);
}

void FrmPrincipal::EndProgram() {
    ExitProcess(0);
}

void FrmPrincipal::Run(kestrel::WindowCommand command) {
    if (m_handlers != nullptr) {
        m_handlers->Run(command);
        UpdateSystemMenu();
    }
}

void FrmPrincipal::UpdateSystemMenu() {
    EnableMenuItem(GetSystemMenu(m_window, FALSE), IDM_COPIAR_TUDO,
                   MF_BYCOMMAND | (m_handlers->WindowFilled() ? MF_ENABLED : MF_GRAYED));
}

// The shortcut comes as a command, the menu item as a system command.
void FrmPrincipal::OnSysCommand(HWND window, UINT command, int x, int y) {
    if ((command & 0xFFF0) == IDM_COPIAR_TUDO) {
        Run(kestrel::WindowCommand::CopiarTudo);
        return;
    }
    FORWARD_WM_SYSCOMMAND(window, command, x, y, DefWindowProcW);
}

void FrmPrincipal::OnCommand(HWND, int id, HWND, UINT code) {
    if (id == IDM_COPIAR_TUDO) {
        Run(kestrel::WindowCommand::CopiarTudo);
        return;
    }
    const std::size_t row = std::size_t(id - kFirstControlId);
    if (code == BN_CLICKED && id >= kFirstControlId && row < Rows().size() && Rows()[row].command) {
        Run(*Rows()[row].command);
    }
}

void FrmPrincipal::OnTimer(HWND, UINT id) {
    if (id == kTimer1) {
        Run(kestrel::WindowCommand::Timer1);
    }
}

// A window that is not a dialog box keeps its focus through activation itself: the focus goes
// back to the control that had it, not to the window.
void FrmPrincipal::OnActivate(HWND window, UINT state, HWND, BOOL minimized) {
    if (state == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) {
            m_focus = focus;
        }
    } else if (!minimized) {
        SetFocus(m_focus);
    }
}

// Closing the window ends the program as "&Fechar" does: it is the program's only window.
void FrmPrincipal::OnClose(HWND) {
    EndProgram();
}

// Read-only boxes keep the look of a value box rather than of a disabled one.
HBRUSH FrmPrincipal::OnCtlColorStatic(HWND window, HDC dc, HWND control, int) {
    const auto isBox = [&](const ControlDescription& row) {
        return row.kind == ControlKind::TextBox && m_controls[RowOf(row)] == control;
    };
    if (std::ranges::any_of(Rows(), isBox)) {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    return FORWARD_WM_CTLCOLORSTATIC(window, dc, control, DefWindowProcW);
}

void FrmPrincipal::OnDpiChanged(UINT dpi, const RECT& suggested) {
    LayOut(dpi);
    const SIZE frame = FrameSize(dpi);
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, frame.cx, frame.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
