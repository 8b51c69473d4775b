// HttpGetToFile with libcurl. The transfer runs on the calling thread through
// the multi interface, polled in short slices, so that the caller's stop
// request and our own stall timer are looked at several times a second
// whatever the server does; libcurl itself enforces the connect timeout and
// reports bodies that end short of their Content-Length or chunk framing.
#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "platform/http.h"
#include "platform/http_identity.h"

namespace tenrovel::platform {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Longest single wait for socket activity: bounds how late a stop request or
// an expired stall timer is noticed.
constexpr int kPollSliceMs = 50;

void InitCurlOnce() {
  // Thread-safe through the static's initialisation; never cleaned up, as the
  // library stays in use until the process ends.
  static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
  (void)init;
}

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
  void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// Keeps an easy handle in a multi handle for the scope; libcurl wants it
// removed before either is cleaned up.
class MultiAttachment {
 public:
  MultiAttachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
    attached_ = curl_multi_add_handle(multi_, easy_) == CURLM_OK;
  }
  ~MultiAttachment() {
    if (attached_)
      curl_multi_remove_handle(multi_, easy_);
  }
  MultiAttachment(const MultiAttachment&) = delete;
  MultiAttachment& operator=(const MultiAttachment&) = delete;
  bool attached() const { return attached_; }

 private:
  CURLM* multi_;
  CURL* easy_;
  bool attached_ = false;
};

