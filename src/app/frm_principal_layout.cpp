#include "app/frm_principal_layout.h"

#include <algorithm>
#include <stdexcept>

#include "base/maker_contact.h"

namespace kestrel {
namespace {

constexpr ControlKind kButton = ControlKind::CommandButton;
constexpr ControlKind kLabel = ControlKind::Label;
constexpr ControlKind kBox = ControlKind::TextBox;
constexpr ControlKind kPicture = ControlKind::PictureBox;
constexpr bool kBold = true;
constexpr bool kRegular = false;
constexpr std::nullopt_t kNoBox = std::nullopt;
constexpr std::string_view kInWindow = {};

const std::u16string kFooterText =
    std::u16string(u"Quintara 2015 - ") + maker::kWebSite + u" - " + maker::kSupportEmail;

// Each label ends at x = 2250, 90 twips left of its box, and sits 60 twips below the box's top
// (45 for Label9).
// clang-format off
const ControlDescription kControls[] = {
    // kind    name                    caption                         left   top width height tab font   the box it is or names; a button's container and command
    {kButton,  "cmdQuintara",          u"Ler Quintara...",            {1110,  120, 2145,  435}, 15, kBold,    kNoBox, kInWindow, WindowCommand::cmdQuintara},
    {kButton,  "cmdNovaConexao",       u"Ler Nova Conexão...",        {3855,  120, 2145,  435}, 16, kBold,    kNoBox, kInWindow, WindowCommand::cmdNovaConexao},
    {kLabel,   "Label2",               u"Servidor:",                  {1620,  825,  630,  195}, 1,  kRegular, TextBox::txtServidor},
    {kBox,     "txtServidor",          u"",                           {2340,  765, 4110,  315}, 2,  kRegular, TextBox::txtServidor},
    {kLabel,   "Label1",               u"Versão do SQL Server:",      { 615, 1245, 1635,  195}, 0,  kRegular, TextBox::txtVersao},
    {kBox,     "txtVersao",            u"",                           {2340, 1185, 4110,  315}, 3,  kRegular, TextBox::txtVersao},
    {kLabel,   "Label3",               u"Nível do SQL Server:",       { 720, 1680, 1530,  195}, 5,  kRegular, TextBox::txtNivel},
    {kBox,     "txtNivel",             u"",                           {2340, 1620, 4110,  315}, 4,  kRegular, TextBox::txtNivel},
    {kLabel,   "Label4",               u"Edição do SQL Server:",      { 615, 2100, 1635,  195}, 7,  kRegular, TextBox::txtEdicao},
    {kBox,     "txtEdicao",            u"",                           {2340, 2040, 4110,  315}, 6,  kRegular, TextBox::txtEdicao},
    {kLabel,   "Label8",               u"Edição:",                    {1710, 2505,  540,  195}, 18, kRegular, TextBox::txtEngineEdition},
    {kBox,     "txtEngineEdition",     u"",                           {2340, 2445, 4110,  315}, 17, kRegular, TextBox::txtEngineEdition},
    {kLabel,   "Label5",               u"Nome do Banco de Dados:",    { 315, 2910, 1935,  195}, 9,  kRegular, TextBox::txtBancoDados},
    {kBox,     "txtBancoDados",        u"",                           {2340, 2850, 4110,  315}, 8,  kRegular, TextBox::txtBancoDados},
    {kLabel,   "Label6",               u"Tamanho do Banco de Dados:", {  60, 3330, 2190,  195}, 11, kRegular, TextBox::txtTamanhoBancoDados},
    {kBox,     "txtTamanhoBancoDados", u"",                           {2340, 3270, 4110,  315}, 10, kRegular, TextBox::txtTamanhoBancoDados},
    {kLabel,   "Label9",               u"Local Banco:",               {1305, 3705,  945,  195}, 19, kRegular, TextBox::txtLocalBD},
    {kBox,     "txtLocalBD",           u"",                           {2340, 3660, 4110,  315}, 20, kRegular, TextBox::txtLocalBD},
    {kButton,  "Command1",             u"&Fechar",                    {5550, 4185, 1290,  405}, 12, kRegular, kNoBox, kInWindow, WindowCommand::Command1},
    {kPicture, "Picture1",             u"",                           {   0, 4695, 7110,  360}, 13, kRegular},
    {kLabel,   "Label7",               kFooterText,                   {  45,   60, 6465,  195}, 14, kBold, std::nullopt, "Picture1"},
};
// clang-format on

}  // namespace

std::span<const ControlDescription> FrmPrincipalControls() {
    return kControls;
}

const ControlDescription& FrmPrincipalControl(std::string_view name) {
    for (const ControlDescription& control : kControls) {
        if (control.name == name) {
            return control;
        }
    }
    throw std::out_of_range("frmPrincipal has no control named " + std::string(name));
}

bool TakesFocus(const ControlDescription& control) {
    return control.kind == ControlKind::CommandButton || control.kind == ControlKind::TextBox;
}

std::vector<const ControlDescription*> FocusOrder() {
    std::vector<const ControlDescription*> order;
    for (const ControlDescription& control : kControls) {
        if (TakesFocus(control)) {
            order.push_back(&control);
        }
    }
    std::ranges::sort(order, {}, &ControlDescription::tabIndex);
    return order;
}

const ControlDescription& LabelOf(TextBox box) {
    for (const ControlDescription& control : kControls) {
        if (control.kind == ControlKind::Label && control.box == box) {
            return control;
        }
    }
    throw std::out_of_range("a text box of frmPrincipal has no label");
}

}  // namespace kestrel
