// The real Qt window, offscreen, wired as the program wires it and at its own time bounds: the form
// built from its description, and both connect buttons end to end through our connection dialog,
// a Wine-style registry, Timer1 firing through Qt's event loop and the pass over ODBC and FreeTDS
// to the TDS test server.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>
#include <functional>

#include "app/frm_principal_layout.h"
#include "app/qt/data_link_dialog.h"
#include "support/qt_program.h"

using kestrel::TextBox;

namespace {

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

}  // namespace

class QtWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_program = std::make_unique<QtProgram>(BrowserWithTwoDatabases());
        s_address = m_program->server.address();
        QVERIFY(QTest::qWaitForWindowExposed(&m_program->window));
    }
    void cleanup() { m_program.reset(); }

    // Each control where the form puts it (twips / 15 at 96 dpi), with its caption and font; no
    // caption clipped, whatever font stands in for MS Sans Serif; each label ends next to its box,
    // on the box's line, and names it for screen readers.
    void controlsAreWhereTheFormPutsThem() {
        const FrmPrincipal& window = m_program->window;
        QCOMPARE(window.windowTitle(), Q(kestrel::kFrmPrincipalCaption));
        QCOMPARE(window.size(), QSize(474, 337));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.Timer1->interval(), 600);
        QVERIFY(!window.Timer1->isActive());
        for (const kestrel::ControlDescription& control : kestrel::FrmPrincipalControls()) {
            const QString name = QString::fromLatin1(control.name);
            auto* widget = window.findChild<QWidget*>(name);
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
                QLineEdit* box = window.box(*control.box);
                QCOMPARE(label->buddy(), box);
                QCOMPARE(box->accessibleName() + QLatin1Char(':'), label->text());
                QCOMPARE(label->geometry().right() + 1, 150);
                QVERIFY(label->y() - box->y() == 4 || label->y() - box->y() == 3);
            }
        }
    }

    void tabFollowsTheFormsOrderFromTxtServidor() {
        const QStringList expected = QStringLiteral(
                                         "txtServidor txtVersao txtNivel txtEdicao txtBancoDados "
                                         "txtTamanhoBancoDados Command1 cmdQuintara cmdNovaConexao "
                                         "txtEngineEdition txtLocalBD txtServidor")
                                         .split(QLatin1Char(' '));
        QStringList visited = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    // A message box shows plain text under the program's title, every line.
    void messageBoxesArePlainTextUnderTheProgramsTitle() {
        m_program->services.ShowMessage(u"primeira <b>linha</b>\r\nsegunda",
                                        kestrel::MessageIcon::None);
        QCOMPARE(m_program->answerer.messages,
                 QStringList{QStringLiteral("primeira <b>linha</b>\nsegunda")});
        QCOMPARE(m_program->answerer.lastTitle, QStringLiteral("Kestrel"));
        QCOMPARE(m_program->answerer.lastFormat, Qt::PlainText);
    }

    void lerQuintaraFillsEveryBox() {
        m_program->StoreSettings("Senha;1}");
        QTest::mouseClick(m_program->window.cmdQuintara, Qt::LeftButton);
        QCOMPARE(m_program->Text(TextBox::txtServidor),
                 QString::fromStdString(m_program->server.address()));
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        waitForThePass();
        QCOMPARE(m_program->answerer.messages, QStringList());
        QCOMPARE(m_program->Text(TextBox::txtVersao),
                 QStringLiteral("10.50.4000.0 - SQL Server 2008 R2 Service Pack 2"));
        QCOMPARE(m_program->Text(TextBox::txtNivel), QStringLiteral("SP2"));
        QCOMPARE(m_program->Text(TextBox::txtEdicao), QStringLiteral("Standard Edition (64-bit)"));
        QCOMPARE(m_program->Text(TextBox::txtBancoDados), QStringLiteral("Quintara"));
        QCOMPARE(m_program->Text(TextBox::txtTamanhoBancoDados), QStringLiteral("150.50 MB"));
        const QString path = QStringLiteral("D:\\Dados\\São Paulo\\Quintara.mdf");
        QCOMPARE(m_program->Text(TextBox::txtLocalBD), path);
        QCOMPARE(shownInTip(m_program->window.box(TextBox::txtLocalBD)), path);
        QCOMPARE(m_program->Text(TextBox::txtEngineEdition), QString());
    }

    // "Copiar tudo" by its shortcut, from a box that has the focus, and in the free area's context
    // menu: greyed and copying nothing until the pass has run, then the whole window, a line each.
    void copiarTudoCopiesTheWholeWindowOnceThePassHasRun() {
        FrmPrincipal& window = m_program->window;
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("antes"));
        // The offscreen window is not active again after its context menu has closed.
        const auto copyFromTxtVersao = [&] {
            window.activateWindow();
            QTRY_VERIFY(window.isActiveWindow());
            window.box(TextBox::txtVersao)->setFocus();
            QTest::keyClick(window.box(TextBox::txtVersao), Qt::Key_C,
                            Qt::ControlModifier | Qt::ShiftModifier);
        };
        QCOMPARE(contextMenuOfLabel1(), QStringList{QStringLiteral("Copiar tudo (cinza)")});
        copyFromTxtVersao();
        QCOMPARE(clipboard->text(), QStringLiteral("antes"));

        m_program->StoreSettings("Senha;1}");
        QTest::mouseClick(window.cmdQuintara, Qt::LeftButton);
        copyFromTxtVersao();
        QCOMPARE(clipboard->text(), QStringLiteral("antes"));
        waitForThePass();
        QCOMPARE(contextMenuOfLabel1(), QStringList{QStringLiteral("Copiar tudo")});
        copyFromTxtVersao();
        QCOMPARE(clipboard->text(),
                 QStringLiteral("Servidor: ") +
                     QString::fromStdString(m_program->server.address()) +
                     QStringLiteral("\n"
                                    "Versão do SQL Server: 10.50.4000.0 - SQL Server 2008 R2 "
                                    "Service Pack 2\n"
                                    "Nível do SQL Server: SP2\n"
                                    "Edição do SQL Server: Standard Edition (64-bit)\n"
                                    "Edição:\n"
                                    "Nome do Banco de Dados: Quintara\n"
                                    "Tamanho do Banco de Dados: 150.50 MB\n"
                                    "Local Banco: D:\\Dados\\São Paulo\\Quintara.mdf\n"));
    }

    void lerQuintaraWithARefusedLogOnSaysSoAndStartsNoPass() {
        m_program->StoreSettings("errada");
        QTest::mouseClick(m_program->window.cmdQuintara, Qt::LeftButton);
        QCOMPARE(m_program->answerer.messages,
                 QStringList{QStringLiteral("Login failed for user 'sa'. - n. 18456")});
        QVERIFY(!m_program->window.Timer1->isActive());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(m_program->Text(TextBox::txtServidor), QString());
    }

    void lerNovaConexaoConnectsToTheDatabasePickedInTheDialog() {
        m_program->answerer.steps = {[](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("Senha;1}"));
            dialog->findChild<QPushButton*>(QStringLiteral("refresh"))->click();
        }};
        m_program->answerer.steps.push_back([](DataLinkDialog* dialog) {
            auto* databases = dialog->findChild<QComboBox*>(QStringLiteral("database"));
            QCOMPARE(databases->count(), 6);  // the two of the scenario and the system ones
            databases->setCurrentIndex(databases->findText(QStringLiteral("QuintaraTreino")));
            dialog->accept();
        });
        QTest::mouseClick(m_program->window.cmdNovaConexao, Qt::LeftButton);
        QCOMPARE(m_program->Text(TextBox::txtServidor), QStringLiteral("SRVTESTE"));
        // Once for the list of databases, once for the connection.
        QCOMPARE(m_program->server.count("BROWSER INSTANCE QUINTARA"), 2u);
        waitForThePass();
        QCOMPARE(m_program->answerer.messages, QStringList());
        QCOMPARE(m_program->Text(TextBox::txtBancoDados), QStringLiteral("QuintaraTreino"));
        QCOMPARE(m_program->Text(TextBox::txtTamanhoBancoDados), QStringLiteral("48.00 MB"));
        QCOMPARE(m_program->Text(TextBox::txtLocalBD),
                 QStringLiteral("D:\\Dados\\Treinamento\\QuintaraTreino.mdf"));
    }

    void testingTheConnectionKeepsTheDialogOpenAndCancelChangesNothing() {
        m_program->answerer.steps = {[](DataLinkDialog* dialog) {
            fill(dialog, QStringLiteral("sa"), QStringLiteral("errada"));
            dialog->findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
        }};
        m_program->answerer.steps.push_back([](DataLinkDialog* dialog) {
            QVERIFY(QGuiApplication::overrideCursor() == nullptr);  // the failed test's is gone
            fill(dialog, QStringLiteral("sa"), QStringLiteral("Senha;1}"));
            dialog->findChild<QPushButton*>(QStringLiteral("testConnection"))->click();
        });
        m_program->answerer.steps.push_back([this](DataLinkDialog* dialog) {
            m_program->services.SetMousePointer(kestrel::MousePointer::Busy);  // a pass's, say
            dialog->reject();
        });
        QTest::mouseClick(m_program->window.cmdNovaConexao, Qt::LeftButton);

        QCOMPARE(m_program->answerer.messages.size(), 3);
        QVERIFY2(
            m_program->answerer.messages[0].contains(QStringLiteral("Login failed for user 'sa'.")),
            qPrintable(m_program->answerer.messages[0]));
        QVERIFY(!m_program->answerer.messages[0].contains(QStringLiteral("errada")));
        QCOMPARE(m_program->answerer.messages[1],
                 QStringLiteral("Teste de conexão concluído com êxito."));
        QCOMPARE(
            m_program->answerer.messages[2],
            QStringLiteral(
                "Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida."));
        QVERIFY(!m_program->window.Timer1->isActive());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(m_program->Text(TextBox::txtServidor), QString());
    }

    // Run by ctest with a list of drivers of its own ($ODBCSYSINI/odbcinst.ini, read once a
    // process): "ODBC Driver 18 for SQL Server" left listed without its library, as an uninstall
    // can leave it, before FreeTDS.
    void aDriverLeftBehindGivesWayToFreeTds() {
        skipUnlessTheDriversAre("driver-left-behind");
        m_program->StoreSettings("Senha;1}");
        QTest::mouseClick(m_program->window.cmdQuintara, Qt::LeftButton);
        waitForThePass();
        QCOMPARE(m_program->answerer.messages, QStringList());
        QCOMPARE(m_program->Text(TextBox::txtBancoDados), QStringLiteral("Quintara"));
        QCOMPARE(m_program->server.count("LOGIN OK"), 1u);
    }

    // With FreeTDS listed a second time as "ODBC Driver 17 for SQL Server", which Kestrel takes
    // first and gives no TDS version, so that it offers TDS 7.4: this server closes such a
    // pre-login. The handshake failed, so FreeTDS is tried, and tried first at the next connect.
    void aRefusedHandshakeGivesWayToTheNextDriverWhichIsThenRemembered() {
        skipUnlessTheDriversAre("second-freetds");
        Scenario scenario;
        scenario.faults = R"({"refuse_mars_prelogin": true})";
        m_program = std::make_unique<QtProgram>(scenario);
        // Without a "." the string has no TCP prefix, which FreeTDS would not read.
        m_program->StoreSettings("Senha;1}",
                                 "localhost," + std::to_string(m_program->server.port()));
        for (std::size_t click = 1; click <= 2; ++click) {
            QTest::mouseClick(m_program->window.cmdQuintara, Qt::LeftButton);
            waitForThePass();
            QCOMPARE(m_program->answerer.messages, QStringList());
            QCOMPARE(m_program->Text(TextBox::txtBancoDados), QStringLiteral("Quintara"));
            QCOMPARE(m_program->server.count("PRELOGIN REFUSED"), 1u);
            QCOMPARE(m_program->server.count("LOGIN OK"), click);
        }
    }

    // The same drivers, and a server whose Browser names SQL Server 2000: the driver for old
    // servers is tried first. Microsoft's, here FreeTDS under its name, would not even find the
    // instance its way.
    void aServerTheBrowserNamesAsSqlServer2000GoesToTheOldServersDriver() {
        skipUnlessTheDriversAre("second-freetds");
        Scenario scenario = BrowserWithTwoDatabases();
        scenario.productVersion = "8.00.2039";
        scenario.faults = R"({"refuse_mars_prelogin": true})";
        m_program = std::make_unique<QtProgram>(scenario);
        m_program->StoreSettings("Senha;1}", m_program->server.address() + "\\QUINTARA");
        QTest::mouseClick(m_program->window.cmdQuintara, Qt::LeftButton);
        waitForThePass();
        QCOMPARE(m_program->answerer.messages, QStringList());
        QVERIFY(m_program->Text(TextBox::txtVersao).startsWith(QStringLiteral("8.00.2039")));
        QCOMPARE(m_program->server.count("PRELOGIN REFUSED"), 0u);
        QCOMPARE(m_program->server.count("LOGIN OK"), 1u);
    }

    // What a server sends is text in every box and tooltip: markup in each of its values is shown
    // as it is, no picture is drawn and no file is opened for it; a long value's box shows its
    // beginning and its tip wraps at a readable width.
    void serverMarkupIsTextInEveryBoxAndTip() {
        const QString picture = QDir::temp().filePath(QStringLiteral("kestrel-markup.png"));
        const std::string markup =
            "<b>x</b><img src='" + picture.toStdString() + "'><a href='y'>z</a><h1>t</h1>&amp;";
        Scenario scenario;
        scenario.serverName = markup;
        scenario.productVersion = scenario.productLevel = scenario.edition = markup;
        scenario.defaultDatabase = markup;
        scenario.databases = {{markup, markup, {{markup, "1 KB"}}}};
        m_program.reset();  // the new program's wait pump is the one left installed
        m_program = std::make_unique<QtProgram>(scenario);
        const QString address = QString::fromStdString(m_program->server.address()) +
                                QLatin1Char(',') + QString::number(m_program->server.port());
        m_program->answerer.steps = {[address](DataLinkDialog* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("server"))->setText(address);
            dialog->findChild<QLineEdit*>(QStringLiteral("userName"))
                ->setText(QStringLiteral("sa"));
            dialog->findChild<QLineEdit*>(QStringLiteral("password"))
                ->setText(QStringLiteral("Senha;1}"));
            dialog->accept();
        }};
        QTest::mouseClick(m_program->window.cmdNovaConexao, Qt::LeftButton);
        waitForThePass();
        QCOMPARE(m_program->answerer.messages, QStringList());
        const QString text = QString::fromStdString(markup);
        for (TextBox box :
             {TextBox::txtServidor, TextBox::txtVersao, TextBox::txtNivel, TextBox::txtEdicao,
              TextBox::txtBancoDados, TextBox::txtTamanhoBancoDados, TextBox::txtLocalBD}) {
            QLineEdit* edit = m_program->window.box(box);
            const QString expected =
                box == TextBox::txtVersao ? text + QStringLiteral(" - Não identificado") : text;
            QCOMPARE(edit->text(), expected);
            QCOMPARE(shownInTip(edit), expected);
        }

        const QString longValue = QString(5000, QLatin1Char('W')) + QStringLiteral(" fim");
        m_program->services.SetText(TextBox::txtEdicao, longValue.toStdU16String());
        QLineEdit* edit = m_program->window.box(TextBox::txtEdicao);
        QCOMPARE(edit->cursorPosition(), 0);
        QCOMPARE(shownInTip(edit), longValue);
        QToolTip::showText(edit->mapToGlobal(QPoint(2, 2)), edit->toolTip(), edit);
        QLabel* tip = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->inherits("QTipLabel") && widget->isVisible()) {
                tip = qobject_cast<QLabel*>(widget);
            }
        }
        QVERIFY(tip != nullptr);
        QVERIFY2(tip->width() <= 800, qPrintable(QString::number(tip->width())));
        QToolTip::hideText();
    }

    // Last: once the program has ended, Qt lets no event loop run again in this process.
    void altFEndsTheProgramEvenWithAPassPending() {
        m_program->StoreSettings("Senha;1}");
        QTest::mouseClick(m_program->window.cmdQuintara, Qt::LeftButton);
        QVERIFY(m_program->window.Timer1->isActive());
        QEventLoop loop;
        QTimer::singleShot(0, &m_program->window, [this] {
            QTest::keyClick(&m_program->window, Qt::Key_F, Qt::AltModifier);
        });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QVERIFY(!m_program->window.isVisible());
        QVERIFY(!m_program->window.Timer1->isActive());
        QCOMPARE(m_program->server.count("BATCH") + m_program->server.count("RPC"), 0u);
    }

