#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QtTest>

#include "app/qt/frm_principal.h"
#include "app/qt/handler_wiring.h"
#include "app/main_window_handlers.h"
#include "app/qt/qt_window_services.h"
#include "support/fake_registry.h"
#include "support/scripted_prompt.h"

using kestrel::TextBox;

namespace {

constexpr TextBox kAllBoxes[] = {
    TextBox::txtServidor,
    TextBox::txtVersao,
    TextBox::txtNivel,
    TextBox::txtEdicao,
    TextBox::txtEngineEdition,
    TextBox::txtBancoDados,
    TextBox::txtTamanhoBancoDados,
    TextBox::txtLocalBD,
};

// Closes the next message box as soon as it is shown, noting its text.
void CloseNextMessageBox(QString* text, int delayMs = 0) {
    QTimer::singleShot(delayMs, [text] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                *text = box->windowTitle() + QLatin1Char('|') + box->text();
                box->accept();
                return;
            }
        }
    });
}

}  // namespace

class FrmPrincipalTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = std::make_unique<FrmPrincipal>();
        m_services = std::make_unique<QtWindowServices>(*m_window);
        m_handlers =
            std::make_unique<kestrel::MainWindowHandlers>(*m_services, m_registry, m_prompt);
        ConnectHandlers(*m_window, *m_handlers);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() {
        m_handlers.reset();
        m_services.reset();
        m_window.reset();
        while (QGuiApplication::overrideCursor() != nullptr) {
            QGuiApplication::restoreOverrideCursor();
        }
    }

    void windowFrame() {
        QCOMPARE(m_window->objectName(), QStringLiteral("frmPrincipal"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Kestrel - Versão 5.5/2015"));
        QCOMPARE(m_window->size(), QSize(474, 337));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    void control_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("bold");
        auto row = [](const char* name, const char* caption, QRect twips, bool bold) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption) << twips
                                << bold;
        };
        row("cmdQuintara", "Ler Quintara...", {1110, 120, 2145, 435}, true);
        row("cmdNovaConexao", "Ler Nova Conexão...", {3855, 120, 2145, 435}, true);
        row("Label2", "Servidor:", {1620, 825, 630, 195}, false);
        row("txtServidor", "", {2340, 765, 4110, 315}, false);
        row("Label1", "Versão do SQL Server:", {615, 1245, 1635, 195}, false);
        row("txtVersao", "", {2340, 1185, 4110, 315}, false);
        row("Label3", "Nível do SQL Server:", {720, 1680, 1530, 195}, false);
        row("txtNivel", "", {2340, 1620, 4110, 315}, false);
        row("Label4", "Edição do SQL Server:", {615, 2100, 1635, 195}, false);
        row("txtEdicao", "", {2340, 2040, 4110, 315}, false);
        row("Label8", "Edição:", {1710, 2505, 540, 195}, false);
        row("txtEngineEdition", "", {2340, 2445, 4110, 315}, false);
        row("Label5", "Nome do Banco de Dados:", {315, 2910, 1935, 195}, false);
        row("txtBancoDados", "", {2340, 2850, 4110, 315}, false);
        row("Label6", "Tamanho do Banco de Dados:", {60, 3330, 2190, 195}, false);
        row("txtTamanhoBancoDados", "", {2340, 3270, 4110, 315}, false);
        row("Label9", "Local Banco:", {1305, 3705, 945, 195}, false);
        row("txtLocalBD", "", {2340, 3660, 4110, 315}, false);
        row("Command1", "&Fechar", {5550, 4185, 1290, 405}, false);
        row("Picture1", "", {0, 4695, 7110, 360}, false);
        row("Label7", "Quintara 2015 - www.norvik.com.br - suporte@norvik.com.br",
            {45, 60, 6465, 195}, true);
    }
    void control() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QFETCH(bool, bold);
        auto* widget = m_window->findChild<QWidget*>(name);
        QVERIFY(widget != nullptr);
        QCOMPARE(widget->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            text = edit->text();
            QVERIFY(edit->isReadOnly());
            QVERIFY(edit->focusPolicy() != Qt::NoFocus);
        }
        QCOMPARE(text, caption);
        if (name != QStringLiteral("Picture1")) {
            QCOMPARE(widget->font().family(), QStringLiteral("MS Sans Serif"));
            QCOMPARE(widget->font().bold(), bold);
            QCOMPARE(widget->font().pixelSize(), 11);
        }
        // No caption may be clipped by its control, whatever font stands in for MS Sans Serif.
        const int captionWidth =
            widget->fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&')));
        QVERIFY2(captionWidth <= widget->width(), qPrintable(QString::number(captionWidth)));
    }

    void labelsNameTheirBoxesForScreenReaders() {
        for (auto* label : m_window->findChildren<QLabel*>()) {
            if (label->objectName() == QStringLiteral("Label7")) {
                continue;
            }
            QVERIFY(label->buddy() != nullptr);
            QCOMPARE(label->buddy()->accessibleName() + QLatin1Char(':'), label->text());
            QCOMPARE(label->geometry().right() + 1, 2250 / 15);
        }
    }

    void tabOrderAndFirstFocus() {
        QCOMPARE(QApplication::focusWidget(), m_window->box(TextBox::txtServidor));
        const QStringList expected = {
            QStringLiteral("txtServidor"),    QStringLiteral("txtVersao"),
            QStringLiteral("txtNivel"),       QStringLiteral("txtEdicao"),
            QStringLiteral("txtBancoDados"),  QStringLiteral("txtTamanhoBancoDados"),
            QStringLiteral("Command1"),       QStringLiteral("cmdQuintara"),
            QStringLiteral("cmdNovaConexao"), QStringLiteral("txtEngineEdition"),
            QStringLiteral("txtLocalBD"),     QStringLiteral("txtServidor"),
        };
        QStringList visited = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void initialState() {
        for (TextBox box : kAllBoxes) {
            QVERIFY(m_window->box(box)->text().isEmpty());
        }
        QVERIFY(!m_window->Timer1->isActive());
        QCOMPARE(m_window->Timer1->interval(), 600);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        for (auto* button : m_window->findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    void boxTextIsSetWholeWithItsTooltip() {
        const std::u16string path =
            u"D:\\Dados\\São Paulo\\Quintara\\Banco de Dados\\Quintara_Data.mdf";
        m_services->SetText(TextBox::txtLocalBD, path);
        QCOMPARE(m_services->Text(TextBox::txtLocalBD), path);
        QCOMPARE(m_window->box(TextBox::txtLocalBD)->toolTip().toStdU16String(), path);
        m_services->SetText(TextBox::txtLocalBD, u"");
        QVERIFY(m_window->box(TextBox::txtLocalBD)->toolTip().isEmpty());
    }

    void mousePointerAppliesToTheWholeProgram() {
        m_services->SetMousePointer(kestrel::MousePointer::Busy);
        m_services->SetMousePointer(kestrel::MousePointer::Busy);
        QVERIFY(QGuiApplication::overrideCursor() != nullptr);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        m_services->SetMousePointer(kestrel::MousePointer::Default);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void messageBoxShowsEveryLineUnderTheProgramTitle() {
        QString shown;
        CloseNextMessageBox(&shown);
        m_services->ShowMessage(u"primeira <b>linha</b>\r\nsegunda\nterceira",
                                kestrel::MessageIcon::Information);
        QCOMPARE(shown, QStringLiteral("Kestrel|primeira <b>linha</b>\nsegunda\nterceira"));
    }

    void timerStillFiresWhileAMessageBoxIsOpen() {
        QSignalSpy ticks(m_window->Timer1, &QTimer::timeout);
        m_services->SetTimerEnabled(true);
        QString shown;
        CloseNextMessageBox(&shown, 1500);
        m_services->ShowMessage(u"Aguarde", kestrel::MessageIcon::None);
        QCOMPARE(shown, QStringLiteral("Kestrel|Aguarde"));
        QVERIFY(ticks.count() >= 1);
        m_services->SetTimerEnabled(false);
        QVERIFY(!m_window->Timer1->isActive());
    }

    // Last: once the program has ended, Qt lets no event loop run again in this process.
    void altFEndsTheProgramEvenWithAPassPending() {
        m_services->SetTimerEnabled(true);
        QEventLoop loop;
        QTimer::singleShot(0, m_window.get(),
                           [this] { QTest::keyClick(m_window.get(), Qt::Key_F, Qt::AltModifier); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->Timer1->isActive());
    }

private:
    FakeRegistry m_registry;
    ScriptedPrompt m_prompt;
    std::unique_ptr<FrmPrincipal> m_window;
    std::unique_ptr<QtWindowServices> m_services;
    std::unique_ptr<kestrel::MainWindowHandlers> m_handlers;
};

QTEST_MAIN(FrmPrincipalTest)
#include "frm_principal_test.moc"
