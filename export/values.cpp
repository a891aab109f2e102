// Which values the export holds: the settings pages' save sets, looked up in
// the registry tree.
#include <algorithm>

#include "app/settings_dlg.h"
#include "export/provisioning.h"

namespace provisioning {

namespace reg = platform::registry;

std::vector<pages::SavedValue> SettingsSaveSet() {
  std::vector<pages::SavedValue> all;
  for (const CSettingsDlg::TabEntry& tab : CSettingsDlg::kTabs) {
    if (tab.saveSet == nullptr) continue;
    const std::vector<pages::SavedValue> page = tab.saveSet();
    all.insert(all.end(), page.begin(), page.end());
  }
  return all;
}

std::u16string KeyPath(HKEY root, std::u16string_view key) {
  const std::optional<reg::Root> r = reg::RootFromHandle(root);
  const std::string_view rootName = r ? reg::RootShortName(*r) : std::string_view("?");
  std::u16string path(rootName.begin(), rootName.end());
  for (const std::u16string& part : reg::SplitKeyPath(key)) {
    path += u'\\';
    path += part;
  }
  return path;
}

std::vector<StoredValue> CollectValues(const reg::RegTree& tree,
                                       std::span<const pages::SavedValue> saveSet) {
  std::vector<StoredValue> values;
  for (const pages::SavedValue& saved : saveSet) {
    const std::optional<reg::Root> root = reg::RootFromHandle(saved.root);
    if (!root) continue;
    const std::u16string path = KeyPath(saved.root, saved.key);
    const bool seen = std::any_of(values.begin(), values.end(), [&](const StoredValue& v) {
      return reg::NamesEqual(v.name, saved.name) && reg::NamesEqual(KeyPath(v.root, v.key), path);
    });
    if (seen) continue;
    const reg::RegKey* key = tree.Find(*root, reg::SplitKeyPath(saved.key));
    const reg::RegValue* value = key != nullptr ? key->FindValue(saved.name) : nullptr;
    if (value == nullptr) continue;
    values.push_back({saved.root, saved.key, saved.name, value->type, value->data});
  }
  return values;
}

}  // namespace provisioning
