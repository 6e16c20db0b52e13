// Where and how the options are kept between runs: one settings key of the
// current user, every value a text except the drive count.
#pragma once

#include <array>
#include <string>
#include <variant>

#include "platform/SettingsStore.h"
#include "settings/Orbl2Records.h"

namespace orbl {

inline constexpr const char* kSettingsKey = "SOFTWARE\\Corvantis\\Orbelle\\3.x";
inline constexpr std::size_t kDriveValueCount = 27;

using DriveFieldRef = std::variant<bool*, std::int32_t*>;

// A drive's stored values, in the order they are written and read: the value
// name is the drive letter followed by the suffix; `Field` finds the option.
struct TDriveValue {
  const char* Suffix;
  DriveFieldRef (*Field)(TDriveRecord&);
};
extern const std::array<TDriveValue, kDriveValueCount> kDriveValues;

// A program-wide value's field: none for the drive count, which the save
// takes from the drive table.
using AppFieldRef = std::variant<std::monostate, std::string*, char*, std::int32_t*>;

// The program-wide values, in the order they are written; the load reads
// those marked, in the same order, after every drive's values.
struct TAppValue {
  const char* Name;
  AppFieldRef (*Field)(TAppOptions&);
  bool Loaded;
};
inline constexpr std::size_t kAppValueCount = 7;
extern const std::array<TAppValue, kAppValueCount> kAppValues;

// Reads the stored options into the drive table and the program-wide options.
// A value that is missing, not a text, or not a number leaves its one field
// as it was and the load goes on, so a new drive or a hand-edited value never
// keeps the others from loading. Returns whether the settings key could be
// opened; when it could not, nothing changed.
bool LoadSettings(platform::SettingsStore& store, TDriveTable& drives, TAppOptions& options);

// Whether the settings have ever been saved (the settings key exists).
bool SettingsStored(platform::SettingsStore& store);

// Writes every option. Silent when the key can be neither opened nor created.
void SaveSettings(platform::SettingsStore& store, const TDriveTable& drives,
                  const TAppOptions& options);

// Position of the language file in use among the language files found; else
// that of the default file; -1 when neither is listed. The last equal entry
// wins. Paths compare without regard to case, as the file system does: a
// language stored as "german.ini" is still the file German.ini.
int FindLanguageIndex(const TAppOptions& options, const std::string& defaultLanguageFile);

}  // namespace orbl