// The temporary sibling file that receives the body. It replaces the
// destination on Commit(); otherwise it is removed when the object ends.
class BodyFile {
 public:
  explicit BodyFile(const fs::path& destination) : destination_(destination) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      fs::path candidate = destination;
      candidate += "." + std::to_string(random()) + ".part";
      fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) {
        temp_ = std::move(candidate);
        return;
      }
      if (errno != EEXIST)
        return;
    }
  }
  ~BodyFile() {
    Close();
    if (!temp_.empty() && !committed_)
      ::unlink(temp_.c_str());
  }
  BodyFile(const BodyFile&) = delete;
  BodyFile& operator=(const BodyFile&) = delete;

  bool is_open() const { return fd_ >= 0; }

  bool Write(const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Commit() {
    if (!Close())
      return false;
    committed_ = ::rename(temp_.c_str(), destination_.c_str()) == 0;
    return committed_;
  }

 private:
  bool Close() {
    if (fd_ < 0)
      return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

  fs::path destination_;
  fs::path temp_;
  int fd_ = -1;
  bool committed_ = false;
};

// What the callbacks see of one transfer.
struct Transfer {
  BodyFile* file = nullptr;
  bool write_failed = false;
  bool too_large = false;
  curl_off_t max_body = 0;
  bool connected = false;
  Clock::time_point last_activity = Clock::now();
  curl_off_t received = 0;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  transfer.last_activity = Clock::now();
  const std::size_t bytes = size * count;
  if (transfer.received + static_cast<curl_off_t>(bytes) > transfer.max_body) {
    transfer.too_large = true;  // a body without Content-Length grew too big
    return 0;
  }
  if (!transfer.file->Write(data, bytes)) {
    transfer.write_failed = true;
    return 0;  // anything but `bytes` aborts the transfer
  }
  transfer.received += static_cast<curl_off_t>(bytes);
  return bytes;
}

std::size_t OnHeader(char*, std::size_t size, std::size_t count, void* user) {
  static_cast<Transfer*>(user)->last_activity = Clock::now();
  return size * count;
}

// Called once a connection is made (or reused) and before the request goes
// out: from here on the stall timer applies.
int OnConnected(void* user, char*, char*, int, int) {
  auto& transfer = *static_cast<Transfer*>(user);
  transfer.connected = true;
  transfer.last_activity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

bool StopRequested(const DownloadOptions& options) {
  return options.stop != nullptr && options.stop->load();
}

DownloadResult Failure(std::string reason) {
  return {false, std::move(reason)};
}

DownloadResult Explain(CURLcode code, CURL* easy, const Transfer& transfer) {
  switch (code) {
    case CURLE_HTTP_RETURNED_ERROR: {
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      return Failure("HTTP " + std::to_string(status));
    }
    case CURLE_COULDNT_CONNECT:
      return Failure(kDownloadCannotConnect);
    case CURLE_COULDNT_RESOLVE_HOST:
      return Failure(kDownloadHostNotFound);
    case CURLE_OPERATION_TIMEDOUT:
      return Failure("connection timed out");
    case CURLE_PARTIAL_FILE: {
      curl_off_t length = -1;
      curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
      return Failure(length >= 0 && transfer.received < length ? kDownloadShortBody
                                                               : kDownloadBrokenBody);
    }
    case CURLE_RECV_ERROR:
      return Failure(kDownloadBrokenBody);
    case CURLE_FILESIZE_EXCEEDED:
      return Failure(kDownloadTooLarge);
    case CURLE_WRITE_ERROR:
      if (transfer.too_large)
        return Failure(kDownloadTooLarge);
      if (transfer.write_failed)
        return Failure("cannot write the file");
      break;
    default:
      break;
  }
  return Failure(curl_easy_strerror(code));
}

}  // namespace

std::string HttpLibraryVersion() {
  const curl_version_info_data* const info = curl_version_info(CURLVERSION_NOW);
  return std::string("libcurl ") + (info != nullptr ? info->version : "?");
}

DownloadResult HttpGetToFile(const std::string& url, const fs::path& destination,
                             const DownloadOptions& options) {
  if (StopRequested(options))
    return Failure(kDownloadCancelled);
  InitCurlOnce();

  BodyFile file(destination);
  if (!file.is_open())
    return Failure("cannot create the file");
  Transfer transfer;
  transfer.file = &file;
  transfer.max_body = static_cast<curl_off_t>(options.max_body_bytes);

  HeaderList headers;
  for (const char* line : http_identity::kHeaderLines) {
    curl_slist* const extended = curl_slist_append(headers.get(), line);
    if (extended == nullptr)
      return Failure("out of memory");
    headers.release();
    headers.reset(extended);
  }

  const MultiHandle multi(curl_multi_init());
  const EasyHandle easy(curl_easy_init());
  if (!multi || !easy)
    return Failure("cannot initialise libcurl");
  CURL* const h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(h, CURLOPT_USERAGENT, http_identity::kUserAgent);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  // An empty proxy overrides http_proxy and friends: the program always goes
  // direct, as the Windows build does.
  curl_easy_setopt(h, CURLOPT_PROXY, "");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(options.connect_timeout.count()));
  // Refuses a body whose Content-Length is over the limit before it comes.
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, transfer.max_body);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(h, CURLOPT_PREREQDATA, &transfer);

  const MultiAttachment attachment(multi.get(), h);
  if (!attachment.attached())
    return Failure("cannot initialise libcurl");

  for (;;) {
    if (StopRequested(options))
      return Failure(kDownloadCancelled);
    int running = 0;
    CURLMcode status = curl_multi_perform(multi.get(), &running);
    if (status != CURLM_OK)
      return Failure(curl_multi_strerror(status));
    if (running == 0)
      break;
    if (transfer.connected && Clock::now() - transfer.last_activity > options.stall_timeout)
      return Failure(kDownloadStalled);
    status = curl_multi_poll(multi.get(), nullptr, 0, kPollSliceMs, nullptr);
    if (status != CURLM_OK)
      return Failure(curl_multi_strerror(status));
  }

  int queued = 0;
  const CURLMsg* const message = curl_multi_info_read(multi.get(), &queued);
  if (message == nullptr || message->msg != CURLMSG_DONE)
    return Failure("transfer did not complete");
  if (message->data.result != CURLE_OK)
    return Explain(message->data.result, h, transfer);

  // libcurl already fails a body cut short of its Content-Length; checked
  // again here so that no path can store a short body as a success.
  curl_off_t length = -1;
  curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  if (length >= 0 && transfer.received < length)
    return Failure(kDownloadShortBody);
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400)
    return Failure("HTTP " + std::to_string(status));

  if (!file.Commit())
    return Failure("cannot replace the file");
  return {true, {}, static_cast<int>(status)};
}

}  // namespace tenrovel::platform
