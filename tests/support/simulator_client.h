// Test-side access to the bank simulator (tools/bank_simulator), which the
// CTest fixture "bank_simulator" starts natively and which tests of both
// builds reach over HTTP on 127.0.0.1. Control requests go through the
// program's own HTTP call, so the same client works under Wine.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tenrovel::test_support {

// One request as the simulator received it.
struct LoggedRequest {
  std::string method;
  std::string target;                                        // path and query
  std::vector<std::pair<std::string, std::string>> headers;  // in order received

  // The values of a header, names compared without regard to case.
  std::vector<std::string> HeaderValues(std::string_view name) const;
};

class BankSimulator {
 public:
  explicit BankSimulator(int port) : port_(port) {}

  // The simulator of the running fixture: its port is read from the file the
  // fixture writes into the build folder, the tests' working folder. Throws
  // std::runtime_error when there is none.
  static BankSimulator FromPortFile(const std::filesystem::path& port_file = "bank_simulator.port");

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `target` ("/path?query").
  std::string Url(std::string_view target) const;

  // The body of a GET of `target`; throws std::runtime_error on failure.
  std::string Get(std::string_view target) const;

  // Arms a fault for the next `count` requests to `path` (0: until cleared).
  // `fault` is the fault's query, e.g. "kind=status&code=500&body=oops".
  void ArmFault(std::string_view path, std::string_view fault, int count = 1) const;

  // The requests received so far whose target starts with `prefix`.
  std::vector<LoggedRequest> Requests(std::string_view prefix) const;

 private:
  int port_;
};

// `base` + "/" + a token that no other test process uses, so that tests
// running side by side do not see each other's requests and faults.
std::string UniquePath(std::string_view base);

// Percent-encodes text for a query value (everything but letters, digits,
// "-._~/" is escaped).
std::string QueryEncode(std::string_view text);

}  // namespace tenrovel::test_support
