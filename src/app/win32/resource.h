// Resource ids of kestrel.rc, shared by the resource script and the code.
#pragma once

#define IDI_KESTREL 1

// "Copiar tudo", in the window's system menu and as Ctrl+Shift+C. A system-menu command keeps its
// low four bits clear and stays below the system's own (0xF000).
#define IDA_KESTREL 2
#define IDM_COPIAR_TUDO 0x0010

#define IDD_DATA_LINK 100
#define IDC_INTRO 1001
#define IDC_SERVER_GROUP 1002
#define IDC_SERVER 1003
#define IDC_LOGON_GROUP 1004
#define IDC_INTEGRATED_SECURITY 1005
#define IDC_SERVER_LOGIN 1006
#define IDC_USER_NAME_LABEL 1007
#define IDC_USER_NAME 1008
#define IDC_PASSWORD_LABEL 1009
#define IDC_PASSWORD 1010
#define IDC_BLANK_PASSWORD 1011
#define IDC_DATABASE_GROUP 1012
#define IDC_DATABASE 1013
#define IDC_REFRESH 1014
#define IDC_TEST_CONNECTION 1015
