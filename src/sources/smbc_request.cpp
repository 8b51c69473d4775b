#include "sources/smbc_request.h"

#include "platform/codepage.h"
#include "text/cp932.h"

namespace tenrovel::sources {

namespace {

bool StaysAsIs(unsigned char b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9'))
    return true;
  return std::string_view("!$'()*-.@_").find(static_cast<char>(b)) != std::string_view::npos;
}

}  // namespace

std::string UrlEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (StaysAsIs(b)) {
      out += c;
    } else if (b == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

std::string SmbcSearchKeyword(std::string_view pref_name) {
  return UrlEncode(platform::Cp932ToUtf8(pref_name));
}

std::string SmbcSearchPath(std::string_view keyword) {
  return "/smt/smbcbank/search_fw.htm?keyword=" + std::string(keyword) +
         "&condSum2=on&cond7=COL_29%3A1";
}

std::string SmbcListPath(std::string_view keyword, int page, std::string_view parent_host) {
  return "/smt/smbcbank/zdcemaphttp2.cgi?target="
         "http%3A%2F%2F127.0.0.1%2Fsmt%2Fsmbcbank%2Fsearch_fw_list.htm%3Fkeyword%3D" +
         text::ReplaceAll(keyword, "%", "%2525") + "%26pg%3D" + std::to_string(page) +
         "%26cond7%3DCOL_29%253A1%26count5%3D3%26count1%3D1%26count2%3D11%26target%3D5"
         "%26https_req%3D1%26PARENT_HTTP_HOST%3D" +
         std::string(parent_host) + "&zdccnt=1&enc=UTF8&encodeflg=1";
}

std::string UrlAuthority(std::string_view base_url) {
  const std::size_t scheme_end = base_url.find("://");
  std::string_view rest =
      scheme_end == std::string_view::npos ? base_url : base_url.substr(scheme_end + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  // A user name and password are no part of the host.
  if (const std::size_t at = rest.rfind('@'); at != std::string_view::npos)
    rest.remove_prefix(at + 1);
  return std::string(rest);
}

std::string SmbcDetailPath(std::string_view detail_id) {
  return "/smt/smbcbank/inf/" + std::string(detail_id) + "/";
}

std::string PostalLookupPath(std::string_view town) {
  return "/PostanWs.aspx?inputWords=" + UrlEncode(platform::Cp932ToUtf8(town));
}

}  // namespace tenrovel::sources
