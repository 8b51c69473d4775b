// Where the sites are: built-in defaults, overridden by an optional "Hosts"
// section of rvl.ini (read, never written), overridden in turn by the
// environment. TENROVEL_DELAY_SCALE scales the fixed pauses between requests.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "job/site_config.h"

namespace tenrovel::app {

// The five settings: ini key and environment variable of each base URL.
struct SiteSetting {
  const char* ini_key;
  const char* environment;
  std::string job::SiteConfig::*field;
};
extern const SiteSetting kSiteSettings[5];
// The setting of a SiteConfig field.
const SiteSetting& SiteSettingOf(std::string job::SiteConfig::*field);

// Defaults. The postal-code lookup and the prepared MUFG file have no known
// public host and stay unset until configured.
job::SiteConfig DefaultSiteConfig();

// `ini_file` may be empty or absent. Values that cannot be used are left at
// the value before them and reported in `problems` (English, one per line).
job::SiteConfig LoadSiteConfig(const std::filesystem::path& ini_file,
                               std::vector<std::string>* problems = nullptr);

// A base URL as the sources use it: "http://" or "https://", a host and an
// optional port, no trailing slash; nullopt when `text` is not such a URL.
std::optional<std::string> NormalizeBaseUrl(const std::string& text);

}  // namespace tenrovel::app
