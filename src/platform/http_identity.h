// The request identity that every download sends, shared by the libcurl and
// WinINet backends. The bank sites answer a desktop browser; these values are
// fixed and must not drift between the two systems.
#pragma once

namespace tenrovel::platform::http_identity {

inline constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/87.0.4280.66 Safari/537.36";

// The three extra header lines, in order.
inline constexpr const char* kHeaderLines[] = {
    "Accept: text/html, application/xhtml+xml, image/jxr, */*",
    "Accept-Language: ja-JP",
    "Connection: Keep-Alive",
};

// WinINet takes them as one block, lines separated by CR LF and no CR LF
// after the last.
inline constexpr wchar_t kHeaderBlock[] =
    L"Accept: text/html, application/xhtml+xml, image/jxr, */*\r\n"
    L"Accept-Language: ja-JP\r\n"
    L"Connection: Keep-Alive";

// Bytes moved per read and write.
inline constexpr unsigned kTransferUnit = 1000;

}  // namespace tenrovel::platform::http_identity
