// The requests of the SMBC source: the store locator's keyword search, its
// list through the locator's proxy script, the detail pages, and the
// postal-code lookup. Paths and queries are fixed; only the base URLs are
// configured (SiteConfig).
#pragma once

#include <string>
#include <string_view>

namespace tenrovel::sources {

// Byte-wise percent encoding for a query value: letters, digits and
// ! $ ' ( ) * - . @ _ stay, a space becomes "+", every other byte becomes
// "%" and two upper-case hex digits. Give it UTF-8.
std::string UrlEncode(std::string_view bytes);

// The search keyword: the prefecture name (CP932) as URL-encoded UTF-8.
std::string SmbcSearchKeyword(std::string_view pref_name);

// "/smt/smbcbank/search_fw.htm?keyword=..." for a search keyword.
std::string SmbcSearchPath(std::string_view keyword);

// The proxy request for list page `page` (1, 2, ...). The proxy fetches the
// list page named by the encoded target; that target carries the keyword
// encoded twice more ("%" becomes "%2525") and `parent_host`, the
// store-locator authority as configured (host, and ":port" when the URL names
// one), written as is.
std::string SmbcListPath(std::string_view keyword, int page, std::string_view parent_host);

// The authority of a base URL: "https://a.example:8443/x" gives
// "a.example:8443", "https://a.example" gives "a.example".
std::string UrlAuthority(std::string_view base_url);

// "/smt/smbcbank/inf/<id>/".
std::string SmbcDetailPath(std::string_view detail_id);

// "/PostanWs.aspx?inputWords=..." for a town name in CP932.
std::string PostalLookupPath(std::string_view town);

}  // namespace tenrovel::sources
