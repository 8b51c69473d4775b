// HttpGetToFile against the bank simulator, a real HTTP server on
// 127.0.0.1: the same cases run natively (libcurl) and under Wine (WinINet).
#include "platform/http.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/simulator_client.h"

namespace tenrovel::platform {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using test_support::BankSimulator;
using test_support::QueryEncode;
using test_support::UniquePath;

const std::string kPrevious = "previous content\r\n";

// The simulator's body patterns.
std::string Text(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i)
    s.push_back(static_cast<char>('a' + i % 26));
  return s;
}
std::string Binary(std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i)
    s.push_back(static_cast<char>(i % 256));
  return s;
}

// Compares bodies without printing them whole.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected)
    return ::testing::AssertionSuccess();
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return ::testing::AssertionFailure()
         << "got " << actual.size() << " bytes, expected " << expected.size()
         << "; first difference at byte " << (a - actual.begin()) << "; got \""
         << actual.substr(0, 40) << (actual.size() > 40 ? "...\"" : "\"");
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class HttpGetToFileTest : public ::testing::Test {
 protected:
  const BankSimulator sim_ = BankSimulator::FromPortFile();
  const PrivateTempFolder folder_;
  const fs::path destination_ = folder_.path() / "tmp.dat";

  void WritePrevious() const { ASSERT_TRUE(ReplaceFileAtomically(destination_, kPrevious)); }
  std::string Stored() const { return ReadFileBytes(destination_).value_or("<absent>"); }
  // After a failure: the earlier file as it was, and no temporary file left.
  void ExpectUntouched(const std::string& label) const {
    EXPECT_TRUE(SameBytes(Stored(), kPrevious)) << label;
    EXPECT_EQ(FolderEntries(folder_.path()), std::vector<std::string>{"tmp.dat"}) << label;
  }
};

struct BodyCase {
  const char* name;
  std::string target;  // appended to a unique /test/... path
  std::string body;
};

TEST_F(HttpGetToFileTest, StoresEveryByteOfTheBody) {
  const std::string redirect_target = "/test/bytes?n=1234";
  const std::string chained_target =
      "/test/redirect?code=307&to=" + QueryEncode("/test/bytes?n=99&pattern=binary");
  const BodyCase cases[] = {
      {"exactly one transfer unit", "/test/bytes?n=1000", Text(1000)},
      {"one byte past a transfer unit", "/test/bytes?n=1001", Text(1001)},
      {"empty body", "/test/bytes?n=0", ""},
      {"NUL bytes kept", "/test/bytes?n=2600&pattern=binary", Binary(2600)},
      {"chunked, chunks across transfer units", "/test/bytes?n=5000&chunk=777", Text(5000)},
      {"chunked NUL bytes", "/test/bytes?n=3000&pattern=binary&chunk=1000", Binary(3000)},
      {"large body", "/test/bytes?n=300000", Text(300000)},
      {"redirect to a relative target", "/test/redirect?to=" + QueryEncode(redirect_target),
       Text(1234)},
      {"redirect chain 301 then 307", "/test/redirect?code=301&to=" + QueryEncode(chained_target),
       Binary(99)},
  };
  for (const auto& c : cases) {
    WritePrevious();
    const std::string target = c.target;
    const std::size_t query = target.find('?');
    const std::string url = sim_.Url(UniquePath(target.substr(0, query)) + target.substr(query));
    const DownloadResult result = HttpGetToFile(url, destination_);
    EXPECT_TRUE(result.ok) << c.name << ": " << result.error;
    EXPECT_TRUE(result.ok == result.error.empty()) << c.name;
    EXPECT_TRUE(SameBytes(Stored(), c.body)) << c.name;
    EXPECT_EQ(FolderEntries(folder_.path()), std::vector<std::string>{"tmp.dat"}) << c.name;
  }
}

struct FailureCase {
  const char* name;
  std::string url;
  std::string error;  // empty: any reason
};

