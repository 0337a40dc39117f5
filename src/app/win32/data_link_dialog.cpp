#include "app/win32/data_link_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/data_link_texts.h"
#include "app/win32/busy_pointer.h"
#include "app/win32/dialog_font.h"
#include "app/win32/dialog_template.h"
#include "app/win32/dpi.h"
#include "app/win32/message_box.h"
#include "app/win32/resource.h"
#include "app/win32/wide_text.h"

namespace texts = kestrel::data_link_texts;

std::optional<std::u16string> DataLinkDialog::Run(HWND owner) {
    // In the window's face at the window's dpi, so that the dialog reads as the window does.
    const std::vector<WORD> dialog = DialogTemplateInFace(
        IDD_DATA_LINK, Wide(DialogFontFace(WindowDpi(owner, DpiFunctions::OfThisSystem()))));
    const INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner,
        DialogProcedure, reinterpret_cast<LPARAM>(this));
    if (result != IDOK) {
        return std::nullopt;
    }
    return m_connectionString;
}

INT_PTR CALLBACK DataLinkDialog::DialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<DataLinkDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_INITDIALOG:
            return HANDLE_WM_INITDIALOG(dialog, wParam, lParam, self->OnInitDialog);
        case WM_COMMAND:
            HANDLE_WM_COMMAND(dialog, wParam, lParam, self->OnCommand);
            return TRUE;
    }
    return FALSE;
}

BOOL DataLinkDialog::OnInitDialog(HWND dialog, HWND, LPARAM) {
    m_dialog = dialog;
    SetWindowTextW(dialog, Wide(texts::kTitle).c_str());
    const struct {
        int id;
        std::u16string_view text;
    } captions[] = {
        {IDC_INTRO, texts::kIntro},
        {IDC_SERVER_GROUP, texts::kServerGroup},
        {IDC_LOGON_GROUP, texts::kLogOnGroup},
        {IDC_INTEGRATED_SECURITY, texts::kIntegratedSecurity},
        {IDC_SERVER_LOGIN, texts::kServerLogin},
        {IDC_USER_NAME_LABEL, texts::kUserName},
        {IDC_PASSWORD_LABEL, texts::kPassword},
        {IDC_BLANK_PASSWORD, texts::kBlankPassword},
        {IDC_DATABASE_GROUP, texts::kDatabaseGroup},
        {IDC_REFRESH, texts::kRefresh},
        {IDC_TEST_CONNECTION, texts::kTestConnection},
        {IDOK, texts::kOk},
        {IDCANCEL, texts::kCancel},
    };
    for (const auto& caption : captions) {
        SetDlgItemTextW(dialog, caption.id, Wide(caption.text).c_str());
    }
    Edit_SetCueBannerText(GetDlgItem(dialog, IDC_SERVER), Wide(texts::kServerHint).c_str());
    CheckRadioButton(dialog, IDC_INTEGRATED_SECURITY, IDC_SERVER_LOGIN, IDC_SERVER_LOGIN);
    UpdateLogOnFields();
    SetFocus(GetDlgItem(dialog, IDC_SERVER));
    return FALSE;  // the focus is set
}

void DataLinkDialog::OnCommand(HWND dialog, int id, HWND, UINT code) {
    const bool command =
        id == IDC_REFRESH || id == IDC_TEST_CONNECTION || id == IDOK || id == IDCANCEL;
    if (command && !kestrel::DataLinkCommandRuns()) {
        return;
    }
    switch (id) {
        case IDC_INTEGRATED_SECURITY:
        case IDC_SERVER_LOGIN:
        case IDC_BLANK_PASSWORD:
            if (code == BN_CLICKED) {
                UpdateLogOnFields();
            }
            break;
        case IDC_REFRESH:
            RefreshDatabases();
            break;
        case IDC_TEST_CONNECTION:
            TestConnection();
            break;
        case IDOK:
            m_connectionString = kestrel::ConnectionStringOf(Fields());
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
    }
}

std::wstring DataLinkDialog::Text(int id) const {
    return WindowText(GetDlgItem(m_dialog, id));
}

kestrel::DataLinkFields DataLinkDialog::Fields() const {
    return {
        .server = FromWide(Text(IDC_SERVER)),
        .integratedSecurity = IsDlgButtonChecked(m_dialog, IDC_INTEGRATED_SECURITY) == BST_CHECKED,
        .userName = FromWide(Text(IDC_USER_NAME)),
        .password = FromWide(Text(IDC_PASSWORD)),
        .blankPassword = IsDlgButtonChecked(m_dialog, IDC_BLANK_PASSWORD) == BST_CHECKED,
        .database = FromWide(Text(IDC_DATABASE)),
        .listedDatabases = m_listedDatabases};
}

void DataLinkDialog::UpdateLogOnFields() {
    const kestrel::LogOnFieldsEnabled enabled = kestrel::EnabledLogOnFields(Fields());
    EnableWindow(GetDlgItem(m_dialog, IDC_USER_NAME), enabled.userName);
    EnableWindow(GetDlgItem(m_dialog, IDC_PASSWORD), enabled.password);
    EnableWindow(GetDlgItem(m_dialog, IDC_BLANK_PASSWORD), enabled.blankPassword);
}

void DataLinkDialog::RefreshDatabases() {
    std::variant<std::vector<kestrel::ListedDatabase>, kestrel::DataLinkNotice> listed;
    {
        BusyWhileWaiting busy;
        listed = kestrel::ListDataLinkDatabases(Fields(), m_timeouts);
    }
    if (const auto* notice = std::get_if<kestrel::DataLinkNotice>(&listed)) {
        ShowNotice(*notice);
        return;
    }
    const HWND databases = GetDlgItem(m_dialog, IDC_DATABASE);
    const std::wstring typed = Text(IDC_DATABASE);
    m_listedDatabases = std::get<std::vector<kestrel::ListedDatabase>>(std::move(listed));
    ComboBox_ResetContent(databases);
    for (const kestrel::ListedDatabase& database : m_listedDatabases) {
        ComboBox_AddString(databases, Wide(database.shown).c_str());
    }
    SetWindowTextW(databases, typed.c_str());
}

void DataLinkDialog::TestConnection() {
    kestrel::DataLinkNotice notice;
    {
        BusyWhileWaiting busy;
        notice = kestrel::TestDataLink(Fields(), m_timeouts);
    }
    ShowNotice(notice);
}

void DataLinkDialog::ShowNotice(const kestrel::DataLinkNotice& notice) {
    ShowMessageBox(m_dialog, notice.text, notice.failed ? MB_ICONWARNING : MB_ICONINFORMATION);
}
