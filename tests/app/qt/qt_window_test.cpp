// The real Qt window, offscreen, wired as the program wires it, with one path through real ODBC.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>
#include <QtTest>
#include <functional>

#include "app/frm_principal_layout.h"
#include "app/qt/data_link_dialog.h"
#include "app/qt/qstring_conversion.h"
#include "support/qt_probes.h"
#include "support/qt_program.h"

using kestrel::TextBox;

class QtWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_program = std::make_unique<QtProgram>(BrowserWithTwoDatabases());
        s_address = m_program->server.address();
        QVERIFY(QTest::qWaitForWindowExposed(&m_program->window));
    }
    void cleanup() { m_program.reset(); }

    // Each control where the form puts it (twips / 15), caption whole, font; labels name boxes.
    void controlsAreWhereTheFormPutsThem() {
        const FrmPrincipal& window = m_program->window;
        QCOMPARE(window.windowTitle(), ToQString(kestrel::kFrmPrincipalCaption));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
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
            QCOMPARE(text, ToQString(control.caption));
            if (control.kind != kestrel::ControlKind::PictureBox) {
                const QString drawn = QFontInfo(widget->font()).family();
                QVERIFY2(QStringList({QStringLiteral("MS Sans Serif"),
                                      QStringLiteral("Microsoft Sans Serif"),
                                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans")})
                             .contains(drawn),
                         qPrintable(drawn));
                QCOMPARE(widget->font().bold(), control.bold);
            }
            QVERIFY2(widget->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&'))) <=
                         widget->width(),
                     qPrintable(name));
            if (control.kind == kestrel::ControlKind::Label && control.box) {
                auto* label = qobject_cast<QLabel*>(widget);
                QLineEdit* box = window.box(*control.box);
                QCOMPARE(label->buddy(), box);
                QCOMPARE(box->accessibleName() + QLatin1Char(':'), label->text());
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

    // A message box is plain text under the program's title; an endless one still fits the screen.
    void messageBoxesArePlainTextUnderTheProgramsTitle() {
        m_program->services.ShowMessage(u"primeira <b>linha</b>\r\nsegunda",
                                        kestrel::MessageIcon::None);
        QCOMPARE(m_program->answerer.messages,
                 QStringList{QStringLiteral("primeira <b>linha</b>\nsegunda")});
        QCOMPARE(m_program->answerer.lastTitle, QStringLiteral("Kestrel"));
        QCOMPARE(m_program->answerer.lastFormat, Qt::PlainText);
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        for (const std::u16string& line :
             {std::u16string(u"Instância OUTRA"), std::u16string(5000, u'W'),
              u"OUTRA WWWWWW " + std::u16string(36, u'W')}) {
            std::u16string endless;
            for (int copy = 0; copy < 2000; ++copy) {
                endless += line + u"\r\n";
            }
            m_program->services.ShowMessage(endless, kestrel::MessageIcon::None);
            QVERIFY(m_program->answerer.lastSize.height() <= screen.height());
            QVERIFY(m_program->answerer.lastSize.width() <= screen.width());
        }
    }

    // "Ler Quintara..." fills the window; "Copiar tudo" (shortcut, menu) is greyed until then.
    void lerQuintaraFillsTheWindowThatCopiarTudoCopies() {
        FrmPrincipal& window = m_program->window;
        QClipboard* clipboard = QGuiApplication::clipboard();
        auto* label1 = window.findChild<QLabel*>(QStringLiteral("Label1"));
        clipboard->setText(QStringLiteral("antes"));
        // The offscreen window is not active again after its context menu has closed.
        const auto copyFromTxtVersao = [&] {
            window.activateWindow();
            QTRY_VERIFY(window.isActiveWindow());
            window.box(TextBox::txtVersao)->setFocus();
            QTest::keyClick(window.box(TextBox::txtVersao), Qt::Key_C,
                            Qt::ControlModifier | Qt::ShiftModifier);
        };
        QCOMPARE(ContextMenuItems(label1), QStringList{QStringLiteral("Copiar tudo (cinza)")});
        copyFromTxtVersao();
        QCOMPARE(clipboard->text(), QStringLiteral("antes"));

        m_program->StoreSettings("Senha;1}");
        QTest::mouseClick(window.cmdQuintara, Qt::LeftButton);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        copyFromTxtVersao();
        QCOMPARE(clipboard->text(), QStringLiteral("antes"));
        waitForThePass();
        QCOMPARE(m_program->answerer.messages, QStringList());
        const QString path = QStringLiteral("D:\\Dados\\São Paulo\\Quintara.mdf");
        QCOMPARE(m_program->Text(TextBox::txtLocalBD), path);
        QCOMPARE(ShownInTip(window.box(TextBox::txtLocalBD)), path);

        QCOMPARE(ContextMenuItems(label1), QStringList{QStringLiteral("Copiar tudo")});
        copyFromTxtVersao();
        const QString copied = clipboard->text();
        QVERIFY2(copied.startsWith(QStringLiteral("Servidor: ")) &&
                     copied.endsWith(QStringLiteral("\nLocal Banco: ") + path + QLatin1Char('\n')),
                 qPrintable(copied));
    }

    // The dialog: "Testar conexão" says how it went, "Atualizar lista" lists, the pick is sent.
    void theDialogTestsListsAndGivesTheDatabasePicked() {
        Scenario scenario = BrowserWithTwoDatabases();
        scenario.databases[1].name = "Quintara\r\nTreino";
        m_program = std::make_unique<QtProgram>(scenario);
        s_address = m_program->server.address();
        const auto click = [](DataLinkDialog* dialog, const char* button) {
            dialog->findChild<QPushButton*>(QLatin1String(button))->click();
        };
        m_program->answerer.steps = {
            [click](DataLinkDialog* dialog) {
                fill(dialog, QStringLiteral("errada"));
                click(dialog, "testConnection");
            },
            [click](DataLinkDialog* dialog) {
                QVERIFY(QGuiApplication::overrideCursor() == nullptr);
                fill(dialog, QStringLiteral("Senha;1}"));
                click(dialog, "testConnection");
            },
            [click](DataLinkDialog* dialog) { click(dialog, "refresh"); },
            [](DataLinkDialog* dialog) {
                auto* databases = dialog->findChild<QComboBox*>(QStringLiteral("database"));
                databases->setCurrentIndex(
                    databases->findText(ToQString(u"Quintara\u240D\u240ATreino")));
                dialog->accept();
            }};
        const std::optional<std::u16string> chosen = m_program->prompt.PromptNew();

        QCOMPARE(m_program->answerer.messages.size(), 2);
        QVERIFY2(
            m_program->answerer.messages[0].contains(QStringLiteral("Login failed for user 'sa'.")),
            qPrintable(m_program->answerer.messages[0]));
        QVERIFY(!m_program->answerer.messages[0].contains(QStringLiteral("errada")));
        QCOMPARE(m_program->answerer.messages[1],
                 QStringLiteral("Teste de conexão concluído com êxito."));
        QVERIFY(chosen && chosen->find(u"Quintara\r\nTreino") != std::u16string::npos);
    }

    // Server text is shown as text in a box and its tip, no picture or file loaded; long tips wrap.
    void serverMarkupIsTextInEveryBoxAndTip() {
        const QString picture = QDir::temp().filePath(QStringLiteral("kestrel-markup.png"));
        const std::string markup =
            "<b>x</b><img src='" + picture.toStdString() + "'><a href='y'>z</a><h1>t</h1>&amp;";
        const QString text = QString::fromStdString(markup);
        m_program->services.SetText(TextBox::txtNivel, text.toStdU16String());
        QCOMPARE(m_program->Text(TextBox::txtNivel), text);
        QCOMPARE(ShownInTip(m_program->window.box(TextBox::txtNivel)), text);

        const QString longValue = QString(5000, QLatin1Char('W')) + QStringLiteral(" fim");
        m_program->services.SetText(TextBox::txtEdicao, longValue.toStdU16String());
        QLineEdit* edit = m_program->window.box(TextBox::txtEdicao);
        QCOMPARE(edit->cursorPosition(), 0);
        QCOMPARE(ShownInTip(edit), longValue);
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
        m_program->services.SetTimerEnabled(true);
        QEventLoop loop;
        QTimer::singleShot(0, &m_program->window, [this] {
            QTest::keyClick(&m_program->window, Qt::Key_F, Qt::AltModifier);
        });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QVERIFY(!m_program->window.isVisible());
        QVERIFY(!m_program->window.Timer1->isActive());
    }

private:
    static void fill(DataLinkDialog* dialog, const QString& password) {
        dialog->findChild<QLineEdit*>(QStringLiteral("server"))
            ->setText(QString::fromStdString(s_address) + QStringLiteral("\\QUINTARA"));
        dialog->findChild<QLineEdit*>(QStringLiteral("userName"))->setText(QStringLiteral("sa"));
        auto* secret = dialog->findChild<QLineEdit*>(QStringLiteral("password"));
        QCOMPARE(secret->echoMode(), QLineEdit::Password);
        secret->setText(password);
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