TEST_F(HttpGetToFileTest, FailureLeavesTheDestinationAsItWas) {
  const std::string to_missing = "/test/status?code=404&body=gone";
  const FailureCase cases[] = {
      {"404 with a body", sim_.Url(UniquePath("/test/status") + "?code=404&body=missing"),
       "HTTP 404"},
      {"500 with a chunked body",
       sim_.Url(UniquePath("/test/status") + "?code=500&body=oops&chunk=2"), "HTTP 500"},
      {"redirect to a 404", sim_.Url("/test/redirect?to=" + QueryEncode(to_missing)), "HTTP 404"},
      {"body shorter than its Content-Length",
       sim_.Url(UniquePath("/test/bytes") + "?n=3000&fault=truncate&send=1200"),
       kDownloadShortBody},
      {"empty body short of its Content-Length",
       sim_.Url(UniquePath("/test/bytes") + "?n=10&fault=truncate&send=0"), kDownloadShortBody},
      {"connection reset before an answer",
       sim_.Url(UniquePath("/test/bytes") + "?n=10&fault=refuse"), ""},
      {"connection refused", "http://127.0.0.1:1/test/bytes?n=10", kDownloadCannotConnect},
      {"not a URL", "not a url", ""},
  };
  for (const auto& c : cases) {
    WritePrevious();
    const DownloadResult result = HttpGetToFile(c.url, destination_);
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_FALSE(result.error.empty()) << c.name;
    if (!c.error.empty()) {
      EXPECT_EQ(result.error, c.error) << c.name;
    }
    ExpectUntouched(c.name);
  }
}

// A chunked body has no length to check it against: libcurl sees the missing
// last chunk, the WinINet backend the connection that was not kept.
TEST_F(HttpGetToFileTest, ChunkedBodyCutOffFails) {
  WritePrevious();
  const DownloadResult result = HttpGetToFile(
      sim_.Url(UniquePath("/test/bytes") + "?n=3000&chunk=500&fault=truncate&send=1200"),
      destination_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, kDownloadBrokenBody);
  ExpectUntouched("chunked body cut off");
}

// An answer over the size limit is refused, by its Content-Length before any
// of it is stored, or by what came when it has none (chunked).
TEST_F(HttpGetToFileTest, AnswerOverTheLimitFails) {
  DownloadOptions options;
  options.max_body_bytes = 2500;
  const BodyCase cases[] = {
      {"at the limit", "/test/bytes?n=2500", Text(2500)},
      {"chunked, at the limit", "/test/bytes?n=2500&chunk=1000", Text(2500)},
      {"one byte over, with Content-Length", "/test/bytes?n=2501", ""},
      {"one byte over, chunked", "/test/bytes?n=2501&chunk=1000", ""},
      {"far over, chunked", "/test/bytes?n=200000&chunk=4096", ""},
  };
  for (const auto& c : cases) {
    WritePrevious();
    const std::size_t query = c.target.find('?');
    const DownloadResult result =
        HttpGetToFile(sim_.Url(UniquePath(c.target.substr(0, query)) + c.target.substr(query)),
                      destination_, options);
    if (c.body.empty()) {
      EXPECT_EQ(result.error, kDownloadTooLarge) << c.name;
      ExpectUntouched(c.name);
    } else {
      EXPECT_TRUE(result.ok) << c.name << ": " << result.error;
      EXPECT_TRUE(SameBytes(Stored(), c.body)) << c.name;
    }
  }
}

TEST_F(HttpGetToFileTest, FailureCreatesNoFile) {
  const std::pair<std::string, fs::path> cases[] = {
      {"/test/status?code=500", destination_},
      {"/test/bytes?n=10", folder_.path() / "missing" / "tmp.dat"},
  };
  for (const auto& [target, destination] : cases) {
    EXPECT_FALSE(HttpGetToFile(sim_.Url(target), destination).ok) << target;
    EXPECT_TRUE(FolderEntries(folder_.path()).empty()) << target;
  }
}

TEST_F(HttpGetToFileTest, DestinationWithJapaneseNames) {
  const fs::path folder = folder_.path() / fs::path(u8"店舗一覧");
  fs::create_directory(folder);
  const fs::path destination = folder / fs::path(u8"みずほ銀行.dat");
  const DownloadResult result = HttpGetToFile(sim_.Url("/test/bytes?n=1500"), destination);
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(SameBytes(ReadFileBytes(destination).value_or("<absent>"), Text(1500)));
}

