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
#define IDC_GO 201  // the About window's link pointer: "Go!"
