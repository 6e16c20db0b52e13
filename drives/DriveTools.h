// The drive table: finding the optical drives, their records, and the forms
// of a drive's name.
#pragma once

#include <string>
#include <vector>

#include "platform/Drives.h"
#include "settings/Orbl2Records.h"

namespace orbl {

// Letters (upper case, ascending) of the drives the system reports as CD-ROM
// drives. Letters above the highest present drive are never queried.
std::vector<char> EnumerateOpticalDrives(const platform::DriveEnumerator& drives);

// A record as the scan creates it: the letter upper-cased, every option at
// its default, no hot key ids yet.
TDriveRecord NewDriveRecord(char letter);

// Position of the drive with this letter (compared without regard to case), -1 if none.
int FindDriveIndex(const TDriveTable& table, char letter);

char UpperLetter(char letter);
std::string DriveCaption(char letter);  // "D:"

// Name of a drive's hot key atom: "Orbelle drive D close" or "... lock",
// followed by the main window's handle in decimal, so that two running copies
// never share a name.
std::string HotKeyAtomName(char letter, const char* role, std::uintptr_t mainWindow);

}  // namespace orbl
