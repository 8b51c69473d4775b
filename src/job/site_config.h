// Where the bank sources send their requests, and how long their fixed
// pauses last. Paths and queries are fixed in the sources; only the base
// URLs (scheme, host, optional port, no trailing slash) are configurable.
#pragma once

#include <string>

namespace tenrovel::job {

struct SiteConfig {
  std::string mizuho_url;         // Mizuho location service
  std::string mizuho_detail_url;  // Mizuho branch-detail pages written into the CSV
  std::string smbc_url;           // SMBC store locator
  std::string postal_url;         // postal-code lookup; empty: no lookup is made
  std::string mufg_url;           // prepared MUFG data file; empty: nothing to download
  double delay_scale = 1.0;       // factor on every fixed pause; 0 = no pauses
};

}  // namespace tenrovel::job
