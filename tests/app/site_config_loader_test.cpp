#include "app/site_config_loader.h"

#include <gtest/gtest.h>

#include "platform/files.h"

namespace tenrovel::app {
namespace {

TEST(NormalizeBaseUrl, AcceptsSchemeHostAndPortOnly) {
  struct Case {
    const char* in;
    std::optional<std::string> out;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
      {" https://map.example.jp/ ", "https://map.example.jp"},
      {"https://[::1]:99", "https://[::1]:99"},
      {"ftp://host", std::nullopt},
      {"https://", std::nullopt},
      {"https://host/path", std::nullopt},
      {"https://host?q=1", std::nullopt},
      {"host.example", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormalizeBaseUrl(c.in), c.out) << c.in;
}

// The test run sets none of the TENROVEL_* variables that name sites.
TEST(LoadSiteConfig, HostsSectionOverridesDefaultsAndReportsBadValues) {
  const platform::PrivateTempFolder folder;
  const auto ini = folder.path() / "rvl.ini";
  ASSERT_TRUE(platform::ReplaceFileAtomically(
      ini,
      "[Config]\r\nSelShop=0\r\n[Hosts]\r\nMizuhoUrl=http://127.0.0.1:1/\r\n"
      "MufgUrl=https://mufg.example\r\nSmbcUrl=not a url\r\nMizuhoDetailUrl=\r\n"));
  std::vector<std::string> problems;
  const job::SiteConfig sites = LoadSiteConfig(ini, &problems);
  EXPECT_EQ(sites.mizuho_url, "http://127.0.0.1:1");
  EXPECT_EQ(sites.mufg_url, "https://mufg.example");
  EXPECT_EQ(sites.mizuho_detail_url, "") << "an empty value unsets";
  EXPECT_EQ(sites.smbc_url, DefaultSiteConfig().smbc_url) << "a bad value is ignored";
  ASSERT_EQ(problems.size(), 1U);
  EXPECT_NE(problems[0].find("SmbcUrl"), std::string::npos);

  const job::SiteConfig defaults = LoadSiteConfig(folder.path() / "missing.ini");
  EXPECT_EQ(defaults.mizuho_url, "https://map.mizuhobank.co.jp");
  EXPECT_EQ(defaults.postal_url, "");
  EXPECT_EQ(defaults.mufg_url, "");
}

}  // namespace
}  // namespace tenrovel::app
