#include "drives/DriveTools.h"

#include "platform/AsciiCase.h"

namespace orbl {

char UpperLetter(char letter) {
  return AsciiUpper(letter);
}

std::vector<char> EnumerateOpticalDrives(const platform::DriveEnumerator& drives) {
  std::vector<char> letters;
  std::uint32_t mask = drives.LogicalDrives();
  for (int i = 0; mask != 0 && i < 26; ++i, mask >>= 1) {
    if ((mask & 1u) == 0) continue;
    const char letter = static_cast<char>('A' + i);
    if (drives.TypeOf(letter) == platform::DriveType::CdRom) letters.push_back(letter);
  }
  return letters;
}

TDriveRecord NewDriveRecord(char letter) {
  TDriveRecord record;
  record.Letter = UpperLetter(letter);
  return record;
}

int FindDriveIndex(const TDriveTable& table, char letter) {
  const char wanted = UpperLetter(letter);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (UpperLetter(table[i].Letter) == wanted) return static_cast<int>(i);
  }
  return -1;
}

std::string DriveCaption(char letter) {
  return std::string(1, UpperLetter(letter)) + ":";
}

std::string HotKeyAtomName(char letter, const char* role, std::uintptr_t mainWindow) {
  return "Orbelle drive " + std::string(1, UpperLetter(letter)) + " " + role +
         std::to_string(mainWindow);
}

}  // namespace orbl
