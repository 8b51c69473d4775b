// HttpGetToFile with WinINet, used asynchronously.
//
// A blocking WinINet call cannot be relied on to end: Wine's WinINet neither
// aborts a blocking InternetReadFile when another thread closes the handle nor
// honours the receive timeout, and it takes a body cut short of its
// Content-Length as complete. So the session is opened with
// INTERNET_FLAG_ASYNC; every operation that would block completes through the
// status callback, and the calling thread waits for it in short slices,
// looking at the stop request and at our own connect and stall timers in
// between. To give up it closes the handles and returns at once; the received
// length is checked against Content-Length at the end, and a chunked body by
// the connection's end state (ChunkedBodyEndedWhole).
//
// WinINet may call back, and may finish an abandoned read into its buffer,
// long after we have returned (Wine's worker thread stays blocked until the
// server moves). The state that the callback and such a read touch therefore
// lives in a shared RequestState reached through a registry by a numeric
// context value, and leaves the registry only when no operation can still
// complete into it.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>

#include "platform/http.h"
#include "platform/http_identity.h"

namespace tenrovel::platform {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Longest single wait: bounds how late a stop request or an expired timer is
// noticed.
constexpr DWORD kWaitSliceMs = 50;

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE h) : h_(h) {}
  ~KernelHandle() {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE)
      CloseHandle(h_);
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

class InternetHandle {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET h) : h_(h) {}
  ~InternetHandle() { Close(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return h_; }
  void reset(HINTERNET h) {
    Close();
    h_ = h;
  }
  void Close() {
    if (h_ != nullptr)
      InternetCloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HINTERNET h_ = nullptr;
};

// What the calling thread and WinINet's callback share for one download.
struct RequestState {
  KernelHandle completed{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // manual reset
  // The request handle once InternetOpenUrl has produced it.
  std::atomic<HINTERNET> request{nullptr};
  // True between issuing an operation that went asynchronous and its
  // completion callback: the operation may still write into `buffer` and
  // `count`.
  std::atomic<bool> outstanding{false};
  // Set when the calling thread has returned.
  std::atomic<bool> abandoned{false};
  std::atomic<bool> connected{false};
  // Set when WinINet closes the connection of this request rather than
  // keeping it for reuse (see ChunkedBodyEndedWhole).
  std::atomic<bool> connection_closed{false};
  // Signalled when the request handle has been closed for good.
  KernelHandle request_gone{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<Clock::rep> last_activity{Clock::now().time_since_epoch().count()};
  // Result of the last asynchronous completion; written before `completed`
  // is signalled and read after it was, which orders the accesses.
  DWORD_PTR result = 0;
  DWORD error = 0;
  std::array<char, http_identity::kTransferUnit> buffer{};
  DWORD count = 0;

  void Touch() { last_activity = Clock::now().time_since_epoch().count(); }
  Clock::duration Idle() const {
    return Clock::now() - Clock::time_point(Clock::duration(last_activity.load()));
  }
};

// Maps the context values given to WinINet to live request states.
class Registry {
 public:
  DWORD_PTR Add(std::shared_ptr<RequestState> state) {
    const std::lock_guard lock(mutex_);
    const DWORD_PTR id = next_id_++;
    states_.emplace(id, std::move(state));
    return id;
  }
  std::shared_ptr<RequestState> Find(DWORD_PTR id) {
    const std::lock_guard lock(mutex_);
    const auto it = states_.find(id);
    return it == states_.end() ? nullptr : it->second;
  }
  void Remove(DWORD_PTR id) {
    const std::lock_guard lock(mutex_);
    states_.erase(id);
  }

 private:
  std::mutex mutex_;
  std::map<DWORD_PTR, std::shared_ptr<RequestState>> states_;
  DWORD_PTR next_id_ = 1;
};

Registry& Requests() {
  // Deliberately never destroyed: WinINet's threads may still call back
  // while the process exits and static objects are being torn down.
  static Registry* const registry = std::make_unique<Registry>().release();
  return *registry;
}

void CALLBACK OnStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
  const std::shared_ptr<RequestState> state = Requests().Find(context);
  if (!state)
    return;
  switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
      state->connected = false;
      state->Touch();
      break;
    // A pooled keep-alive connection is reused without the two connection
    // notifications: sending on it shows that it exists.
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
    case INTERNET_STATUS_SENDING_REQUEST:
    case INTERNET_STATUS_REQUEST_SENT:
    case INTERNET_STATUS_RESPONSE_RECEIVED:
      state->connected = true;
      state->Touch();
      break;
    case INTERNET_STATUS_REDIRECT:
      state->Touch();
      break;
    case INTERNET_STATUS_CLOSING_CONNECTION:
    case INTERNET_STATUS_CONNECTION_CLOSED:
      state->connection_closed = true;
      break;
    case INTERNET_STATUS_REQUEST_COMPLETE: {
      const auto* const outcome = static_cast<const INTERNET_ASYNC_RESULT*>(info);
      state->result = outcome->dwResult;
      state->error = outcome->dwError;
      state->Touch();
      state->outstanding = false;
      SetEvent(state->completed.get());
      if (state->abandoned)
        Requests().Remove(context);
      break;
    }
    case INTERNET_STATUS_HANDLE_CLOSING: {
      // The last call for a handle. Other handles created for the same URL
      // (a connection handle, say) carry our context too; only the request
      // handle's end, or any end before the request handle is known, means
      // that nothing can complete into the state any more.
      const HINTERNET request = state->request.load();
      if (request == nullptr || request == handle) {
        SetEvent(state->request_gone.get());
        Requests().Remove(context);
      }
      break;
    }
    default:
      break;
  }
}

// The temporary sibling file that receives the body. It replaces the
// destination on Commit(); otherwise it is deleted when the object ends.
class BodyFile {
 public:
  explicit BodyFile(const fs::path& destination) : destination_(destination) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      fs::path candidate = destination;
      candidate += L"." + std::to_wstring(random()) + L".part";
      file_ = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file_ != INVALID_HANDLE_VALUE) {
        temp_ = std::move(candidate);
        return;
      }
      if (GetLastError() != ERROR_FILE_EXISTS)
        return;
    }
  }
  ~BodyFile() {
    Close();
    if (!temp_.empty() && !committed_)
      DeleteFileW(temp_.c_str());
  }
  BodyFile(const BodyFile&) = delete;
  BodyFile& operator=(const BodyFile&) = delete;

  bool is_open() const { return file_ != INVALID_HANDLE_VALUE; }

  bool Write(const char* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file_, data, size, &written, nullptr) != 0 && written == size;
  }

  bool Commit() {
    if (!Close())
      return false;
    committed_ = MoveFileExW(temp_.c_str(), destination_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    return committed_;
  }

 private:
  bool Close() {
    if (file_ == INVALID_HANDLE_VALUE)
      return true;
    const bool ok = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    return ok;
  }

  fs::path destination_;
  fs::path temp_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
};

