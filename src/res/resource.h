// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_PLUM_DOCK 1  // the program's icon: wrench, bolt and DOCK
#define IDB_RUN0 101     // slot 0 picture: applet viewer
#define IDB_RUN1 102     // slot 1 picture: launcher
#define IDB_RUN2 103     // slot 2 picture: compiler
// The slot pictures drawn at 150% (75 pixels) and 200% (100 pixels).
#define IDB_RUN0_150 111
#define IDB_RUN1_150 112
#define IDB_RUN2_150 113
#define IDB_RUN0_200 121
#define IDB_RUN1_200 122
#define IDB_RUN2_200 123
#define IDC_GO 201      // the About window's link pointer: "Go!"
#define IDR_VIEWER 301  // the applet viewer's Java source, written into the data folder

// Control IDs. The settings dialog's OK and Cancel deliberately avoid IDOK
// and IDCANCEL: neither is the default or cancel button, so Enter and Esc
// press neither.
#define IDC_RUN0 100  // the main window's slot images `run` 0..2
#define IDC_SET_OK 1001
#define IDC_SET_CANCEL 1002
#define IDC_SET_LABEL0 1010    // `Label` 0..2
#define IDC_SET_PATH0 1020     // `path` 0..2
#define IDC_SET_COMMAND0 1030  // `Command` 0..2
#define IDC_SET_CHECK1 1040
#define IDC_VER_TITLE 3001
#define IDC_VER_VERSION 3002
#define IDC_VER_LINK 3003
#define IDC_VER_DESCRIPTION 3004
#define IDC_VER_DISCLAIMER 3005
// The main window's menu commands.
#define IDM_SETTING 2001   // メニュー > 設定
#define IDM_ENDING 2002    // メニュー > 終了
#define IDM_VERSION 2003   // 情報 > バージョン
#define IDM_HELP_PRO 2004  // ヘルプ > 本体
#define IDM_HELP_LIB 2005  // ヘルプ > ライブラリ
