// A JDK tool off the PATH: JAVA_HOME first, then the JDKs that installers register in either
// registry view, newest first, each only when its bin folder has the tool; the PATH search.
#include <gtest/gtest.h>

#include "slots/jdk_finder.h"
#include "support.h"

using namespace t;

namespace {

fs::path Jdk(const fs::path& home, std::initializer_list<const wchar_t*> tools) {
  fs::create_directories(home / L"bin");
  for (const wchar_t* tool : tools) WriteFile(home / L"bin" / (tool + std::wstring(L".exe")), "");
  return home;
}

constexpr REGSAM k64 = KEY_WOW64_64KEY, k32 = KEY_WOW64_32KEY;

}  // namespace

TEST(Jdk, VersionOrder) {
  const wchar_t* newerOlder[][2] = {{L"17", L"1.8.0_392"},       {L"17.0.9", L"17"},
                                    {L"17.0.10", L"17.0.9.9"},   {L"21.0.1+12", L"17.0.9"},
                                    {L"1.8.0_392", L"1.8.0_45"}, {L"1.8.0_392", L"8.0.302.8"},
                                    {L"zulu-17", L"zulu-8"},     {L"zulu-21", L"17.0.9.9"}};
  for (const auto& [newer, older] : newerOlder) {
    EXPECT_TRUE(plum::NewerJdkVersion(newer, older) && !plum::NewerJdkVersion(older, newer))
        << Utf8(newer) << " " << Utf8(older);
  }
  const std::pair<const wchar_t*, int> javas[] = {
      {L"1.8.0_381", 8}, {L"21.0.2", 21}, {L"25", 25}, {L"zulu-17", 17}, {L"", 0}};
  for (const auto& [version, java] : javas) EXPECT_EQ(plum::JavaVersionFromText(version), java);
}

// A Java told by its launcher's version resource, else by its JDK's release file; a search for a
// Java at least that new passes over the older ones.
TEST(Jdk, TheJavaOfAProgramAndJdksOfAtLeastAJava) {
  Scratch s(L"javas");
  EXPECT_EQ(plum::JavaVersionOfProgram(Here() / L"java8.exe"), 8);
  const fs::path jdk8 = Jdk(s.dir / L"jdk8", {L"java"}), jdk21 = Jdk(s.dir / L"jdk21", {L"java"});
  const fs::path unknown = Jdk(s.dir / L"jdk", {L"java"});
  WriteFile(jdk8 / L"release", "IMPLEMENTOR=\"X\"\nJAVA_VERSION=\"1.8.0_381\"\n");
  WriteFile(jdk21 / L"release", "JAVA_VERSION=\"21.0.2\"\n");
  const auto java = [](const fs::path& home) { return (home / L"bin\\java.exe").wstring(); };
  EXPECT_EQ(plum::JavaVersionOfProgram(java(jdk8)), 8);
  EXPECT_EQ(plum::JavaVersionOfProgram(java(jdk21)), 21);
  EXPECT_EQ(plum::JavaVersionOfProgram(java(unknown)), 0);
  const wchar_t* const key = L"SOFTWARE\\JavaSoft\\JDK";
  const Registered older({k64, key, L"1.8", L"", L"JavaHome"}, jdk8);
  const Registered newer({k32, key, L"21", L"", L"JavaHome"}, jdk21);
  SetEnvironmentVariableW(L"JAVA_HOME", jdk8.c_str());
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"java", 0, 0).path, java(jdk8));
  const plum::JdkProgram found = plum::FindInstalledJdkProgram(L"java", 17, 0);
  EXPECT_EQ(found.path, java(jdk21));
  EXPECT_EQ(found.java, 21);
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"java", 25, 0).path, L"");
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"java", 11, 17).path, L"");  // 8 and 21 both outside
  SetEnvironmentVariableW(L"JAVA_HOME", unknown.c_str());  // an unknown Java is not new enough
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"java", 17, 0).path, java(jdk21));
  SetEnvironmentVariableW(L"JAVA_HOME", nullptr);
}

