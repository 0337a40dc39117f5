#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/window_services.h"

// frmPrincipal as data: its controls, captions and places. The Qt window and the Win32 window are
// both built from it, so that the layout is written once.
namespace kestrel {

enum class ControlKind { CommandButton, Label, TextBox, PictureBox };

// What the user (or another program, or a screen reader) can ask of the window: each button's
// click, Timer1's tick and "Copiar tudo".
enum class WindowCommand { cmdQuintara, cmdNovaConexao, Command1, Timer1, CopiarTudo };

// In twips (1/1440 inch; 15 make a pixel at 96 dpi), relative to the client area of the container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ControlDescription {
    ControlKind kind;
    std::string_view name;
    std::u16string caption;
    TwipsRect twips;
    int tabIndex;
    bool bold;
    // A text box: which one. A label: the box it names, for screen readers too; such a label ends
    // next to its box, so its caption is right-aligned.
    std::optional<TextBox> box = std::nullopt;
    // The control it sits in; empty for the window's client area.
    std::string_view container = {};
    // A button: the command its click gives.
    std::optional<WindowCommand> command = std::nullopt;
};

inline constexpr std::u16string_view kFrmPrincipalCaption = u"Kestrel - Versão 5.5/2015";
inline constexpr int kClientWidthTwips = 7110;
inline constexpr int kClientHeightTwips = 5055;
inline constexpr int kTimer1IntervalMs = 600;

// The classic dialog font the layout was made for: "MS Sans Serif" 8.25 pt, bold being weight 700.
inline constexpr std::u16string_view kDialogFontFamily = u"MS Sans Serif";
// Its TrueType twin, on every Windows since 2000: the same metrics at every size and dpi.
inline constexpr std::u16string_view kDialogFontTrueTypeFamily = u"Microsoft Sans Serif";
inline constexpr int kDialogFontHundredthsOfPoint = 825;
inline constexpr int kBoldWeight = 700;

// Every control but Timer1, top to bottom.
std::span<const ControlDescription> FrmPrincipalControls();

const ControlDescription& FrmPrincipalControl(std::string_view name);

// Buttons and boxes take the focus; labels and the footer band do not.
bool TakesFocus(const ControlDescription& control);

// The controls that take the focus, in TabIndex order.
std::vector<const ControlDescription*> FocusOrder();

// The label that names `box`.
const ControlDescription& LabelOf(TextBox box);

}  // namespace kestrel