bool StopRequested(const DownloadOptions& options) {
  return options.stop != nullptr && options.stop->load();
}

DownloadResult Failure(std::string reason) {
  return {false, std::move(reason)};
}

std::string DescribeError(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
      return kDownloadCannotConnect;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return kDownloadHostNotFound;
    case ERROR_INTERNET_TIMEOUT:
      return "connection timed out";
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
      return "invalid URL";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return kDownloadBrokenBody;
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
      return "TLS failure";
    default:
      return "WinINet error " + std::to_string(error);
  }
}

// One download: the session, the request and the shared state, released in
// the right order whichever way the download ends.
class Download {
 public:
  Download(const DownloadOptions& options, std::shared_ptr<RequestState> state)
      : options_(options), state_(std::move(state)), context_(Requests().Add(state_)) {}

  ~Download() {
    request_.Close();
    session_.Close();
    // Whoever comes second of us and a pending completion drops the state.
    state_->abandoned = true;
    if (!state_->outstanding)
      Requests().Remove(context_);
  }
  Download(const Download&) = delete;
  Download& operator=(const Download&) = delete;

  DownloadResult Run(const std::string& url, BodyFile& file) {
    if (!state_->completed.get() || !state_->request_gone.get())
      return Failure("cannot create an event");
    session_.reset(InternetOpenW(Widen(http_identity::kUserAgent).c_str(),
                                 INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    if (!session_.get())
      return Failure(DescribeError(GetLastError()));
    if (InternetSetStatusCallbackW(session_.get(), OnStatus) == INTERNET_INVALID_STATUS_CALLBACK)
      return Failure("cannot watch the transfer");
    DWORD connect_ms = static_cast<DWORD>(options_.connect_timeout.count());
    InternetSetOptionW(session_.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect_ms,
                       sizeof connect_ms);

    if (DownloadResult opened = OpenUrl(url); !opened.ok)
      return opened;
    if (DownloadResult checked = CheckStatus(); !checked.ok)
      return checked;
    const std::optional<unsigned long long> expected = ContentLength();
    const bool chunked = IsChunkedOnKeptConnection();
    // Only what happens to the connection from here on tells about the body.
    state_->connection_closed = false;
    if (expected && *expected > options_.max_body_bytes)
      return Failure(kDownloadTooLarge);

    unsigned long long received = 0;
    for (bool ended = false; !ended;) {
      DWORD available = 0;
      if (DownloadResult waited = AwaitData(available); !waited.ok)
        return waited;
      ended = available == 0;
      while (available > 0) {
        DWORD count = 0;
        if (DownloadResult read =
                Read(std::min<DWORD>(available, http_identity::kTransferUnit), count);
            !read.ok)
          return read;
        if (count == 0) {  // a read of nothing is the end of the body
          ended = true;
          break;
        }
        received += count;
        if (received > options_.max_body_bytes)
          return Failure(kDownloadTooLarge);
        if (!file.Write(state_->buffer.data(), count))
          return Failure("cannot write the file");
        available -= std::min(available, count);
        state_->Touch();
      }
    }
    if (expected && received < *expected)
      return Failure(kDownloadShortBody);
    if (chunked && !ChunkedBodyEndedWhole())
      return Failure(StopRequested(options_) ? kDownloadCancelled : kDownloadBrokenBody);
    return {true, {}};
  }

  // The final response's status, once Run has succeeded.
  int Status() const { return status_; }

 private:
  enum class Wait { kCompleted, kStopped, kTimedOut };

  static std::wstring Widen(std::string_view ascii) {
    std::wstring wide;
    for (const unsigned char c : ascii)
      wide.push_back(c);
    return wide;
  }

  // Marks an operation as started; FinishedSynchronously() undoes it when
  // the operation turned out not to go asynchronous.
  void Begin() {
    ResetEvent(state_->completed.get());
    state_->outstanding = true;
  }
  void FinishedSynchronously() { state_->outstanding = false; }

  Wait AwaitCompletion() {
    for (;;) {
      if (WaitForSingleObject(state_->completed.get(), kWaitSliceMs) == WAIT_OBJECT_0)
        return Wait::kCompleted;
      if (StopRequested(options_))
        return Wait::kStopped;
      const auto limit = state_->connected ? options_.stall_timeout : options_.connect_timeout;
      if (state_->Idle() > limit)
        return Wait::kTimedOut;
    }
  }

  DownloadResult WaitFailure(Wait wait) const {
    if (wait == Wait::kStopped)
      return Failure(kDownloadCancelled);
    return Failure(state_->connected ? kDownloadStalled : "connection timed out");
  }

  DownloadResult OpenUrl(const std::string& url) {
    const std::wstring wide_url = Widen(url);
    // Wine's asynchronous InternetOpenUrl never completes for a URL it cannot
    // parse, so that is settled here first; only http and https are ours.
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    if (InternetCrackUrlW(wide_url.c_str(), 0, 0, &parts) == 0 ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
      return Failure("invalid URL");
    Begin();
    HINTERNET request =
        InternetOpenUrlW(session_.get(), wide_url.c_str(), http_identity::kHeaderBlock,
                         static_cast<DWORD>(std::size(http_identity::kHeaderBlock) - 1),
                         INTERNET_FLAG_RELOAD, context_);
    if (request == nullptr) {
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING) {
        FinishedSynchronously();
        return Failure(DescribeError(error));
      }
      if (const Wait wait = AwaitCompletion(); wait != Wait::kCompleted)
        return WaitFailure(wait);
      request = reinterpret_cast<HINTERNET>(state_->result);
      if (request == nullptr)
        return Failure(DescribeError(state_->error));
    } else {
      FinishedSynchronously();
    }
    state_->request = request;
    request_.reset(request);
    return {true, {}};
  }

  DownloadResult CheckStatus() {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                       &size, nullptr) == 0)
      return Failure("no HTTP response");
    // Wine reports a connection closed before any answer as status 0.
    if (status < 100)
      return Failure("no HTTP response");
    if (status >= 400)
      return Failure("HTTP " + std::to_string(status));
    status_ = static_cast<int>(status);
    return {true, {}};
  }

