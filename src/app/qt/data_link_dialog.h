#pragma once

#include <QDialog>

#include "app/data_link_form.h"
#include "connection/database_access.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Our own data-link dialog: the server, the log-on and the database of a new connection. It can
// test the connection and fetch the server's databases without closing. What it decides lives in
// app/data_link_form.h; this is its Qt view.
class DataLinkDialog : public QDialog {
    Q_OBJECT

public:
    explicit DataLinkDialog(QWidget* parent, kestrel::DatabaseTimeouts timeouts = {});

    // The OLE DB connection string for what is filled in now.
    std::u16string connectionString() const;

protected:
    // OK, Cancel, Esc and the title bar's close all end here.
    void done(int result) override;

private:
    kestrel::DataLinkFields fields() const;
    void updateLogOnFields();
    void refreshDatabases();
    void testConnection();
    void showNotice(const kestrel::DataLinkNotice& notice);

    kestrel::DatabaseTimeouts m_timeouts;
    std::vector<kestrel::ListedDatabase> m_listedDatabases;
    QLineEdit* m_server = nullptr;
    QRadioButton* m_integratedSecurity = nullptr;
    QRadioButton* m_serverLogin = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_blankPassword = nullptr;
    QComboBox* m_database = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_test = nullptr;
};
