// LoadSettings and SaveSettings: "rvl.ini", section "Config", keys
// "SelShop" and "Area".
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "frm_main_fixture.h"
#include "job/prefectures.h"
#include "platform/ini_file.h"

namespace tenrovel::app {
namespace {

using SettingsTest = FrmMainFixture;

std::string Ones(std::size_t n) {
  return std::string(n, '1');
}

// 47 characters, "1" at the given positions.
std::string Area(const std::vector<std::size_t>& ones) {
  std::string area(47, '0');
  for (const std::size_t i : ones)
    area[i] = '1';
  return area;
}

std::string AreaFile(const std::string& area) {
  std::string text = "[Config]\r\nArea=";
  text.append(area);
  text.append("\r\n");
  return text;
}

TEST_F(SettingsTest, LoadAppliesTheSavedBankAndPrefectures) {
  struct Case {
    const char* name;
    std::optional<std::string> file;  // none: no settings file
    std::size_t bank;
    std::string checked;  // "0"/"1" per prefecture, shorter means the rest unchecked
    bool chk_area;
    int item_index;
  };
  const Case cases[] = {
      {"first run", std::nullopt, kMizuho, Ones(47), true, 0},
      {"unknown bank", "[Config]\r\nSelShop=7\r\n", kMizuho, "", false, 0},
      {"not a number", "[Config]\r\nSelShop=x\r\nArea=1\r\n", kMizuho, "1", false, 0},
      {"SMBC", "[Config]\r\nSelShop=1\r\n", kSmbc, "", false, 0},
      {"MUFG", "[Config]\r\nSelShop=2\r\n", kMufg, "", false, 0},
      {"Tokyo only", AreaFile("0000000000001"), kMizuho, "0000000000001", false, 12},
      {"all", AreaFile(Ones(47)), kMizuho, Ones(47), true, 0},
      {"longer, other characters", AreaFile("0201" + std::string(43, '0') + "1111"), kMizuho,
       "0001", false, 3},
      // Without a "Config" section the file holds no choices: as on a first run.
      {"other section", "[Other]\r\nSelShop=1\r\nArea=1\r\n", kMizuho, Ones(47), true, 0},
      {"hosts only", "[Hosts]\r\nMufgUrl=http://x\r\n", kMizuho, Ones(47), true, 0},
      // The whole value is the number, or it reads as 0.
      {"digits then letters", "[Config]\r\nSelShop=1abc\r\n", kMizuho, "", false, 0},
      {"a decimal fraction", "[Config]\r\nSelShop=2.0\r\n", kMizuho, "", false, 0},
      {"blanks and a sign", "[Config]\r\nSelShop= +2 \r\n", kMufg, "", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetView();
    std::filesystem::remove(config.settings_file);
    if (c.file)
      platform::ReplaceFileAtomically(config.settings_file, *c.file);
    Open();
    EXPECT_EQ(frm->SelectedBank(), c.bank);
    for (int i = 0; i < 47; ++i) {
      const bool expected = static_cast<std::size_t>(i) < c.checked.size() && c.checked[i] == '1';
      EXPECT_EQ(view.area_checked.at(i), expected) << i;
    }
    EXPECT_EQ(view.Of(Control::chkArea).checked, c.chk_area);
    EXPECT_EQ(view.area_item_index, c.item_index);
    frm.reset();
  }
}

TEST_F(SettingsTest, LeavingTheIdleWindowSavesBankAndPrefectures) {
  struct Case {
    std::size_t bank;
    std::vector<int> checked;
    std::string sel_shop;
    std::string area;
  };
  const Case cases[] = {
      {kMufg, {}, "2", std::string(47, '0')},
      {kSmbc, {0, 12}, "1", Area({0, 12})},
      {kMizuho, {46}, "0", Area({46})},
  };
  for (const Case& c : cases) {
    ResetView();
    // Other content of the file stays.
    platform::ReplaceFileAtomically(config.settings_file, "[Hosts]\r\nMufg=http://x\r\n");
    Open();
    Select(c.checked);
    frm->UserSelectBank(c.bank);
    EXPECT_TRUE(frm->FormCloseQuery());
    EXPECT_EQ(platform::IniReadString(config.settings_file, "Config", "SelShop", ""), c.sel_shop);
    EXPECT_EQ(platform::IniReadString(config.settings_file, "Config", "Area", ""), c.area);
    EXPECT_EQ(platform::IniReadString(config.settings_file, "Hosts", "Mufg", ""), "http://x");
    frm.reset();
  }
}

TEST_F(SettingsTest, NothingIsWrittenWhenTheFolderIsMissing) {
  config.settings_file = folder.path() / "missing" / "rvl.ini";
  Open();
  EXPECT_TRUE(frm->FormCloseQuery());
  EXPECT_FALSE(platform::FolderExists(folder.path() / "missing"));
}

}  // namespace
}  // namespace tenrovel::app
