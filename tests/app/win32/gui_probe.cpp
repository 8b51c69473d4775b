#include "gui_probe.h"

#include <stdexcept>
#include <thread>

#include "platform/codepage.h"

namespace tenrovel::gui_test {

namespace {
constexpr milliseconds kPollPeriod{50};
constexpr UINT kAnswerTimeoutMs = 5000;
}  // namespace

Process::Process(const std::filesystem::path& exe) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring command_line = L"\"" + exe.wstring() + L"\"";
  if (!CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      exe.parent_path().c_str(), &startup, &info_))
    throw std::runtime_error("cannot start " + exe.string());
}

Process::~Process() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 10000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::Running() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(milliseconds timeout) const {
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() >= end)
      return condition();
    std::this_thread::sleep_for(kPollPeriod);
  }
}

namespace {

struct Search {
  DWORD process;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM search_pointer) {
  auto& search = *reinterpret_cast<Search*>(search_pointer);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.process && IsWindowVisible(window))
    search.found.push_back(window);
  return TRUE;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

}  // namespace

std::vector<HWND> AllTopWindows(DWORD process) {
  Search search{process, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> TopWindows(DWORD process, const wchar_t* window_class,
                             const std::wstring& title) {
  std::vector<HWND> matching;
  for (const HWND window : AllTopWindows(process)) {
    if ((window_class == nullptr || ClassName(window) == window_class) &&
        WindowText(window) == title)
      matching.push_back(window);
  }
  return matching;
}

HWND WaitForTopWindow(DWORD process, const wchar_t* window_class, const std::wstring& title,
                      milliseconds timeout) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> found = TopWindows(process, window_class, title);
        window = found.empty() ? nullptr : found.front();
        return window != nullptr;
      },
      timeout);
  return window;
}

HWND WaitForDialog(DWORD process, const std::wstring& title, milliseconds timeout) {
  return WaitForTopWindow(process, L"#32770", title, timeout);
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                           &result))
    return 0;
  return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND window) {
  const auto length = static_cast<std::size_t>(SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(SendWithTimeout(
      window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, length));
  return text;
}

std::wstring MessageBoxText(HWND box) {
  const HWND text = GetDlgItem(box, 0xFFFF);
  return text != nullptr ? WindowText(text) : std::wstring();
}

namespace {
BOOL CALLBACK Describe(HWND child, LPARAM text_pointer) {
  auto& text = *reinterpret_cast<std::string*>(text_pointer);
  text += std::to_string(GetDlgCtrlID(child));
  text += ' ';
  text += Utf8(ClassName(child));
  text += " \"";
  text += Utf8(WindowText(child));
  text += "\"\n";
  return TRUE;
}
}  // namespace

std::string DescribeChildren(HWND parent) {
  std::string text;
  EnumChildWindows(parent, Describe, reinterpret_cast<LPARAM>(&text));
  return text;
}

std::vector<int> ChildIds(HWND parent) {
  std::vector<int> ids;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    ids.push_back(GetDlgCtrlID(child));
  return ids;
}

RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool IsChecked(HWND button) {
  return SendWithTimeout(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PressButton(HWND owner, int id) {
  PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(owner, id)));
}

std::string Utf8(const std::wstring& text) {
  return platform::Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::filesystem::path BuildPath(const char* path) {
  std::string text(path);
  if (!text.empty() && text.front() == '/')
    text.insert(0, "Z:");
  return std::filesystem::path(text).make_preferred();
}

}  // namespace tenrovel::gui_test
