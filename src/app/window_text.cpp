#include "app/window_text.h"

#include "app/frm_principal_layout.h"

namespace kestrel {

std::u16string CaptionAsShown(std::u16string_view caption) {
    std::u16string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            ++i;
            if (i == caption.size()) {
                break;
            }
        }
        shown += caption[i];
    }
    return shown;
}

std::u16string WindowAsText(const WindowServices& services) {
    std::u16string text;
    for (const ControlDescription& control : FrmPrincipalControls()) {
        if (control.kind != ControlKind::TextBox) {
            continue;
        }
        text += CaptionAsShown(LabelOf(*control.box).caption);
        const std::u16string value = services.Text(*control.box);
        if (!value.empty()) {
            text += u' ';
            text += value;
        }
        text += kClipboardLineEnd;
    }
    return text;
}

}  // namespace kestrel
