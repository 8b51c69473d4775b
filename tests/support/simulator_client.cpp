#include "support/simulator_client.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/files.h"
#include "platform/http.h"

namespace tenrovel::test_support {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Splits the simulator's text log: per request its request line, its header
// lines, an empty line; lines end with CR LF.
std::vector<LoggedRequest> ParseLog(std::string_view text) {
  std::vector<LoggedRequest> requests;
  LoggedRequest* current = nullptr;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
    if (line.empty()) {
      current = nullptr;
    } else if (current == nullptr) {
      current = &requests.emplace_back();
      const std::size_t first = line.find(' ');
      const std::size_t last = line.rfind(' ');
      current->method = std::string(line.substr(0, first));
      current->target = std::string(line.substr(first + 1, last - first - 1));
    } else {
      const std::size_t colon = line.find(": ");
      current->headers.emplace_back(std::string(line.substr(0, colon)),
                                    std::string(line.substr(colon + 2)));
    }
  }
  return requests;
}

}  // namespace

std::vector<std::string> LoggedRequest::HeaderValues(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [key, value] : headers) {
    if (EqualsIgnoringCase(key, name))
      values.push_back(value);
  }
  return values;
}

BankSimulator BankSimulator::FromPortFile(const std::filesystem::path& port_file) {
  std::ifstream in(port_file);
  int port = 0;
  if (!(in >> port) || port <= 0 || port > 65535)
    throw std::runtime_error("no bank simulator: cannot read " + port_file.string() +
                             " (run the tests through ctest, which starts it)");
  return BankSimulator(port);
}

std::string BankSimulator::Url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

std::string BankSimulator::Get(std::string_view target) const {
  const platform::PrivateTempFolder folder;
  const std::filesystem::path file = folder.path() / "body";
  const platform::DownloadResult result = platform::HttpGetToFile(Url(target), file);
  if (!result.ok)
    throw std::runtime_error("GET " + std::string(target) + ": " + result.error);
  return platform::ReadFileBytes(file).value_or("");
}

void BankSimulator::ArmFault(std::string_view path, std::string_view fault, int count) const {
  Get("/control/fault?path=" + QueryEncode(path) + "&count=" + std::to_string(count) + "&" +
      std::string(fault));
}

std::vector<LoggedRequest> BankSimulator::Requests(std::string_view prefix) const {
  return ParseLog(Get("/control/log?prefix=" + QueryEncode(prefix)));
}

std::string UniquePath(std::string_view base) {
  static std::atomic<unsigned> counter{0};
  static const unsigned long long process_token = [] {
    std::random_device random;
    return (static_cast<unsigned long long>(random()) << 32) ^ random() ^
           static_cast<unsigned long long>(
               std::chrono::steady_clock::now().time_since_epoch().count());
  }();
  return std::string(base) + "/" + std::to_string(process_token) + "-" + std::to_string(counter++);
}

std::string QueryEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

}  // namespace tenrovel::test_support
