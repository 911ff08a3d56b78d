#include "platform/win32.h"

#include <objbase.h>
#include <oleauto.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

namespace ravak::win32 {

namespace {

// The few methods of UI Automation's client interfaces that Ravak calls, in their vtable order
// (the system's headers here do not declare them).
struct AutomationElement : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(void** ids) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirst(int scope, void* condition, void** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAll(int scope, void* condition, void** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int scope, void* condition, void* cache,
                                                        void** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int scope, void* condition, void* cache,
                                                      void** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void* cache, void** updated) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int property, VARIANT* value) = 0;
};

struct Automation : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CompareElements(void* a, void* b, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void* a, void* b, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRootElement(AutomationElement** root) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, AutomationElement** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT point, AutomationElement** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(AutomationElement** focused) = 0;
};

constexpr CLSID kAutomationClass = {
    0xFF48DBA4, 0x60EF, 0x4201, {0xAA, 0x87, 0x54, 0x10, 0x3E, 0xEF, 0x59, 0x4E}};
constexpr IID kAutomationInterface = {
    0x30CBE57D, 0xD9D0, 0x452A, {0xAB, 0x13, 0x7A, 0xC5, 0xAC, 0x48, 0x25, 0xEE}};
constexpr int kIsPasswordProperty = 30019;         // UIA_IsPasswordPropertyId
constexpr DWORD kSearchSystemFolder = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

// The control with the keyboard focus in the foreground window; null when there is none.
HWND FocusedControl() {
  const HWND window = GetForegroundWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
    return nullptr;
  return info.hwndFocus;
}

// A standard edit or rich edit control: its selection can be read and set with EM_GETSEL and
// EM_SETSEL, which other controls may read as something else.
bool IsStandardTextControl(HWND control) {
  wchar_t name[32] = L"";
  if (!control || !GetClassNameW(control, name, 32)) return false;
  return lstrcmpiW(name, L"Edit") == 0 ||
         CompareStringOrdinal(name, 8, L"RichEdit", 8, TRUE) == CSTR_EQUAL;
}

constexpr UINT kFieldAnswerMs = 200;

// Whether UI Automation takes the focused element for a password field.
bool FocusedFieldIsPassword(void* automation) {
  AutomationElement* focused = nullptr;
  const HRESULT found = static_cast<Automation*>(automation)->GetFocusedElement(&focused);
  if (FAILED(found) || !focused) return false;
  VARIANT value;
  value.vt = VT_EMPTY;
  const bool password = SUCCEEDED(focused->GetCurrentPropertyValue(kIsPasswordProperty, &value)) &&
                        value.vt == VT_BOOL && value.boolVal == VARIANT_TRUE;
  focused->Release();
  return password;
}

}  // namespace

uint32_t TypingTarget::ForegroundLayout() {
  const HWND window = GetForegroundWindow();
  const DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  return static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(thread)));
}

bool TypingTarget::FocusIsPassword() {
  const HWND focused = FocusedControl();
  if (focused && (GetWindowLongPtrW(focused, GWL_STYLE) & ES_PASSWORD)) return true;
  // A standard text control's style says it all; any other field is asked through UI
  // Automation, and one that gives no answer in time may be a password field: in doubt, it is
  // taken for one, and nothing typed there is changed.
  return !IsStandardTextControl(focused) && AutomationSaysPassword().value_or(true);
}

bool TypingTarget::FieldSelection(uint32_t& start, uint32_t& end) {
  const HWND control = FocusedControl();
  if (!IsStandardTextControl(control)) return false;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(control, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kFieldAnswerMs, &answer))
    return false;
  // Both ends in 16 bits; past that the answer is -1 and the selection unknown.
  if (static_cast<DWORD>(answer) == 0xFFFFFFFF) return false;
  start = LOWORD(answer);
  end = HIWORD(answer);
  return true;
}

bool TypingTarget::FieldLineBeforeCaret(std::u16string& text) {
  constexpr DWORD kLongest = 2048;  // characters of a line read at most
  uint32_t start = 0, end = 0;
  if (!FieldSelection(start, end) || start != end) return false;
  const HWND control = FocusedControl();
  DWORD_PTR line = 0, line_start = 0;
  if (!SendMessageTimeoutW(control, EM_LINEFROMCHAR, end, 0, SMTO_ABORTIFHUNG, kFieldAnswerMs,
                           &line) ||
      !SendMessageTimeoutW(control, EM_LINEINDEX, line, 0, SMTO_ABORTIFHUNG, kFieldAnswerMs,
                           &line_start) ||
      static_cast<LONG_PTR>(line_start) < 0 || line_start > end || end - line_start > kLongest) {
    return false;
  }
  const DWORD column = end - static_cast<DWORD>(line_start);
  if (column == 0) {
    text.clear();
    return true;
  }
  // EM_GETLINE: the buffer's first word gives its size in characters.
  std::wstring buffer(kLongest + 1, L'\0');
  buffer[0] = static_cast<wchar_t>(kLongest);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kFieldAnswerMs, &copied) ||
      copied < column) {
    return false;
  }
  text = FromWide(buffer.substr(0, column));
  return true;
}

bool TypingTarget::FocusIsConsole() {
  return IsConsoleWindow(GetForegroundWindow());
}

void TypingTarget::SelectInField(uint32_t start, uint32_t end) {
  const HWND control = FocusedControl();
  if (!IsStandardTextControl(control)) return;
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(control, EM_SETSEL, start, end, SMTO_ABORTIFHUNG, kFieldAnswerMs, &answer);
}