TEST_F(HttpGetToFileTest, SendsTheBrowserIdentity) {
  const std::string path = UniquePath("/test/headers");
  ASSERT_TRUE(HttpGetToFile(sim_.Url(path), destination_).ok);
  const std::vector<test_support::LoggedRequest> requests = sim_.Requests(path);
  ASSERT_EQ(requests.size(), 1u);
  const test_support::LoggedRequest& request = requests[0];
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, path);
  using Values = std::vector<std::string>;
  EXPECT_EQ(request.HeaderValues("User-Agent"),
            Values{"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like "
                   "Gecko) Chrome/87.0.4280.66 Safari/537.36"});
  // WinINet's InternetOpenUrl puts its own "Accept: */*" before the block
  // it is given.
  const std::string accept = "text/html, application/xhtml+xml, image/jxr, */*";
  EXPECT_THAT(
      request.HeaderValues("Accept"),
      ::testing::AnyOf(::testing::ElementsAre(accept), ::testing::ElementsAre("*/*", accept)));
  EXPECT_EQ(request.HeaderValues("Accept-Language"), Values{"ja-JP"});
  const Values connection = request.HeaderValues("Connection");
  ASSERT_FALSE(connection.empty());
  for (const std::string& value : connection)
    EXPECT_TRUE(value == "Keep-Alive" || value == "keep-alive") << value;
  EXPECT_TRUE(request.HeaderValues("Proxy-Connection").empty());

  // The echo of the same request, as the body, agrees with the log.
  const std::string echoed = Stored();
  EXPECT_NE(echoed.find("\r\nAccept-Language: ja-JP\r\n"), std::string::npos) << echoed;
}

struct StallCase {
  const char* name;
  std::string query;
};

// The server would finish after 8 s; the 1.5 s stall timer must end the
// transfer first, or the download succeeds and the case fails.
TEST_F(HttpGetToFileTest, StallTimerEndsASilentTransfer) {
  const StallCase cases[] = {
      {"silent mid-body", "?n=5000&fault=stall&after=1500&seconds=8"},
      {"silent before the status line", "?n=100&fault=stall&before_headers=1&seconds=8"},
  };
  DownloadOptions options;
  options.stall_timeout = milliseconds(1500);
  for (const auto& c : cases) {
    WritePrevious();
    const DownloadResult result =
        HttpGetToFile(sim_.Url(UniquePath("/test/bytes") + c.query), destination_, options);
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_EQ(result.error, kDownloadStalled) << c.name;
    ExpectUntouched(c.name);
  }
}

TEST_F(HttpGetToFileTest, PausesShorterThanTheStallTimeoutAreWaitedOut) {
  DownloadOptions options;
  options.stall_timeout = milliseconds(2500);
  const DownloadResult result =
      HttpGetToFile(sim_.Url(UniquePath("/test/bytes") + "?n=3000&fault=slow&pauses=2&seconds=1.2"),
                    destination_, options);
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(SameBytes(Stored(), Text(3000)));
}

// The one timing bound that is a function of the program: a stop request
// must end a download that the server holds up, well within a second.
TEST_F(HttpGetToFileTest, StopRequestEndsAStalledDownloadPromptly) {
  const StallCase cases[] = {
      {"stalled mid-body", "?n=5000&fault=stall&after=2500&seconds=8"},
      {"stalled before the status line", "?n=100&fault=stall&before_headers=1&seconds=8"},
  };
  for (const auto& c : cases) {
    WritePrevious();
    std::atomic<bool> stop{false};
    DownloadOptions options;
    options.stop = &stop;
    const std::string url = sim_.Url(UniquePath("/test/bytes") + c.query);
    auto download = std::async(std::launch::async, [&] {
      const DownloadResult result = HttpGetToFile(url, destination_, options);
      return std::make_pair(result, std::chrono::steady_clock::now());
    });
    std::this_thread::sleep_for(milliseconds(800));
    ASSERT_EQ(download.wait_for(milliseconds(0)), std::future_status::timeout) << c.name;
    const auto requested = std::chrono::steady_clock::now();
    stop = true;
    const auto [result, ended] = download.get();
    const auto elapsed = std::chrono::duration_cast<milliseconds>(ended - requested);
    std::printf("stop request to return (%s): %lld ms\n", c.name,
                static_cast<long long>(elapsed.count()));
    RecordProperty(
        std::string("stop_ms_") +
            (c.query.find("before") != std::string::npos ? "before_headers" : "mid_body"),
        static_cast<int>(elapsed.count()));
    EXPECT_LT(elapsed, milliseconds(3000)) << c.name;
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_EQ(result.error, kDownloadCancelled) << c.name;
    ExpectUntouched(c.name);
  }
}