  std::optional<unsigned long long> ContentLength() {
    std::array<wchar_t, 32> text{};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH, text.data(), &size, nullptr) == 0)
      return std::nullopt;
    std::string digits;
    for (const wchar_t c : text) {
      if (c == L'\0')
        break;
      digits.push_back(static_cast<char>(c));
    }
    unsigned long long length = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (error != std::errc() || end != digits.data() + digits.size())
      return std::nullopt;
    return length;
  }

  std::wstring HeaderText(DWORD query) {
    std::array<wchar_t, 64> text{};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (HttpQueryInfoW(request_.get(), query, text.data(), &size, nullptr) == 0)
      return {};
    std::wstring value(text.data());
    for (wchar_t& c : value)
      c = static_cast<wchar_t>(towlower(c));
    return value;
  }

  // A chunked answer on a connection that the server means to keep open.
  bool IsChunkedOnKeptConnection() {
    return HeaderText(HTTP_QUERY_TRANSFER_ENCODING).find(L"chunked") != std::wstring::npos &&
           HeaderText(HTTP_QUERY_VERSION) == L"http/1.1" &&
           HeaderText(HTTP_QUERY_CONNECTION).find(L"close") == std::wstring::npos;
  }

  // WinINet decodes the chunks itself and reads a chunked body that breaks
  // off before its last chunk as a whole one (Wine's does; WinHTTP under Wine
  // as well). What still differs is the connection's end state: after the
  // last chunk a kept-alive connection goes back to WinINet's pool, after a
  // break it is closed, at the latest when the request handle is. So the
  // request handle is closed here and the closing notifications are watched.
  // A server that announces "Connection: close" leaves no such trace: for
  // those answers a break cannot be told from the end.
  bool ChunkedBodyEndedWhole() {
    request_.Close();
    for (int slice = 0; slice < 40; ++slice) {
      if (WaitForSingleObject(state_->request_gone.get(), kWaitSliceMs) == WAIT_OBJECT_0)
        break;
      if (StopRequested(options_))
        return false;
    }
    return !state_->connection_closed;
  }

  // Waits until body bytes are buffered or the body has ended; `available`
  // is 0 at the end.
  DownloadResult AwaitData(DWORD& available) {
    for (;;) {
      if (StopRequested(options_))
        return Failure(kDownloadCancelled);
      Begin();
      if (InternetQueryDataAvailable(request_.get(), &state_->count, 0, 0) != 0) {
        FinishedSynchronously();
        available = state_->count;
        return {true, {}};
      }
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING) {
        FinishedSynchronously();
        return Failure(kDownloadBrokenBody + (": " + DescribeError(error)));
      }
      if (const Wait wait = AwaitCompletion(); wait != Wait::kCompleted)
        return WaitFailure(wait);
      if (state_->result == 0)
        return Failure(kDownloadBrokenBody + (": " + DescribeError(state_->error)));
      // WinINet versions disagree on where the completion reports the count;
      // with the data now buffered, the next round answers at once.
    }
  }

  DownloadResult Read(DWORD size, DWORD& count) {
    Begin();
    state_->count = 0;
    if (InternetReadFile(request_.get(), state_->buffer.data(), size, &state_->count) != 0) {
      FinishedSynchronously();
      count = state_->count;
      return {true, {}};
    }
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      FinishedSynchronously();
      return Failure(kDownloadBrokenBody + (": " + DescribeError(error)));
    }
    if (const Wait wait = AwaitCompletion(); wait != Wait::kCompleted)
      return WaitFailure(wait);
    if (state_->result == 0)
      return Failure(kDownloadBrokenBody + (": " + DescribeError(state_->error)));
    count = state_->count;
    return {true, {}};
  }

  const DownloadOptions& options_;
  const std::shared_ptr<RequestState> state_;
  const DWORD_PTR context_;
  InternetHandle session_;
  InternetHandle request_;
  int status_ = 0;
};

}  // namespace

std::string HttpLibraryVersion() {
  return "WinINet";
}

DownloadResult HttpGetToFile(const std::string& url, const fs::path& destination,
                             const DownloadOptions& options) {
  if (StopRequested(options))
    return Failure(kDownloadCancelled);
  BodyFile file(destination);
  if (!file.is_open())
    return Failure("cannot create the file");
  int status = 0;
  {
    Download download(options, std::make_shared<RequestState>());
    if (DownloadResult result = download.Run(url, file); !result.ok)
      return result;
    status = download.Status();
  }
  if (!file.Commit())
    return Failure("cannot replace the file");
  return {true, {}, status};
}

}  // namespace tenrovel::platform
