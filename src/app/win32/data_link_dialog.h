#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/data_link_form.h"
#include "connection/database_access.h"

// The connection dialog on the Windows API, from the template IDD_DATA_LINK: the server, the
// log-on and the database of a new connection. What it decides lives in app/data_link_form.h;
// this is its view.
class DataLinkDialog {
public:
    explicit DataLinkDialog(kestrel::DatabaseTimeouts timeouts) : m_timeouts(timeouts) {}

    // Shows the dialog modal to `owner`: the connection string the user built, or nothing when
    // the user cancels.
    std::optional<std::u16string> Run(HWND owner);

private:
    static INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    BOOL OnInitDialog(HWND dialog, HWND focus, LPARAM parameter);
    void OnCommand(HWND dialog, int id, HWND control, UINT code);

    kestrel::DataLinkFields Fields() const;
    std::wstring Text(int id) const;
    void UpdateLogOnFields();
    void RefreshDatabases();
    void TestConnection();
    void ShowNotice(const kestrel::DataLinkNotice& notice);

    kestrel::DatabaseTimeouts m_timeouts;
    std::vector<kestrel::ListedDatabase> m_listedDatabases;
    HWND m_dialog = nullptr;
    std::u16string m_connectionString;
};
