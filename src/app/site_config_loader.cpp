#include "app/site_config_loader.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "text/cp932.h"

namespace tenrovel::app {

const SiteSetting kSiteSettings[5] = {
    {"MizuhoUrl", "TENROVEL_MIZUHO_URL", &job::SiteConfig::mizuho_url},
    {"MizuhoDetailUrl", "TENROVEL_MIZUHO_DETAIL_URL", &job::SiteConfig::mizuho_detail_url},
    {"SmbcUrl", "TENROVEL_SMBC_URL", &job::SiteConfig::smbc_url},
    {"PostalUrl", "TENROVEL_POSTAL_URL", &job::SiteConfig::postal_url},
    {"MufgUrl", "TENROVEL_MUFG_URL", &job::SiteConfig::mufg_url},
};

const SiteSetting& SiteSettingOf(std::string job::SiteConfig::*field) {
  for (const SiteSetting& setting : kSiteSettings) {
    if (setting.field == field)
      return setting;
  }
  throw std::invalid_argument("SiteSettingOf: not a site of SiteConfig");
}

job::SiteConfig DefaultSiteConfig() {
  job::SiteConfig sites;
  // Believed to be the services' hosts; this machine cannot reach them to check.
  sites.mizuho_url = "https://map.mizuhobank.co.jp";
  sites.mizuho_detail_url = "https://map.mizuhobank.co.jp";
  sites.smbc_url = "https://www.e-map.ne.jp";
  return sites;
}

std::optional<std::string> NormalizeBaseUrl(const std::string& text) {
  std::string url = text::Trim(text);
  while (!url.empty() && url.back() == '/')
    url.pop_back();
  std::size_t host_start;
  if (text::StartsWith(url, "http://")) {
    host_start = 7;
  } else if (text::StartsWith(url, "https://")) {
    host_start = 8;
  } else {
    return std::nullopt;
  }
  if (url.size() == host_start)
    return std::nullopt;
  for (std::size_t i = host_start; i < url.size(); ++i) {
    const char c = url[i];
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == '[' ||
                         c == ']';
    if (!allowed)
      return std::nullopt;  // a path, a query or a stray character
  }
  return url;
}

namespace {

void Apply(job::SiteConfig& sites, const SiteSetting& setting, const std::string& value,
           const std::string& origin, std::vector<std::string>* problems) {
  if (text::Trim(value).empty()) {
    sites.*setting.field = "";  // explicitly unset
    return;
  }
  if (const auto url = NormalizeBaseUrl(value)) {
    sites.*setting.field = *url;
  } else if (problems != nullptr) {
    problems->push_back(origin + ": not a base URL (scheme://host[:port]): " + value);
  }
}

}  // namespace

job::SiteConfig LoadSiteConfig(const std::filesystem::path& ini_file,
                               std::vector<std::string>* problems) {
  job::SiteConfig sites = DefaultSiteConfig();
  const bool have_ini = !ini_file.empty() && platform::FileExists(ini_file);
  constexpr const char* kMissing = "\x01";  // no value can be this
  for (const SiteSetting& setting : kSiteSettings) {
    if (have_ini) {
      const std::string value =
          platform::IniReadString(ini_file, "Hosts", setting.ini_key, kMissing);
      if (value != kMissing)
        Apply(sites, setting, value, std::string("Hosts/") + setting.ini_key, problems);
    }
    if (const auto value = platform::GetEnvironmentUtf8(setting.environment)) {
      Apply(sites, setting, *value, setting.environment, problems);
    }
  }
  if (const auto scale = platform::GetEnvironmentUtf8("TENROVEL_DELAY_SCALE")) {
    char* end = nullptr;
    const double parsed = std::strtod(scale->c_str(), &end);
    if (!scale->empty() && end == scale->c_str() + scale->size() && parsed >= 0 && parsed <= 100) {
      sites.delay_scale = parsed;
    } else if (problems != nullptr) {
      problems->push_back("TENROVEL_DELAY_SCALE: not a number from 0 to 100: " + *scale);
    }
  }
  return sites;
}

}  // namespace tenrovel::app
