// Finding a JDK tool that the PATH does not reach: in the JDK that JAVA_HOME
// names, or in a JDK that an installer registered.
#pragma once

#include <string>

namespace plum {

// The full path of `program`, a bare name, where the system's search (the PATH, with the PATHEXT
// extensions) finds it; empty when it does not.
std::wstring ProgramOnPath(const std::wstring& program);

// A program in an installed JDK's bin folder.
struct JdkProgram {
  std::wstring path;  // its full path; empty when no JDK has it
  int java = 0;       // the JDK's Java ("17.0.9" is 17) when known; 0 otherwise
};

// `program` (a bare name such as L"javac", without extension) in the bin folder of an installed
// JDK: JAVA_HOME first, then the registered JDKs, newest first; with `atLeast` or `atMost` (0:
// no bound), only in a JDK known to be of a Java in that range. Nothing is read before it is
// called.
JdkProgram FindInstalledJdkProgram(const std::wstring& program, int atLeast, int atMost);

// Whether Java `java` (0: unknown) is known to lie between `atLeast` and `atMost` (0: no bound).
bool JavaInRange(int java, int atLeast, int atMost);

// The Java of a JDK version: "1.8.0_381" is 8, "21.0.2" 21, "zulu-17" 17; 0 for none.
int JavaVersionFromText(const std::wstring& version);

// The Java of the JDK program `program` (a full path): its version resource's file version, else
// the release file of the JDK whose bin folder holds it; 0 when neither tells.
int JavaVersionOfProgram(const std::wstring& program);

// Whether JDK version `a` is newer than `b`, their numbers compared in turn: "1.8.0_392",
// "17.0.9", "21.0.1+12", "zulu-17". The "1." of the old scheme is left out, so 1.8 is 8.
bool NewerJdkVersion(const std::wstring& a, const std::wstring& b);

}  // namespace plum
