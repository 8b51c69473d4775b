#include "job/download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "platform/files.h"
#include "support/simulator_client.h"

namespace tenrovel::job {
namespace {

struct Case {
  const char* name;
  std::string target;
  bool stop;
  bool expected;
  std::string stored;  // the file afterwards
};

// DownloadToFile reports the transfer's outcome and passes the stop request
// on; the transfer itself is tested with the platform layer.
TEST(DownloadToFile, ReportsSuccessAndKeepsTheFileOnFailure) {
  const auto sim = test_support::BankSimulator::FromPortFile();
  const platform::PrivateTempFolder folder;
  const auto path = folder.path() / "tmp.dat";
  const Case cases[] = {
      {"body stored", "/test/bytes?n=3", false, true, "abc"},
      {"HTTP error", "/test/status?code=404&body=x", false, false, "before"},
      {"stop requested", "/test/bytes?n=3", true, false, "before"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, "before"));
    const std::atomic<bool> stop{c.stop};
    EXPECT_EQ(DownloadToFile(sim.Url(c.target), path, &stop), c.expected) << c.name;
    EXPECT_EQ(platform::ReadFileBytes(path).value_or(""), c.stored) << c.name;
  }
}

}  // namespace
}  // namespace tenrovel::job
