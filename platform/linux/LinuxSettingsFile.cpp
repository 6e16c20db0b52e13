#include "platform/linux/LinuxSettingsFile.h"

#include "platform/AsciiCase.h"
#include "platform/linux/LinuxFolders.h"

namespace orbl::lnx {

using platform::KeyAccess;
using platform::StoredValue;
using platform::ValueType;

namespace {

// Every value may be at its largest and escaped byte by byte; anything
// bigger is not a file this program wrote.
constexpr std::size_t kMaxFileBytes = 64 << 20;

bool IsKnownType(ValueType type) {
  switch (type) {
    case ValueType::Absent:
    case ValueType::Text:
    case ValueType::Binary:
    case ValueType::Number:
    case ValueType::MultiText:
      return true;
  }
  return false;
}

}  // namespace

// Between sessions of open keys the file is the truth: an edit by hand, or a
// save that failed, shows at the next open.
void LinuxSettingsFile::LoadIfIdle() {
  if (!opened_.empty()) return;
  const std::optional<std::string> text = ReadSmallFile(path_, kMaxFileBytes);
  tree_ = text ? ParseSettings(*text) : SettingsTree{};
  changed_ = false;
}

LinuxSettingsFile::Key LinuxSettingsFile::Remember(std::string id, bool writable) {
  const Key key = nextKey_++;
  opened_[key] = {std::move(id), writable};
  return key;
}

LinuxSettingsFile::Key LinuxSettingsFile::OpenKey(const std::string& path, KeyAccess access) {
  LoadIfIdle();
  std::string id = AsciiLower(path);
  if (!tree_.contains(id)) return 0;
  return Remember(std::move(id), access == KeyAccess::ReadWrite);
}

LinuxSettingsFile::Key LinuxSettingsFile::CreateKey(const std::string& path) {
  if (!IsValidKeyPath(path)) return 0;
  LoadIfIdle();
  const std::size_t before = tree_.size();
  std::string id = AddKeyWithParents(tree_, path);
  if (tree_.size() != before) changed_ = true;
  return Remember(std::move(id), true);
}

void LinuxSettingsFile::CloseKey(Key key) {
  const auto it = opened_.find(key);
  if (it == opened_.end()) return;
  const bool writable = it->second.writable;
  opened_.erase(it);
  if (!writable || !changed_) return;
  const std::size_t slash = path_.find_last_of('/');
  if (MakeFolders(slash == std::string::npos || slash == 0 ? "/" : path_.substr(0, slash)) &&
      ReplaceFile(path_, FormatSettings(tree_))) {
    changed_ = false;
  }
}

std::optional<StoredValue> LinuxSettingsFile::QueryValue(Key key, const std::string& name) const {
  const auto opened = opened_.find(key);
  if (opened == opened_.end()) return std::nullopt;
  const auto stored = tree_.find(opened->second.id);
  if (stored == tree_.end()) return std::nullopt;
  const auto value = stored->second.values.find(AsciiLower(name));
  if (value == stored->second.values.end()) return std::nullopt;
  return value->second.second;
}

SettingsKey* LinuxSettingsFile::Writable(Key key) {
  const auto opened = opened_.find(key);
  if (opened == opened_.end() || !opened->second.writable) return nullptr;
  const auto stored = tree_.find(opened->second.id);
  return stored == tree_.end() ? nullptr : &stored->second;
}

bool LinuxSettingsFile::SetValue(Key key, const std::string& name, const StoredValue& value) {
  SettingsKey* stored = Writable(key);
  // What the file could not read back is refused here rather than lost later.
  if (stored == nullptr || !IsKnownType(value.type) || value.data.size() > kMaxSettingsValueBytes ||
      name.size() > kMaxSettingsValueBytes) {
    return false;
  }
  auto [it, added] = stored->values.try_emplace(AsciiLower(name), name, value);
  if (!added) it->second.second = value;
  changed_ = true;
  return true;
}

bool LinuxSettingsFile::DeleteValue(Key key, const std::string& name) {
  SettingsKey* stored = Writable(key);
  if (stored == nullptr || stored->values.erase(AsciiLower(name)) == 0) return false;
  changed_ = true;
  return true;
}

}  // namespace orbl::lnx
