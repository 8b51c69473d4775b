// TFrmMain's settings: the chosen bank and prefectures in "rvl.ini",
// section "Config", keys "SelShop" and "Area".
#include <string>

#include "app/frm_main.h"
#include "platform/files.h"
#include "platform/ini_file.h"

namespace tenrovel::app {

namespace {
constexpr const char* kSection = "Config";
constexpr const char* kKeyBank = "SelShop";
constexpr const char* kKeyArea = "Area";
}  // namespace

void TFrmMain::LoadSettings() {
  const std::filesystem::path& file = config_.settings_file;
  if (!platform::FileExists(file)) {
    // First run: every prefecture (chkArea's handler checks them all).
    SetChkAreaChecked(true);
    SetAreaItemIndex(0);
    return;
  }

  // "SelShop" is the bank's place in the table; another value leaves the first.
  const int bank = platform::IniReadInt(file, kSection, kKeyBank, 0);
  if (bank > 0 && static_cast<std::size_t>(bank) < kBankCount)
    SelectBank(static_cast<std::size_t>(bank));

  const std::string area = platform::IniReadString(file, kSection, kKeyArea, "");
  std::size_t count = 0;
  int first_checked = -1;
  for (std::size_t i = 0; i < area_checked_.size() && i < area.size(); ++i) {
    if (area[i] != '1')
      continue;
    SetAreaChecked(i, true);
    if (count++ == 0)
      first_checked = static_cast<int>(i);
  }
  if (count == area_checked_.size())
    SetChkAreaChecked(true);
  SetAreaItemIndex(count > 0 ? first_checked : 0);
}

void TFrmMain::SaveSettings() {
  const std::filesystem::path& file = config_.settings_file;
  if (!platform::FolderExists(file.parent_path()))
    return;
  platform::IniWriteString(file, kSection, kKeyBank, std::to_string(SelectedBank()));
  std::string area;
  for (const bool checked : area_checked_)
    area += checked ? '1' : '0';
  platform::IniWriteString(file, kSection, kKeyArea, area);
}

}  // namespace tenrovel::app