TEST(Jdk, JavaHomeThenRegisteredNewestFirst) {
  ASSERT_EQ(plum::ProgramOnPath(L"javac"), L"");
  Scratch s(L"jdks");
  const fs::path old = Jdk(s.dir / L"jdk1.8.0_392", {L"javac", L"appletviewer"});
  const fs::path jdk17 = Jdk(s.dir / L"jdk-17", {L"javac"}), jre = Jdk(s.dir / L"jre", {L"java"});
  const auto javac = [](const fs::path& home) { return (home / L"bin\\javac.exe").wstring(); };
  const Registration rows[] = {
      {k64, L"SOFTWARE\\JavaSoft\\Java Development Kit", L"1.8.0_392", L"", L"JavaHome"},
      {k32, L"SOFTWARE\\JavaSoft\\JDK", L"17.0.9", L"", L"JavaHome", REG_EXPAND_SZ},
      {k64, L"SOFTWARE\\Eclipse Adoptium\\JDK", L"17.0.9.9", L"\\hotspot\\MSI", L"Path"},
      {k32, L"SOFTWARE\\Microsoft\\JDK", L"17.0.9.8", L"\\hotspot\\MSI", L"Path"},
      {k32, L"SOFTWARE\\Azul Systems\\Zulu", L"zulu-17", L"", L"InstallationPath"}};
  SetEnvironmentVariableW(L"PLUM_JDKS", s.dir.c_str());
  for (const Registration& r : rows) {  // each with a trailing backslash, as some write it
    const std::wstring home = r.type == REG_SZ ? jdk17.wstring() : L"%PLUM_JDKS%\\jdk-17";
    const Registered one(r, home + L"\\");
    EXPECT_EQ(plum::FindInstalledJdkProgram(L"javac", 0, 0).path, javac(jdk17)) << Utf8(r.key);
  }
  const Registered older({k64, rows[0].key, L"1.8.0_392", L"", L"JavaHome"}, old);
  const Registered newer({k32, rows[1].key, L"17", L"", L"JavaHome"}, jdk17);
  const Registered newest({k64, rows[1].key, L"21", L"", L"JavaHome"}, jre);  // a JRE: no javac
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"javac", 0, 0).path, javac(jdk17));
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"appletviewer", 0, 0).path,
            (old / L"bin\\appletviewer.exe").wstring());
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"jshell", 0, 0).path, L"");
  SetEnvironmentVariableW(L"JAVA_HOME", old.c_str());
  EXPECT_EQ(plum::FindInstalledJdkProgram(L"javac", 0, 0).path, javac(old));
  SetEnvironmentVariableW(L"JAVA_HOME", nullptr);
}

TEST(Jdk, ProgramOnPathWithPathExt) {
  Scratch s(L"path");
  for (const wchar_t* file : {L"plumtool.exe", L"plumbatch.cmd"}) WriteFile(s.dir / file, "");
  EXPECT_NE(plum::ProgramOnPath(L"cmd"), L"");
  EXPECT_EQ(plum::ProgramOnPath(L"plumtool"), L"");
  wchar_t path[32767] = {};
  GetEnvironmentVariableW(L"PATH", path, 32767);
  SetEnvironmentVariableW(L"PATH", (path + (L";" + s.dir.wstring())).c_str());
  const wchar_t* found[][2] = {{L"plumtool", L"plumtool.exe"},
                               {L"plumtool.exe", L"plumtool.exe"},
                               {L"plumbatch", L"plumbatch.cmd"}};
  for (const auto& [name, file] : found)
    EXPECT_TRUE(fs::equivalent(plum::ProgramOnPath(name), s.dir / file)) << Utf8(name);
  EXPECT_EQ(plum::ProgramOnPath(L"plum_nowhere"), L"");
  SetEnvironmentVariableW(L"PATH", path);
}
