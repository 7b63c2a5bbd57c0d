// Counts of the objects the RAII handle types own, kept only in the build
// with PLUM_DOCK_COUNT_OBJECTS (plum_dock_counted.exe) for the leak tests:
// another process asks the main window for them with the registered message
// kObjectCountMessage (wParam: the ObjectKind; the reply: the live count).
#pragma once

#include <windows.h>

#include "common/handles.h"

namespace plum {

inline constexpr wchar_t kObjectCountMessage[] = L"PlumDockObjectCounts";

#ifdef PLUM_DOCK_COUNT_OBJECTS
// The live objects of one kind that handle wrappers own now.
long ObjectCount(ObjectKind kind);
#endif

}  // namespace plum
