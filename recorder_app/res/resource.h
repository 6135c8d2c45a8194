// Resource and control IDs shared by the program and its resource script.
#pragma once

#define IDD_MAINDLG             102
#define IDI_APP                 107
#define IDR_ACCELERATORS        109
#define IDD_UPDATEDLG           133
#define IDB_BACKGROUND          135

#define IDC_RECORD              1001
#define IDC_PLAY                1002
#define IDC_OPEN                1003
#define IDC_PUBLISH             1004
#define IDC_ADVSPOT             1014
#define IDC_UPDATE_PROGRESS     1015
#define IDC_REWIND_BACK         1018
#define IDC_REWIND_FORWARD      1019
#define IDC_SAVE                1024

#define ID_REWIND_BACK          32771
#define ID_REWIND_FORWARD       32772
#define ID_UNDO                 32773
#define ID_REDO                 32774
#define ID_PAUSE_BACK           32775
#define ID_PAUSE_FORWARD        32776
#define ID_SELECT_BACK          32777
#define ID_SELECT_FORWARD       32778
#define ID_DELETE_SELECTION     32779

// The publication dialogs.
#define IDD_PUBLISH             134
#define IDD_SUBMIT              162
#define IDC_LOGIN               1001
#define IDC_LOGIN_NAME          1005
#define IDC_PASSWORD            1006
#define IDC_FORGOT_PASSWORD     1012
#define IDC_PUBLISH_PROGRESS    1017
#define IDC_PODCAST             1021
#define IDC_EPISODE_TITLE       1022
#define IDC_DESCRIPTION         1023
#define IDC_TERMS               1025

// The loudness dialog.
#define IDD_LOUDNESS            191
#define IDC_LOUD_INTEGRATED     1040
#define IDC_LOUD_RANGE          1041
#define IDC_LOUD_PEAK           1042
#define IDC_LOUD_PROGRESS       1043
#define IDC_LOUD_NOTE           1044
#define IDC_EVEN_OUT            1045

// The dialog of "Tighten pauses...".
#define IDD_TIGHTEN             192
#define IDC_TIGHTEN_LONGER      1050
#define IDC_TIGHTEN_TO          1051
#define IDC_TIGHTEN_PROGRESS    1052
#define IDC_TIGHTEN_NOTE        1053
