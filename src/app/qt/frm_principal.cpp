#include "app/qt/frm_principal.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <map>

#include "app/frm_principal_layout.h"
#include "app/qt/qstring_conversion.h"
#include "app/qt/twips.h"

using kestrel::ControlDescription;
using kestrel::ControlKind;
using kestrel::TextBox;

namespace {

// "MS Sans Serif" or, where it is missing, the first stand-in installed; Arial's metrics fit the
// layout. Asked for by name, a missing family costs a search through every installed font.
QString DialogFamily() {
    // Not hasFamily(), which asks fontconfig to resolve each missing name as an alias.
    const QStringList installed = QFontDatabase::families();
    const QString families[] = {ToQString(kestrel::kDialogFontFamily),
                                ToQString(kestrel::kDialogFontTrueTypeFamily),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            return family;
        }
    }
    return families[0];
}

// 8.25 pt is 11 pixels at 96 dpi. A pixel size keeps the captions inside their controls whatever
// dpi the display reports.
QFont DialogFont(const QString& family, bool bold) {
    QFont font(family);
    font.setPixelSize(kestrel::kDialogFontHundredthsOfPoint * 96 / 7200);
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

// Each QLineEdit lays out its empty text in the program's font before it takes its own: while the
// controls are made the program's font is the window's, and start-up loads no font that the window
// does not show (the program's own is loaded when a dialog first shows). QGuiApplication's setter:
// QApplication's would also drop the platform's own fonts for menus, tips and message boxes. Qt
// then counts the program's font as the program's choice: a desktop font changed while Kestrel
// runs no longer reaches the dialogs it opens afterwards.
class ProgramFontWhileMaking {
public:
    explicit ProgramFontWhileMaking(const QFont& font) : m_programFont(QGuiApplication::font()) {
        QGuiApplication::setFont(font);
    }
    ~ProgramFontWhileMaking() { QGuiApplication::setFont(m_programFont); }
    ProgramFontWhileMaking(const ProgramFontWhileMaking&) = delete;
    ProgramFontWhileMaking& operator=(const ProgramFontWhileMaking&) = delete;

private:
    const QFont m_programFont;
};

QRect Pixels(const kestrel::TwipsRect& twips) {
    return {Twips(twips.left), Twips(twips.top), Twips(twips.width), Twips(twips.height)};
}

// Value boxes are read-only but selectable, so that a technician can copy their text into a
// ticket.
QWidget* MakeControl(const ControlDescription& control, QWidget* container) {
    const QString caption = ToQString(control.caption);
    switch (control.kind) {
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(caption, container);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(caption, container);
            label->setAlignment(control.box ? Qt::AlignRight | Qt::AlignTop
                                            : Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(container);
            box->setReadOnly(true);
            return box;
        }
        case ControlKind::PictureBox: {
            auto* band = new QFrame(container);
            band->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            return band;
        }
    }
    return nullptr;
}

}  // namespace

FrmPrincipal::FrmPrincipal(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(ToQString(kestrel::kFrmPrincipalCaption));
    setFixedSize(Twips(kestrel::kClientWidthTwips), Twips(kestrel::kClientHeightTwips));
    const QString family = DialogFamily();
    setFont(DialogFont(family, false));

    std::map<std::string_view, QWidget*> made;
    {
        const ProgramFontWhileMaking windowFont(font());
        for (const ControlDescription& control : kestrel::FrmPrincipalControls()) {
            QWidget* widget =
                MakeControl(control, control.container.empty() ? this : made.at(control.container));
            widget->setObjectName(QString::fromLatin1(control.name));
            widget->setGeometry(Pixels(control.twips));
            if (control.bold) {
                widget->setFont(DialogFont(family, true));
            }
            if (control.kind == ControlKind::TextBox) {
                m_boxes[int(*control.box)] = static_cast<QLineEdit*>(widget);
            }
            made[control.name] = widget;
        }
    }
    // Screen readers name each box after its label, without the colon.
    for (const ControlDescription& control : kestrel::FrmPrincipalControls()) {
        if (control.kind != ControlKind::Label) {
            continue;
        }
        auto* label = static_cast<QLabel*>(made.at(control.name));
        if (control.box) {
            label->setBuddy(box(*control.box));
            box(*control.box)->setAccessibleName(label->text().chopped(1));
        }
        FitCaption(label);
    }
    cmdQuintara = static_cast<QPushButton*>(made.at("cmdQuintara"));
    cmdNovaConexao = static_cast<QPushButton*>(made.at("cmdNovaConexao"));
    Command1 = static_cast<QPushButton*>(made.at("Command1"));

    const std::vector<const ControlDescription*> order = kestrel::FocusOrder();
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(made.at(order[i - 1]->name), made.at(order[i]->name));
    }
    made.at(order.front()->name)->setFocus();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kestrel::kTimer1IntervalMs);

    actCopiarTudo = new QAction(QStringLiteral("Copiar tudo"), this);
    actCopiarTudo->setObjectName(QStringLiteral("actCopiarTudo"));
    actCopiarTudo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    actCopiarTudo->setShortcutContext(Qt::WindowShortcut);
    actCopiarTudo->setEnabled(false);
    addAction(actCopiarTudo);
    // The boxes keep their own menu; labels and the free area pass the request up to the window.
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

QLineEdit* FrmPrincipal::box(TextBox which) const {
    return m_boxes[int(which)];
}
