#pragma once

#include <string>

namespace kestrel {

// The value boxes of frmPrincipal that the handlers write.
enum class TextBox {
    txtServidor,
    txtVersao,
    txtNivel,
    txtEdicao,
    txtEngineEdition,
    txtBancoDados,
    txtTamanhoBancoDados,
    txtLocalBD,
};

// Values are those of the classic run-time, which support staff still quote.
enum class MousePointer { Default = 0, Busy = 11 };

enum class MessageIcon { None = 0, Information = 64 };

// What the handlers ask of the windowing run-time. Each view implements it over its real window;
// tests use a recording implementation.
class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Modal, OK button only, under the program's title; returns once the user has closed it.
    virtual void ShowMessage(const std::u16string& text, MessageIcon icon) = 0;
    // Applies to the whole program and stays until set again.
    virtual void SetMousePointer(MousePointer pointer) = 0;
    // Ends the program; the caller must return at once and run no further step.
    virtual void EndProgram() = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
    virtual void SetText(TextBox box, const std::u16string& text) = 0;
    virtual std::u16string Text(TextBox box) const = 0;
    // Puts `text` on the clipboard, in place of what it held.
    virtual void CopyToClipboard(const std::u16string& text) = 0;
};

}  // namespace kestrel
