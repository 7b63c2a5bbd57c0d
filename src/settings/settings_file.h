// The settings file: an INI file read and written through the system's
// profile-string functions, in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/slots.h"

namespace plum {

// Section and key names of the settings file.
inline constexpr wchar_t kSectionPath[] = L"PATH";
inline constexpr wchar_t kSectionCheck[] = L"CHECK";
inline constexpr wchar_t kKeyTop[] = L"TOP";

// The key of each tool slot's command in section PATH, and the command a
// slot gets when the file has none.
inline constexpr const wchar_t* kSlotKeys[kSlotCount] = {L"INDEX_APPLET", L"INDEX_APP",
                                                         L"INDEX_COMPILE"};
inline constexpr const wchar_t* kDefaultToolCommands[kSlotCount] = {L"appletviewer", L"java",
                                                                    L"javac"};
inline constexpr wchar_t kDefaultTop[] = L"1";

// The always-in-front state as the settings dialog's check box holds it.
enum AlwaysInFront : int { kUnticked = 0, kTicked = 1, kGreyed = 2 };

// The always-in-front state for the "TOP" text: 0, 1 or 2 as written; any
// other text means the default, 1 (ticked).
int AlwaysInFrontFromText(std::wstring_view text);

// Reads one value (at most 1023 bytes of it in the ANSI code page). A missing
// file, section or key reads as the empty string.
std::wstring ReadSetting(const std::wstring& section, const std::wstring& key,
                         const std::wstring& file);

struct SettingRead {
  std::wstring value;
  // False when the value read empty and the default could not be stored, so
  // `value` is the default the caller passed rather than what the file holds.
  bool stored = true;
  std::wstring reason;  // why not, in the system's words, when it said
};

// Reads one value, first writing `defaultValue` when it reads empty. The value
// is read again after the write, so the caller gets what the file now holds.
SettingRead ReadSettingOrDefault(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& file, const std::wstring& defaultValue);

// Reads one value at start-up from the data folder's settings file `file`.
// Without an administrator's file (`adminFile` empty), ReadSettingOrDefault.
// With one, `file` is the user's own: its value, else the administrator's,
// else `defaultValue`, and neither file is written, so that a value the
// administrator changes later still reaches the user.
SettingRead ReadStartSetting(const std::wstring& section, const std::wstring& key,
                             const std::wstring& file, const std::wstring& adminFile,
                             const std::wstring& defaultValue);

struct SettingWrite {
  bool ok = true;
  std::wstring key;  // the entry that failed; empty when the file itself did
  // Why it failed, in the system's words or naming the character the ANSI
  // code page cannot hold.
  std::wstring reason;
};

// Writes one value. An empty value leaves the key with nothing after "=".
SettingWrite WriteSetting(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, const std::wstring& file);

struct SettingEntry {
  std::wstring section, key, value;
};

// Writes the entries in order, or none of them when any value cannot be held
// by the ANSI code page or the file's path cannot be. A write the system
// refuses stops at that entry.
SettingWrite WriteSettings(const std::vector<SettingEntry>& entries, const std::wstring& file);

}  // namespace plum