TEST_F(HttpGetToFileTest, StopAlreadyRequestedSendsNothing) {
  WritePrevious();
  const std::string path = UniquePath("/test/bytes");
  const std::atomic<bool> stop{true};
  DownloadOptions options;
  options.stop = &stop;
  const DownloadResult result = HttpGetToFile(sim_.Url(path + "?n=10"), destination_, options);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, kDownloadCancelled);
  ExpectUntouched("stop already requested");
  EXPECT_TRUE(sim_.Requests(path).empty());
}

TEST_F(HttpGetToFileTest, DownloadsInParallelThreads) {
  std::vector<std::future<std::pair<bool, std::string>>> downloads;
  for (std::size_t i = 0; i < 4; ++i) {
    downloads.push_back(std::async(std::launch::async, [this, i] {
      const fs::path destination = folder_.path() / ("file" + std::to_string(i));
      const std::size_t size = 1000 * (i + 1) + i;
      const DownloadResult result = HttpGetToFile(
          sim_.Url("/test/bytes?fault=slow&pauses=1&seconds=0.3&n=" + std::to_string(size)),
          destination);
      return std::make_pair(result.ok && ReadFileBytes(destination) == Text(size), result.error);
    }));
  }
  for (auto& download : downloads) {
    const auto [ok, error] = download.get();
    EXPECT_TRUE(ok) << error;
  }
}

// Faults armed through the control endpoint, as the bank source tests use
// them: they hit the next requests to one path only.
struct ArmedCase {
  const char* name;
  std::string fault;
  int count;
  std::string first_error;  // empty: the first download succeeds
  std::string first_body;
};

TEST_F(HttpGetToFileTest, ArmedFaultsHitTheNextRequestsToTheirPath) {
  const ArmedCase cases[] = {
      {"status once", "kind=status&code=500&body=down", 1, "HTTP 500", ""},
      {"truncated", "kind=truncate&send=700", 1, kDownloadShortBody, ""},
      {"NUL bytes", "kind=nul&every=500", 1, "",
       [] {
         std::string body = Text(2000);
         for (std::size_t i = 0; i < body.size(); i += 500)
           body[i] = '\0';
         return body;
       }()},
      {"status twice", "kind=status&code=404", 2, "HTTP 404", ""},
  };
  for (const auto& c : cases) {
    const std::string path = UniquePath("/test/bytes");
    sim_.ArmFault(path, c.fault, c.count);
    for (int attempt = 0; attempt < c.count; ++attempt) {
      WritePrevious();
      const DownloadResult armed = HttpGetToFile(sim_.Url(path + "?n=2000"), destination_);
      if (c.first_error.empty()) {
        EXPECT_TRUE(armed.ok) << c.name << ": " << armed.error;
        EXPECT_TRUE(SameBytes(Stored(), c.first_body)) << c.name;
      } else {
        EXPECT_EQ(armed.error, c.first_error) << c.name;
        ExpectUntouched(c.name);
      }
    }
    const DownloadResult next = HttpGetToFile(sim_.Url(path + "?n=2000"), destination_);
    EXPECT_TRUE(next.ok) << c.name << ": " << next.error;
    EXPECT_TRUE(SameBytes(Stored(), Text(2000))) << c.name;
    EXPECT_EQ(sim_.Requests(path).size(), static_cast<std::size_t>(c.count + 1)) << c.name;
  }
}

}  // namespace
}  // namespace tenrovel::platform
