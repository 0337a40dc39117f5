#include "app/qt/data_link_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/qt/message_box.h"
#include "app/qt/qstring_conversion.h"
#include "connection/connection_check.h"

namespace {

// Talking to a server blocks the dialog for up to the login timeout: show it.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

DataLinkDialog::DataLinkDialog(QWidget* parent, kestrel::DatabaseTimeouts timeouts)
    : QDialog(parent), m_timeouts(timeouts) {
    setObjectName(QStringLiteral("DataLinkDialog"));
    setWindowTitle(QStringLiteral("Propriedades de vínculo de dados"));

    auto* intro =
        new QLabel(QStringLiteral("Especifique o seguinte para se conectar a dados do SQL Server:"));

    auto* serverGroup = new QGroupBox(QStringLiteral("1. Selecione ou digite um nome de servidor:"));
    m_server = new QLineEdit;
    m_server->setObjectName(QStringLiteral("server"));
    m_server->setPlaceholderText(QStringLiteral("servidor, servidor\\instância ou servidor,porta"));
    m_server->setAccessibleName(QStringLiteral("Nome do servidor"));
    (new QVBoxLayout(serverGroup))->addWidget(m_server);

    auto* logOnGroup =
        new QGroupBox(QStringLiteral("2. Insira informações para fazer logon no servidor:"));
    m_integratedSecurity =
        new QRadioButton(QStringLiteral("Usar a segurança &integrada do Windows NT"));
    m_integratedSecurity->setObjectName(QStringLiteral("integratedSecurity"));
    m_serverLogin =
        new QRadioButton(QStringLiteral("Usar um nome de &usuário e senha específicos:"));
    m_serverLogin->setObjectName(QStringLiteral("serverLogin"));
    m_serverLogin->setChecked(true);
    m_userName = new QLineEdit;
    m_userName->setObjectName(QStringLiteral("userName"));
    m_password = new QLineEdit;
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_blankPassword = new QCheckBox(QStringLiteral("Senha em &branco"));
    m_blankPassword->setObjectName(QStringLiteral("blankPassword"));
    auto* credentials = new QFormLayout;
    credentials->setContentsMargins(20, 0, 0, 0);
    credentials->addRow(QStringLiteral("&Nome de usuário:"), m_userName);
    credentials->addRow(QStringLiteral("S&enha:"), m_password);
    credentials->addRow(QString(), m_blankPassword);
    auto* logOn = new QVBoxLayout(logOnGroup);
    logOn->addWidget(m_integratedSecurity);
    logOn->addWidget(m_serverLogin);
    logOn->addLayout(credentials);

    auto* databaseGroup =
        new QGroupBox(QStringLiteral("3. Selecione o banco de dados no servidor:"));
    m_database = new QComboBox;
    m_database->setObjectName(QStringLiteral("database"));
    m_database->setEditable(true);
    m_database->setAccessibleName(QStringLiteral("Banco de dados"));
    m_refresh = new QPushButton(QStringLiteral("&Atualizar lista"));
    m_refresh->setObjectName(QStringLiteral("refresh"));
    m_refresh->setAutoDefault(false);
    auto* database = new QHBoxLayout(databaseGroup);
    database->addWidget(m_database, 1);
    database->addWidget(m_refresh);

    m_test = new QPushButton(QStringLiteral("&Testar conexão"));
    m_test->setObjectName(QStringLiteral("testConnection"));
    m_test->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(serverGroup);
    layout->addWidget(logOnGroup);
    layout->addWidget(databaseGroup);
    layout->addWidget(m_test, 0, Qt::AlignRight);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(m_integratedSecurity, &QRadioButton::toggled, this,
            &DataLinkDialog::updateLogOnFields);
    connect(m_blankPassword, &QCheckBox::toggled, this, &DataLinkDialog::updateLogOnFields);
    connect(m_refresh, &QPushButton::clicked, this, &DataLinkDialog::refreshDatabases);
    connect(m_test, &QPushButton::clicked, this, &DataLinkDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateLogOnFields();
    m_server->setFocus();
}

kestrel::DataLinkChoices DataLinkDialog::choices() const {
    kestrel::DataLinkChoices chosen;
    chosen.server = m_server->text().toStdU16String();
    chosen.integratedSecurity = m_integratedSecurity->isChecked();
    if (!chosen.integratedSecurity) {
        chosen.userName = m_userName->text().toStdU16String();
        chosen.password = m_blankPassword->isChecked() ? u"" : m_password->text().toStdU16String();
    }
    chosen.database = m_database->currentText().toStdU16String();
    return chosen;
}

std::u16string DataLinkDialog::connectionString() const {
    return kestrel::BuildDataLinkString(choices());
}

void DataLinkDialog::updateLogOnFields() {
    const bool serverLogin = !m_integratedSecurity->isChecked();
    m_userName->setEnabled(serverLogin);
    m_password->setEnabled(serverLogin && !m_blankPassword->isChecked());
    m_blankPassword->setEnabled(serverLogin);
}

void DataLinkDialog::refreshDatabases() {
    kestrel::DataLinkChoices withoutDatabase = choices();
    withoutDatabase.database.clear();
    const QString typed = m_database->currentText();
    try {
        std::vector<std::u16string> names;
        {
            BusyPointer busy;
            names = kestrel::ListDatabases(kestrel::BuildDataLinkString(withoutDatabase), m_timeouts);
        }
        m_database->clear();
        for (const std::u16string& name : names) {
            m_database->addItem(ToQString(name));
        }
        m_database->setCurrentText(typed);
    } catch (const kestrel::Failure& failure) {
        ShowMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("Não foi possível obter a lista de bancos de dados:\n") +
                           ToQString(failure.description));
    }
}

void DataLinkDialog::testConnection() {
    std::optional<kestrel::Failure> failure;
    {
        BusyPointer busy;
        failure = kestrel::TestConnection(connectionString(), m_timeouts);
    }
    if (failure) {
        ShowMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("Falha no teste de conexão:\n") +
                           ToQString(failure->description));
    } else {
        ShowMessageBox(this, QMessageBox::Information,
                       QStringLiteral("Teste de conexão concluído com êxito."));
    }
}
