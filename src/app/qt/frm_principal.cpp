#include "app/qt/frm_principal.h"

#include <QFont>
#include <QFontMetrics>

#include "base/maker_contact.h"
#include "app/qt/qstring_conversion.h"
#include "app/qt/twips.h"

using kestrel::TextBox;

namespace {

// "MS Sans Serif" 8.25 pt is 11 pixels at 96 dpi. A pixel size keeps the captions inside their
// controls whatever dpi the display reports; where the family is missing, Arial's metrics fit.
QFont DialogFont(bool bold) {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

// A stand-in font may be a little wider than the one the layout was made for: tighten the letters
// of a caption that would not fit its label rather than clip it.
void FitCaption(QLabel* label) {
    QFont font = label->font();
    for (qreal spacing = 100; spacing >= 85; spacing -= 1) {
        font.setLetterSpacing(QFont::PercentageSpacing, spacing);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= label->width()) {
            break;
        }
    }
    label->setFont(font);
}

constexpr int kBoxLeft = 2340;
constexpr int kBoxWidth = 4110;
constexpr int kBoxHeight = 315;
constexpr int kLabelHeight = 195;

}  // namespace

FrmPrincipal::FrmPrincipal(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(QStringLiteral("Kestrel - Versão 5.5/2015"));
    setFixedSize(Twips(7110), Twips(5055));
    setFont(DialogFont(false));

    auto makeButton = [this](const char* name, const QString& caption, QRect twips, bool bold) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(Twips(twips.x()), Twips(twips.y()), Twips(twips.width()),
                            Twips(twips.height()));
        button->setAutoDefault(false);
        if (bold) {
            button->setFont(DialogFont(true));
        }
        return button;
    };
    cmdQuintara =
        makeButton("cmdQuintara", QStringLiteral("Ler Quintara..."), {1110, 120, 2145, 435}, true);
    cmdNovaConexao = makeButton("cmdNovaConexao", QStringLiteral("Ler Nova Conexão..."),
                                {3855, 120, 2145, 435}, true);

    m_boxes[int(TextBox::txtServidor)] =
        addValueRow("Label2", QStringLiteral("Servidor:"), "txtServidor", 1620, 630, 765, 60);
    m_boxes[int(TextBox::txtVersao)] = addValueRow(
        "Label1", QStringLiteral("Versão do SQL Server:"), "txtVersao", 615, 1635, 1185, 60);
    m_boxes[int(TextBox::txtNivel)] = addValueRow("Label3", QStringLiteral("Nível do SQL Server:"),
                                                  "txtNivel", 720, 1530, 1620, 60);
    m_boxes[int(TextBox::txtEdicao)] = addValueRow(
        "Label4", QStringLiteral("Edição do SQL Server:"), "txtEdicao", 615, 1635, 2040, 60);
    m_boxes[int(TextBox::txtEngineEdition)] =
        addValueRow("Label8", QStringLiteral("Edição:"), "txtEngineEdition", 1710, 540, 2445, 60);
    m_boxes[int(TextBox::txtBancoDados)] = addValueRow(
        "Label5", QStringLiteral("Nome do Banco de Dados:"), "txtBancoDados", 315, 1935, 2850, 60);
    m_boxes[int(TextBox::txtTamanhoBancoDados)] =
        addValueRow("Label6", QStringLiteral("Tamanho do Banco de Dados:"), "txtTamanhoBancoDados",
                    60, 2190, 3270, 60);
    m_boxes[int(TextBox::txtLocalBD)] =
        addValueRow("Label9", QStringLiteral("Local Banco:"), "txtLocalBD", 1305, 945, 3660, 45);

    Command1 = makeButton("Command1", QStringLiteral("&Fechar"), {5550, 4185, 1290, 405}, false);

    auto* picture1 = new QFrame(this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setGeometry(0, Twips(4695), Twips(7110), Twips(360));
    picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* label7 = new QLabel(ToQString(u"Quintara 2015 - ") + ToQString(kestrel::maker::kWebSite) +
                                  ToQString(u" - ") + ToQString(kestrel::maker::kSupportEmail),
                              picture1);
    label7->setObjectName(QStringLiteral("Label7"));
    label7->setGeometry(Twips(45), Twips(60), Twips(6465), Twips(195));
    label7->setFont(DialogFont(true));
    FitCaption(label7);

    // Keyboard order of the controls that take focus, as the support staff know it.
    QWidget* const order[] = {box(TextBox::txtServidor),
                              box(TextBox::txtVersao),
                              box(TextBox::txtNivel),
                              box(TextBox::txtEdicao),
                              box(TextBox::txtBancoDados),
                              box(TextBox::txtTamanhoBancoDados),
                              Command1,
                              cmdQuintara,
                              cmdNovaConexao,
                              box(TextBox::txtEngineEdition),
                              box(TextBox::txtLocalBD)};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    box(TextBox::txtServidor)->setFocus();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(600);
}

QLineEdit* FrmPrincipal::box(TextBox which) const {
    return m_boxes[int(which)];
}

// A label ends 90 twips left of its box; value boxes are read-only but selectable, so that a
// technician can copy their text into a ticket.
QLineEdit* FrmPrincipal::addValueRow(const char* labelName, const QString& caption,
                                     const char* boxName, int labelLeft, int labelWidth, int boxTop,
                                     int labelTopOffset) {
    auto* valueBox = new QLineEdit(this);
    valueBox->setObjectName(QString::fromLatin1(boxName));
    valueBox->setGeometry(Twips(kBoxLeft), Twips(boxTop), Twips(kBoxWidth), Twips(kBoxHeight));
    valueBox->setReadOnly(true);
    valueBox->setAccessibleName(caption.chopped(1));

    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setGeometry(Twips(labelLeft), Twips(boxTop + labelTopOffset), Twips(labelWidth),
                       Twips(kLabelHeight));
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setBuddy(valueBox);
    FitCaption(label);
    return valueBox;
}
