// The Win32 implementations of the platform interfaces. Only the Windows builds include this.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/error_report.h"
#include "platform/hotkey_registrar.h"
#include "platform/keyboard.h"
#include "platform/keyboard_layouts.h"
#include "platform/message_pump.h"
#include "platform/typing_target.h"

namespace ravak::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::wstring ToWide(const std::u16string& s);
std::u16string FromWide(const std::wstring& s);
// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(DWORD code);

// Loads the common controls (tab, hotkey and list-view controls) when a window first needs them,
// so a program that has not shown one never maps them. False when they cannot be loaded.
bool LoadCommonControls();

// Window subclassing without the common controls: the control's own procedure is kept with the
// window and called for every message the new procedure passes on (CallOriginal).
using SubclassProc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM, void* data);
void Subclass(HWND hwnd, SubclassProc proc, void* data);
void Unsubclass(HWND hwnd);
LRESULT CallOriginal(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// For the procedure of a window created with its object as the creation parameter: that object,
// kept with the window from WM_NCCREATE on; null for the messages before.
template <typename T>
T* WindowObject(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Marks the input Ravak sends (the extra information of every key event), so that its own
// keys are told from the user's and from other programs'.
constexpr ULONG_PTR kOwnInputTag = 0x5241564B;

class Keyboard : public KeyboardOutput {
 public:
  void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) override;
  bool IsKeyDown(uint8_t vk) override;
  void TypeText(std::u16string_view text) override;
  void EraseAndType(std::size_t erase, std::u16string_view text) override;
  bool TypeIntoConsole(std::size_t erase, std::u16string_view text) override;
};

// Whether a top-level window is a console or terminal window.
bool IsConsoleWindow(HWND window);

// The foreground window's keyboard layout, and whether what has the focus is a password field:
// an edit with ES_PASSWORD, or an element UI Automation marks so (browsers', WPF's and modern
// applications' fields have no window of their own). UI Automation is loaded from the system
// folder at the first question, on the calling (user-interface) thread.
class TypingTarget : public TypingTargetQuery {
 public:
  TypingTarget();
  ~TypingTarget() override;
  uint32_t ForegroundLayout() override;
  bool FocusIsPassword() override;
  bool FieldSelection(uint32_t& start, uint32_t& end) override;
  bool FieldLineBeforeCaret(std::u16string& text) override;
  bool FocusIsConsole() override;
  void SelectInField(uint32_t start, uint32_t end) override;
  std::u16string ForegroundProgram() override;
  // Whether the window in front is one of the shell's process: its taskbar, where Ravak's menu
  // is opened, its desktop, or (on Windows) a File Explorer window.
  bool ForegroundIsShell();
  bool ForegroundIsFullScreen() override;
  std::optional<ScreenRect> CaretRect() override;

 private:
  // UI Automation's answer for the focused field, asked on a thread of its own and waited for
  // a bounded time: a busy application (mail, chat) can keep the question waiting for seconds.
  // Nothing when no answer came in time.
  std::optional<bool> AutomationSaysPassword();
  std::shared_ptr<struct AutomationThread> automation_;
  // The program of the last process asked about, by its process id.
  DWORD program_process_ = 0;
  std::u16string program_;
};

// Dispatches the calling thread's messages; a WM_QUIT found there marks the application as
// terminating (Terminated()), and the main loop then ends.
class MessagePump : public ravak::MessagePump, public Sleeper {
 public:
  void ProcessMessages() override;
  void Sleep(uint32_t ms) override;
  void Wait(uint32_t ms) override;
  uint64_t NowMs() override;
  bool Terminated() const { return terminated_; }
  int ExitCode() const { return exit_code_; }
  // The main message loop: runs until WM_QUIT; returns its exit code.
  int Run();
  // Modeless dialogs whose keyboard navigation (Tab, arrows, Enter) the pump handles.
  void AddDialog(HWND dialog) { dialogs_.push_back(dialog); }
  void RemoveDialog(HWND dialog) { std::erase(dialogs_, dialog); }

 private:
  bool PreTranslate(MSG& msg);
  std::vector<HWND> dialogs_;
  bool terminated_ = false;
  int exit_code_ = 0;
};

// The clipboard, opened on behalf of a hidden window of its own, which renders offered text
// when a program asks for it.
class Clipboard : public ravak::Clipboard {
 public:
  Clipboard();
  ~Clipboard() override;
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;
  bool HasText() override;
  int FormatCount() override;
  bool Open() override;
  void Close() override;
  std::string LastErrorText() override;
  bool GetText(std::u16string& out) override;
  void Empty() override;
  void MarkExcludedFromHistory() override;
  uint32_t SequenceNumber() override;
  std::vector<uint32_t> Formats() override;
  std::string FormatName(uint32_t format) override;
  bool ReadFormat(uint32_t format, std::vector<uint8_t>& out) override;
  bool WriteFormat(uint32_t format, const std::vector<uint8_t>& bytes) override;
  bool OfferText(const std::u16string& text) override;
  bool OfferTaken() override { return offer_taken_; }
  bool Offering() override { return offering_; }
  void SetOnTaken(std::function<void()> handler) override { on_taken_ = std::move(handler); }
  bool OwnerAnswers() override;

 private:
  static LRESULT CALLBACK OwnerProc(HWND, UINT, WPARAM, LPARAM);
  // WM_RENDERFORMAT: hands over the offered text, the clipboard already open by the program
  // that asked, when that program is the one Ravak pastes into (or all: at the end).
  void Render(bool for_anyone);

  HWND owner_ = nullptr;
  DWORD last_error_ = 0;
  std::u16string offered_;
  // The processes of the window in front and of its focused field when the text was offered.
  DWORD front_process_ = 0;
  DWORD focus_process_ = 0;
  bool offering_ = false;
  bool offer_taken_ = false;
  std::function<void()> on_taken_;
};

// The installed keyboard layouts: GetKeyboardLayoutList, MapVirtualKeyEx and ToUnicodeEx, each
// layout's KLID and name from the registry's list of layouts, and WM_INPUTLANGCHANGEREQUEST.
class InstalledKeyboardLayouts : public InstalledLayouts {
 public:
  std::vector<LayoutHandle> List() override;
  uint32_t Id(LayoutHandle layout) override;
  std::u16string Name(LayoutHandle layout) override;
  uint8_t VirtualKey(LayoutHandle layout, uint8_t scan) override;
  KeyTyped Type(LayoutHandle layout, const LayoutKeyPress& key) override;
  std::u16string TypeAfterDeadKey(LayoutHandle layout, const LayoutKeyPress& dead,
                                  const LayoutKeyPress& next) override;
  LayoutRequest RequestInForeground(LayoutHandle layout) override;
};

// Hidden windows of the user-interface thread that turn WM_HOTKEY into a call.
class HotkeyRegistrar : public ravak::HotkeyRegistrar {
 public:
  uint16_t AddHotkeyAtom(const std::u16string& name) override;
  void DeleteHotkeyAtom(uint16_t atom) override;
  WindowId CreateHotkeyWindow(std::function<void()> on_hotkey) override;
  void DestroyHotkeyWindow(WindowId window) override;
  bool Register(WindowId window, uint16_t id, unsigned modifiers, unsigned key) override;
  void Unregister(WindowId window, uint16_t id) override;
};

// The application's general error report: a modal box with an error icon, the message (with a
// full stop added as the report does) and the application title.
class MessageBoxErrorReport : public ErrorReport {
 public:
  explicit MessageBoxErrorReport(std::wstring title) : title_(std::move(title)) {}
  void ShowError(const std::string& message) override;

 private:
  std::wstring title_;
};

}  // namespace ravak::win32
