// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_PLUM_DOCK 1  // the program's icon: wrench, bolt and DOCK
#define IDB_RUN0 101     // slot 0 picture: applet viewer
#define IDB_RUN1 102     // slot 1 picture: launcher
#define IDB_RUN2 103     // slot 2 picture: compiler
#define IDC_GO 201       // the About window's link pointer: "Go!"
