// Finding a JDK tool that the PATH does not reach: in the JDK that JAVA_HOME
// names, or in a JDK that an installer registered.
#pragma once

#include <string>

namespace plum {

// The full path of `program`, a bare name, where the system's search (the PATH, with the PATHEXT
// extensions) finds it; empty when it does not.
std::wstring ProgramOnPath(const std::wstring& program);

// The full path of `program` (a bare name such as L"javac", without extension) in the bin
// folder of an installed JDK: JAVA_HOME first, then the registered JDKs, newest first; empty when
// none has it. Nothing is read before it is called.
std::wstring FindInstalledJdkProgram(const std::wstring& program);

// Whether JDK version `a` is newer than `b`, their numbers compared in turn: "1.8.0_392",
// "17.0.9", "21.0.1+12", "zulu-17". The "1." of the old scheme is left out, so 1.8 is 8.
bool NewerJdkVersion(const std::wstring& a, const std::wstring& b);

}  // namespace plum
