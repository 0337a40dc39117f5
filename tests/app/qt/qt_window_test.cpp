// The real Qt window, offscreen, wired as the program wires it and at its own time bounds: the form
// built from its description, and both connect buttons end to end through our connection dialog,
// a Wine-style registry, Timer1 firing through Qt's event loop and the pass over ODBC and FreeTDS
// to the TDS test server.
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <functional>

#include "app/frm_principal_layout.h"
#include "app/main_window_handlers.h"
#include "app/qt/data_link_dialog.h"
#include "app/qt/frm_principal.h"
#include "app/qt/handler_wiring.h"
#include "app/qt/qt_connection_prompt.h"
#include "app/qt/qt_window_services.h"
#include "settings/wine_registry.h"
#include "support/qt_modal_answerer.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/temp_wine_prefix.h"
#include "support/wine_system_reg.h"

using kestrel::TextBox;

namespace {

// On port 1433 of a loopback address of its own, where its SQL Server Browser knows QUINTARA: the
// settings name it as a plain host, the dialog as the named instance.
Scenario TwoDatabases() {
    Scenario scenario;
    scenario.address = "own";
    scenario.port = 1433;
    scenario.browserInstances = {"QUINTARA"};
    ScenarioDatabase treino;
    treino.name = "QuintaraTreino";
    treino.dbSize = "     48.00 MB";
    treino.files = {{"D:\\Dados\\Treinamento\\QuintaraTreino.mdf", "40960 KB"}};
    scenario.databases.push_back(treino);
    return scenario;
}

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

}  // namespace

class QtWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_server = std::make_unique<TdsTestServer>(m_scenario.Json());
        m_window = std::make_unique<FrmPrincipal>();
        m_services = std::make_unique<QtWindowServices>(*m_window);
        m_prompt = std::make_unique<QtConnectionPrompt>(m_window.get());
        m_handlers =
            std::make_unique<kestrel::MainWindowHandlers>(*m_services, m_registry, *m_prompt);
        ConnectHandlers(*m_window, *m_handlers);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        std::filesystem::remove(m_prefix.path() / "system.reg");
        s_address = m_server->address();
        m_answerer = std::make_unique<ModalAnswerer<DataLinkDialog>>();
    }
    void cleanup() {
        m_answerer.reset();
        m_handlers.reset();
        m_prompt.reset();
        m_services.reset();
        m_window.reset();
        m_server.reset();
    }

    // Each control where the form puts it (twips / 15 at 96 dpi), with its caption and font; no
    // caption clipped, whatever font stands in for MS Sans Serif; each label ends next to its box,
    // on the box's line, and names it for screen readers.
    void controlsAreWhereTheFormPutsThem() {
        QCOMPARE(m_window->windowTitle(), Q(kestrel::kFrmPrincipalCaption));
        QCOMPARE(m_window->size(), QSize(474, 337));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_window->Timer1->interval(), 600);
        QVERIFY(!m_window->Timer1->isActive());
        for (const kestrel::ControlDescription& control : kestrel::FrmPrincipalControls()) {
            const QString name = QString::fromLatin1(control.name);
            auto* widget = m_window->findChild<QWidget*>(name);
            QVERIFY2(widget != nullptr, qPrintable(name));
            const kestrel::TwipsRect& t = control.twips;
            QCOMPARE(widget->geometry(),
                     QRect(t.left / 15, t.top / 15, t.width / 15, t.height / 15));
            QString text;
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                text = button->text();
                QVERIFY(!button->isDefault() && !button->autoDefault());
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                text = label->text();
            } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QVERIFY(edit->isReadOnly() && edit->focusPolicy() != Qt::NoFocus);
                text = edit->text();
            }
            QCOMPARE(text, Q(control.caption));
            if (control.kind != kestrel::ControlKind::PictureBox) {
                QCOMPARE(widget->font().family(), QStringLiteral("MS Sans Serif"));
                QCOMPARE(widget->font().bold(), control.bold);
                QCOMPARE(widget->font().pixelSize(), 11);
            }
            QVERIFY2(widget->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&'))) <=
                         widget->width(),
                     qPrintable(name));
            if (control.kind == kestrel::ControlKind::Label && control.box) {
                auto* label = qobject_cast<QLabel*>(widget);
                QLineEdit* box = m_window->box(*control.box);
                QCOMPARE(label->buddy(), box);
                QCOMPARE(box->accessibleName() + QLatin1Char(':'), label->text());
                QCOMPARE(label->geometry().right() + 1, 150);
                QVERIFY(label->y() - box->y() == 4 || label->y() - box->y() == 3);
            }
        }
    }

    void tabFollowsTheFormsOrderFromTxtServidor() {
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

    // A message box shows plain text under the program's title, every line.
    void messageBoxesArePlainTextUnderTheProgramsTitle() {
        m_services->ShowMessage(u"primeira <b>linha</b>\r\nsegunda", kestrel::MessageIcon::None);
        QCOMPARE(m_answerer->messages,
                 QStringList{QStringLiteral("primeira <b>linha</b>\nsegunda")});
        QCOMPARE(m_answerer->lastTitle, QStringLiteral("Kestrel"));
    }

    void lerQuintaraFillsEveryBox() {
        storeSettings(m_scenario.password);
        QTest::mouseClick(m_window->cmdQuintara, Qt::LeftButton);
        QCOMPARE(text(TextBox::txtServidor), QString::fromStdString(m_server->address()));
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        waitForThePass();
        QCOMPARE(m_answerer->messages, QStringList());
        QCOMPARE(text(TextBox::txtVersao),
                 QStringLiteral("10.50.4000.0 - SQL Server 2008 R2 Service Pack 2"));
        QCOMPARE(text(TextBox::txtNivel), QStringLiteral("SP2"));
        QCOMPARE(text(TextBox::txtEdicao), QStringLiteral("Standard Edition (64-bit)"));
        QCOMPARE(text(TextBox::txtBancoDados), QStringLiteral("Quintara"));
        QCOMPARE(text(TextBox::txtTamanhoBancoDados), QStringLiteral("150.50 MB"));
        const QString path = QStringLiteral("D:\\Dados\\São Paulo\\Quintara.mdf");
        QCOMPARE(text(TextBox::txtLocalBD), path);
        QCOMPARE(m_window->box(TextBox::txtLocalBD)->toolTip(), path);
        QCOMPARE(text(TextBox::txtEngineEdition), QString());
    }

    void lerQuintaraWithARefusedLogOnSaysSoAndStartsNoPass() {
        storeSettings("errada");
        QTest::mouseClick(m_window->cmdQuintara, Qt::LeftButton);
        QCOMPARE(m_answerer->messages,
                 QStringList{QStringLiteral("Login failed for user 'sa'. - n. 18456")});
        QVERIFY(!m_window->Timer1->isActive());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(text(TextBox::txtServidor), QString());
    }

    void lerNovaConexaoConnectsToTheDatabasePickedInTheDialog() {
        m_answerer->steps = {[](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("Senha;1}"));
            dialog->findChild<QPushButton*>(QStringLiteral("refresh"))->click();
        }};
        m_answerer->steps.push_back([](DataLinkDialog* dialog) {
            auto* databases = dialog->findChild<QComboBox*>(QStringLiteral("database"));
            QCOMPARE(databases->count(), 6);  // the two of the scenario and the system ones
            databases->setCurrentIndex(databases->findText(QStringLiteral("QuintaraTreino")));
            dialog->accept();
        });
        QTest::mouseClick(m_window->cmdNovaConexao, Qt::LeftButton);
        QCOMPARE(text(TextBox::txtServidor), QStringLiteral("SRVTESTE"));
        // Once for the list of databases, once for the connection.
        QCOMPARE(m_server->count("BROWSER INSTANCE QUINTARA"), 2u);
        waitForThePass();
        QCOMPARE(m_answerer->messages, QStringList());
        QCOMPARE(text(TextBox::txtBancoDados), QStringLiteral("QuintaraTreino"));
        QCOMPARE(text(TextBox::txtTamanhoBancoDados), QStringLiteral("48.00 MB"));
        QCOMPARE(text(TextBox::txtLocalBD),
                 QStringLiteral("D:\\Dados\\Treinamento\\QuintaraTreino.mdf"));
    }

    void testingTheConnectionKeepsTheDialogOpenAndCancelChangesNothing() {
        m_answerer->steps = {[](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("errada"));
            dialog->findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
        }};
        m_answerer->steps.push_back([](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("Senha;1}"));
            dialog->findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
        });
        m_answerer->steps.push_back([](DataLinkDialog* dialog) { dialog->reject(); });
        QTest::mouseClick(m_window->cmdNovaConexao, Qt::LeftButton);

        QCOMPARE(m_answerer->messages.size(), 3);
        QVERIFY2(m_answerer->messages[0].contains(QStringLiteral("Login failed for user 'sa'.")),
                 qPrintable(m_answerer->messages[0]));
        QVERIFY(!m_answerer->messages[0].contains(QStringLiteral("errada")));
        QCOMPARE(m_answerer->messages[1], QStringLiteral("Teste de conexão concluído com êxito."));
        QCOMPARE(
            m_answerer->messages[2],
            QStringLiteral(
                "Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida."));
        QVERIFY(!m_window->Timer1->isActive());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(text(TextBox::txtServidor), QString());
    }

    // Last: once the program has ended, Qt lets no event loop run again in this process.
    void altFEndsTheProgramEvenWithAPassPending() {
        storeSettings(m_scenario.password);
        QTest::mouseClick(m_window->cmdQuintara, Qt::LeftButton);
        QVERIFY(m_window->Timer1->isActive());
        QEventLoop loop;
        QTimer::singleShot(0, m_window.get(),
                           [this] { QTest::keyClick(m_window.get(), Qt::Key_F, Qt::AltModifier); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->Timer1->isActive());
        QCOMPARE(m_server->count("BATCH") + m_server->count("RPC"), 0u);
    }

private:
    static void fill(DataLinkDialog* dialog, const QString& user, const QString& password) {
        dialog->findChild<QLineEdit*>(QStringLiteral("server"))
            ->setText(QString::fromStdString(s_address) + QStringLiteral("\\QUINTARA"));
        dialog->findChild<QLineEdit*>(QStringLiteral("userName"))->setText(user);
        dialog->findChild<QLineEdit*>(QStringLiteral("password"))->setText(password);
    }

    void storeSettings(const std::string& password) {
        WriteWineSystemReg(m_prefix.path(), "Software\\Norvik\\Database",
                           {{"GerenciadorBancoDados", "SQLServer2000"},
                            {"Servidor", m_server->address()},
                            {"BancoBados", "Quintara"},
                            {"NameUser", "sa"},
                            {"Password", password},
                            {"UsarSSI", "0"}});
    }

    void waitForThePass() {
        QVERIFY(m_window->Timer1->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(
            !m_window->Timer1->isActive() && QGuiApplication::overrideCursor() == nullptr, 10000);
    }

    QString text(TextBox box) const { return m_window->box(box)->text(); }

    static inline std::string s_address;
    Scenario m_scenario = TwoDatabases();
    TempWinePrefix m_prefix;
    kestrel::WineRegistry m_registry{m_prefix.path()};
    std::unique_ptr<TdsTestServer> m_server;
    std::unique_ptr<FrmPrincipal> m_window;
    std::unique_ptr<QtWindowServices> m_services;
    std::unique_ptr<QtConnectionPrompt> m_prompt;
    std::unique_ptr<kestrel::MainWindowHandlers> m_handlers;
    std::unique_ptr<ModalAnswerer<DataLinkDialog>> m_answerer;
};

QTEST_MAIN(QtWindowTest)
#include "qt_window_test.moc"
