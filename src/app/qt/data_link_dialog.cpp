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

#include "app/data_link_texts.h"
#include "app/qt/message_box.h"
#include "app/qt/qstring_conversion.h"

namespace {

// Talking to a server blocks the dialog for up to the login timeout: show it.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

using namespace kestrel::data_link_texts;

DataLinkDialog::DataLinkDialog(QWidget* parent, kestrel::DatabaseTimeouts timeouts)
    : QDialog(parent), m_timeouts(timeouts) {
    setObjectName(QStringLiteral("DataLinkDialog"));
    setWindowTitle(ToQString(kTitle));

    auto* intro = new QLabel(ToQString(kIntro));

    auto* serverGroup = new QGroupBox(ToQString(kServerGroup));
    m_server = new QLineEdit;
    m_server->setObjectName(QStringLiteral("server"));
    m_server->setPlaceholderText(ToQString(kServerHint));
    m_server->setAccessibleName(ToQString(kServerName));
    (new QVBoxLayout(serverGroup))->addWidget(m_server);

    auto* logOnGroup = new QGroupBox(ToQString(kLogOnGroup));
    m_integratedSecurity = new QRadioButton(ToQString(kIntegratedSecurity));
    m_integratedSecurity->setObjectName(QStringLiteral("integratedSecurity"));
    m_serverLogin = new QRadioButton(ToQString(kServerLogin));
    m_serverLogin->setObjectName(QStringLiteral("serverLogin"));
    m_serverLogin->setChecked(true);
    m_userName = new QLineEdit;
    m_userName->setObjectName(QStringLiteral("userName"));
    m_password = new QLineEdit;
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_blankPassword = new QCheckBox(ToQString(kBlankPassword));
    m_blankPassword->setObjectName(QStringLiteral("blankPassword"));
    auto* credentials = new QFormLayout;
    credentials->setContentsMargins(20, 0, 0, 0);
    credentials->addRow(ToQString(kUserName), m_userName);
    credentials->addRow(ToQString(kPassword), m_password);
    credentials->addRow(QString(), m_blankPassword);
    auto* logOn = new QVBoxLayout(logOnGroup);
    logOn->addWidget(m_integratedSecurity);
    logOn->addWidget(m_serverLogin);
    logOn->addLayout(credentials);

    auto* databaseGroup = new QGroupBox(ToQString(kDatabaseGroup));
    m_database = new QComboBox;
    m_database->setObjectName(QStringLiteral("database"));
    m_database->setEditable(true);
    m_database->setAccessibleName(ToQString(kDatabaseName));
    m_refresh = new QPushButton(ToQString(kRefresh));
    m_refresh->setObjectName(QStringLiteral("refresh"));
    m_refresh->setAutoDefault(false);
    auto* database = new QHBoxLayout(databaseGroup);
    database->addWidget(m_database, 1);
    database->addWidget(m_refresh);

    m_test = new QPushButton(ToQString(kTestConnection));
    m_test->setObjectName(QStringLiteral("testConnection"));
    m_test->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(ToQString(kOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(ToQString(kCancel));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(serverGroup);
    layout->addWidget(logOnGroup);
    layout->addWidget(databaseGroup);
    layout->addWidget(m_test, 0, Qt::AlignRight);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(m_integratedSecurity, &QRadioButton::toggled, this, &DataLinkDialog::updateLogOnFields);
    connect(m_blankPassword, &QCheckBox::toggled, this, &DataLinkDialog::updateLogOnFields);
    connect(m_refresh, &QPushButton::clicked, this, &DataLinkDialog::refreshDatabases);
    connect(m_test, &QPushButton::clicked, this, &DataLinkDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateLogOnFields();
    m_server->setFocus();
}

kestrel::DataLinkFields DataLinkDialog::fields() const {
    return {.server = m_server->text().toStdU16String(),
            .integratedSecurity = m_integratedSecurity->isChecked(),
            .userName = m_userName->text().toStdU16String(),
            .password = m_password->text().toStdU16String(),
            .blankPassword = m_blankPassword->isChecked(),
            .database = m_database->currentText().toStdU16String(),
            .listedDatabases = m_listedDatabases};
}

std::u16string DataLinkDialog::connectionString() const {
    return kestrel::ConnectionStringOf(fields());
}

void DataLinkDialog::updateLogOnFields() {
    const kestrel::LogOnFieldsEnabled enabled = kestrel::EnabledLogOnFields(fields());
    m_userName->setEnabled(enabled.userName);
    m_password->setEnabled(enabled.password);
    m_blankPassword->setEnabled(enabled.blankPassword);
}

void DataLinkDialog::done(int result) {
    if (kestrel::DataLinkCommandRuns()) {
        QDialog::done(result);
    }
}

void DataLinkDialog::refreshDatabases() {
    if (!kestrel::DataLinkCommandRuns()) {
        return;
    }
    std::variant<std::vector<kestrel::ListedDatabase>, kestrel::DataLinkNotice> listed;
    {
        BusyPointer busy;
        listed = kestrel::ListDataLinkDatabases(fields(), m_timeouts);
    }
    if (const auto* notice = std::get_if<kestrel::DataLinkNotice>(&listed)) {
        showNotice(*notice);
        return;
    }
    const QString typed = m_database->currentText();
    m_listedDatabases = std::get<std::vector<kestrel::ListedDatabase>>(std::move(listed));
    m_database->clear();
    for (const kestrel::ListedDatabase& database : m_listedDatabases) {
        m_database->addItem(ToQString(database.shown));
    }
    m_database->setCurrentText(typed);
}

void DataLinkDialog::testConnection() {
    if (!kestrel::DataLinkCommandRuns()) {
        return;
    }
    kestrel::DataLinkNotice notice;
    {
        BusyPointer busy;
        notice = kestrel::TestDataLink(fields(), m_timeouts);
    }
    showNotice(notice);
}

void DataLinkDialog::showNotice(const kestrel::DataLinkNotice& notice) {
    ShowMessageBox(this, notice.failed ? QMessageBox::Warning : QMessageBox::Information,
                   ToQString(notice.text));
}
