// Both connect buttons in the real window: the settings in a Wine-style registry, our connection
// dialog, Timer1 firing through Qt's event loop, the pass over ODBC and FreeTDS to the TDS test
// server.
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <functional>

#include "app/main_window_handlers.h"
#include "app/qt/data_link_dialog.h"
#include "app/qt/frm_principal.h"
#include "app/qt/handler_wiring.h"
#include "app/qt/qt_connection_prompt.h"
#include "app/qt/qt_window_services.h"
#include "settings/wine_registry.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/temp_wine_prefix.h"
#include "support/wine_system_reg.h"

using kestrel::TextBox;

namespace {

constexpr kestrel::DatabaseTimeouts kTimeouts{std::chrono::seconds(5), std::chrono::seconds(5)};

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

}  // namespace

class ConnectWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_server = std::make_unique<TdsTestServer>(m_scenario.Json());
        m_window = std::make_unique<FrmPrincipal>();
        m_services = std::make_unique<QtWindowServices>(*m_window);
        m_prompt = std::make_unique<QtConnectionPrompt>(m_window.get(), kTimeouts);
        m_handlers = std::make_unique<kestrel::MainWindowHandlers>(*m_services, m_registry,
                                                                   *m_prompt, kTimeouts);
        ConnectHandlers(*m_window, *m_handlers);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_messages.clear();
        m_dialogSteps.clear();
        std::filesystem::remove(m_prefix.path() / "system.reg");
        // Modal boxes and the dialog run their own event loops: they are answered from inside.
        connect(&m_answerer, &QTimer::timeout, this, &ConnectWindowTest::answerModals);
        m_answerer.start(50);
    }
    void cleanup() {
        m_answerer.stop();
        m_answerer.disconnect();
        m_handlers.reset();
        m_prompt.reset();
        m_services.reset();
        m_window.reset();
        m_server.reset();
    }

    void lerQuintaraFillsEveryBox() {
        storeSettings("Quintara");
        QTest::mouseClick(m_window->cmdQuintara, Qt::LeftButton);
        QCOMPARE(text(TextBox::txtServidor), QString::fromStdString(m_server->address()));
        waitForThePass();
        QCOMPARE(m_messages, QStringList());
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

    void lerNovaConexaoConnectsToTheDatabasePickedInTheDialog() {
        m_dialogSteps = {[](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("Senha;1}"));
            dialog->findChild<QPushButton*>(QStringLiteral("refresh"))->click();
        }};
        m_dialogSteps.push_back([](DataLinkDialog* dialog) {
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
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(text(TextBox::txtBancoDados), QStringLiteral("QuintaraTreino"));
        QCOMPARE(text(TextBox::txtTamanhoBancoDados), QStringLiteral("48.00 MB"));
        QCOMPARE(text(TextBox::txtLocalBD),
                 QStringLiteral("D:\\Dados\\Treinamento\\QuintaraTreino.mdf"));
    }

    void testingTheConnectionKeepsTheDialogOpenAndCancelChangesNothing() {
        m_dialogSteps = {[](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("errada"));
            dialog->findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
        }};
        m_dialogSteps.push_back([](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("Senha;1}"));
            dialog->findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
        });
        m_dialogSteps.push_back([](DataLinkDialog* dialog) { dialog->reject(); });
        QTest::mouseClick(m_window->cmdNovaConexao, Qt::LeftButton);

        QCOMPARE(m_messages.size(), 3);
        QVERIFY2(m_messages[0].contains(QStringLiteral("Login failed for user 'sa'.")),
                 qPrintable(m_messages[0]));
        QVERIFY(!m_messages[0].contains(QStringLiteral("errada")));
        QCOMPARE(m_messages[1], QStringLiteral("Teste de conexão concluído com êxito."));
        QCOMPARE(
            m_messages[2],
            QStringLiteral(
                "Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida."));
        QVERIFY(!m_window->Timer1->isActive());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(text(TextBox::txtServidor), QString());
    }

    // Last: once the program has ended, Qt lets no event loop run again in this process.
    void withoutSettingsTheUnsupportedTypeMessageEndsTheProgram() {
        QTest::mouseClick(m_window->cmdQuintara, Qt::LeftButton);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith(QStringLiteral("O tipo setado está: Error\n")));
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_server->count("LOGIN"), 0u);
    }

private:
    static void fill(DataLinkDialog* dialog, const QString& user, const QString& password) {
        dialog->findChild<QLineEdit*>(QStringLiteral("server"))
            ->setText(QString::fromStdString(s_address) + QStringLiteral("\\QUINTARA"));
        dialog->findChild<QLineEdit*>(QStringLiteral("userName"))->setText(user);
        dialog->findChild<QLineEdit*>(QStringLiteral("password"))->setText(password);
    }

    void storeSettings(const std::string& database) {
        WriteWineSystemReg(m_prefix.path(), "Software\\Norvik\\Database",
                           {{"GerenciadorBancoDados", "SQLServer2000"},
                            {"Servidor", m_server->address()},
                            {"BancoBados", database},
                            {"NameUser", "sa"},
                            {"Password", m_scenario.password},
                            {"UsarSSI", "0"}});
    }

    // A message box is noted and closed; the dialog gets the next scripted step.
    void answerModals() {
        s_address = m_server->address();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) {
                continue;
            }
            if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                m_messages << box->text();
                box->accept();
                return;
            }
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<DataLinkDialog*>(widget);
                dialog && dialog->isVisible() && !m_dialogSteps.empty()) {
                // From a timer of its own, so that a box the step opens is still answered.
                QTimer::singleShot(0, dialog,
                                   [dialog, step = m_dialogSteps.front()] { step(dialog); });
                m_dialogSteps.erase(m_dialogSteps.begin());
                return;
            }
        }
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
    QTimer m_answerer;
    QStringList m_messages;
    std::vector<std::function<void(DataLinkDialog*)>> m_dialogSteps;
};

QTEST_MAIN(ConnectWindowTest)
#include "connect_window_test.moc"