std::u16string TypingTarget::ForegroundProgram() {
  const HWND window = GetForegroundWindow();
  DWORD process = 0;
  if (!window || !GetWindowThreadProcessId(window, &process) || process == GetCurrentProcessId()) {
    return {};
  }
  if (process == program_process_) return program_;
  std::u16string program;
  if (HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(handle, 0, path, &size)) {
      const std::wstring_view full(path, size);
      program = FromWide(std::wstring(full.substr(full.find_last_of(L"\\/") + 1)));
    }
    CloseHandle(handle);
  }
  // A process that cannot be asked (one of another user, elevated) stays unnamed, and is asked
  // again next time.
  if (!program.empty()) {
    program_process_ = process;
    program_ = program;
  }
  return program;
}

bool TypingTarget::ForegroundIsShell() {
  DWORD process = 0;
  const HWND window = GetForegroundWindow();
  if (!window || !GetWindowThreadProcessId(window, &process)) return false;
  for (const HWND shell :
       {FindWindowW(L"Shell_TrayWnd", nullptr), GetShellWindow(), GetDesktopWindow()}) {
    DWORD shell_process = 0;
    if (shell && GetWindowThreadProcessId(shell, &shell_process) && shell_process == process)
      return true;
  }
  return false;
}

bool TypingTarget::ForegroundIsFullScreen() {
  const HWND window = GetForegroundWindow();
  if (!window || window == GetShellWindow() || window == GetDesktopWindow()) return false;
  // A window with a title bar is not full screen, however large (a maximised window reaches past
  // its monitor's edges by its frame).
  if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) return false;
  wchar_t name[32] = L"";
  if (GetClassNameW(window, name, 32) &&
      (lstrcmpiW(name, L"Progman") == 0 || lstrcmpiW(name, L"WorkerW") == 0)) {
    return false;  // the desktop
  }
  RECT r{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetWindowRect(window, &r) ||
      !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONULL), &monitor)) {
    return false;
  }
  const RECT& m = monitor.rcMonitor;
  return r.left <= m.left && r.top <= m.top && r.right >= m.right && r.bottom >= m.bottom;
}

std::optional<ScreenRect> TypingTarget::CaretRect() {
  const HWND window = GetForegroundWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
      !info.hwndCaret) {
    return std::nullopt;
  }
  RECT r = info.rcCaret;
  if (r.bottom <= r.top) return std::nullopt;
  MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&r), 2);
  if (r.left > r.right) std::swap(r.left, r.right);  // a mirrored window
  return ScreenRect{r.left, r.top, r.right, r.bottom};
}

// The thread that asks UI Automation, with its own COM apartment (as UI Automation's clients
// are meant to). It lives as long as a question may still be under way: a caller that stops
// waiting leaves it to finish.
struct AutomationThread {
  std::mutex mutex;
  std::condition_variable changed;
  bool asked = false;     // a question waits for the thread
  bool busy = false;      // the thread is answering one
  bool answered = false;  // its answer is there
  bool password = false;
  bool quit = false;

  static void Run(std::shared_ptr<AutomationThread> self) {
    HMODULE ole = LoadLibraryExW(L"ole32.dll", nullptr, kSearchSystemFolder);
    using InitFn = HRESULT(WINAPI*)(void*, DWORD);
    using CreateFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
    auto init = ole ? reinterpret_cast<InitFn>(
                          reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx")))
                    : nullptr;
    auto create = ole ? reinterpret_cast<CreateFn>(
                            reinterpret_cast<void*>(GetProcAddress(ole, "CoCreateInstance")))
                      : nullptr;
    void* automation = nullptr;
    if (init && create && SUCCEEDED(init(nullptr, COINIT_MULTITHREADED)) &&
        FAILED(create(kAutomationClass, nullptr, CLSCTX_INPROC_SERVER, kAutomationInterface,
                      &automation))) {
      automation = nullptr;
    }
    for (;;) {
      {
        std::unique_lock lock(self->mutex);
        self->changed.wait(lock, [&] { return self->asked || self->quit; });
        if (self->quit) break;
        self->asked = false;
        self->busy = true;
      }
      const bool password = automation && FocusedFieldIsPassword(automation);
      std::lock_guard lock(self->mutex);
      self->busy = false;
      self->answered = true;
      self->password = password;
      self->changed.notify_all();
    }
    if (automation) static_cast<Automation*>(automation)->Release();
  }
};

TypingTarget::TypingTarget() : automation_(std::make_shared<AutomationThread>()) {
  // Made now, so the first question does not wait for UI Automation to start.
  std::thread(AutomationThread::Run, automation_).detach();
}

TypingTarget::~TypingTarget() {
  std::lock_guard lock(automation_->mutex);
  automation_->quit = true;
  automation_->changed.notify_all();
}

std::optional<bool> TypingTarget::AutomationSaysPassword() {
  constexpr auto kAnswerTime = std::chrono::milliseconds(300);
  AutomationThread& thread = *automation_;
  std::unique_lock lock(thread.mutex);
  if (thread.busy || thread.asked) return std::nullopt;  // the last question is still unanswered
  thread.asked = true;
  thread.answered = false;
  thread.changed.notify_all();
  if (!thread.changed.wait_for(lock, kAnswerTime, [&] { return thread.answered; }))
    return std::nullopt;
  return thread.password;
}

}  // namespace ravak::win32