private:
    static void skipUnlessTheDriversAre(const char* list) {
        if (!qEnvironmentVariable("ODBCSYSINI").endsWith(QLatin1String(list))) {
            QSKIP("ctest runs this with its own list of drivers");
        }
    }

    static void fill(DataLinkDialog* dialog, const QString& user, const QString& password) {
        dialog->findChild<QLineEdit*>(QStringLiteral("server"))
            ->setText(QString::fromStdString(s_address) + QStringLiteral("\\QUINTARA"));
        dialog->findChild<QLineEdit*>(QStringLiteral("userName"))->setText(user);
        auto* secret = dialog->findChild<QLineEdit*>(QStringLiteral("password"));
        QCOMPARE(secret->echoMode(), QLineEdit::Password);
        secret->setText(password);
    }

    // The items of the menu that a right click on Label1 opens, "(cinza)" after a greyed one.
    QStringList contextMenuOfLabel1() {
        QStringList items;
        QTimer::singleShot(0, [&items] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            for (const QAction* action : menu->actions()) {
                items << action->text() +
                             (action->isEnabled() ? QString() : QStringLiteral(" (cinza)"));
            }
            menu->close();
        });
        auto* label = m_program->window.findChild<QLabel*>(QStringLiteral("Label1"));
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                label->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(label, &event);
        return items;
    }

    // The characters a box's tip shows, as Qt lays it out, without the line breaks of its
    // wrapping; it fails if laying it out asks for any picture or file.
    static QString shownInTip(const QLineEdit* box) {
        class Document : public QTextDocument {
        protected:
            QVariant loadResource(int, const QUrl& name) override {
                QTest::qFail(qPrintable(QStringLiteral("loads ") + name.toString()), __FILE__,
                             __LINE__);
                return {};
            }
        } document;
        if (!Qt::mightBeRichText(box->toolTip())) {
            QTest::qFail("the tip would be shown as plain text, its markup and all", __FILE__,
                         __LINE__);
        }
        document.setHtml(box->toolTip());
        document.adjustSize();
        return document.toPlainText().remove(QChar::LineSeparator).remove(QLatin1Char('\n'));
    }

    void waitForThePass() {
        QVERIFY(m_program->window.Timer1->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(
            !m_program->window.Timer1->isActive() && QGuiApplication::overrideCursor() == nullptr,
            10000);
    }

    static inline std::string s_address;
    std::unique_ptr<QtProgram> m_program;
};

QTEST_MAIN(QtWindowTest)
#include "qt_window_test.moc"
