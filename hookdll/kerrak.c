/* Kerrak: the system-wide keyboard hook. Windows loads this library into every process that
 * receives keyboard input while the hook is installed, so it stays tiny and self-contained:
 * plain C, no C runtime, no static initialisation, imports from KERNEL32 and USER32 only.
 *
 * Every process that loads it maps the shared record "HookRecMemBlock" (hook_rec.h), which Ravak
 * creates before it loads Kerrak, private to its user; Kerrak only opens it, so a process that
 * may not open it (another user's, or one of lower integrity) is left without it. For each
 * key press the hook procedure posts WM_KEYUP (wParam = virtual-key code) to the record's
 * KeyWindow, for each release WM_MOUSEMOVE to its ReleaseWindow, and passes the call on to the
 * next hook. It discards a key only when Ravak asks for it through BlockShortCut, BlockFlag or
 * LetterLock. */
#include <windows.h>

#include "hookdll/hook_rec.h"

/* Exported undecorated through kerrak.def. */
LRESULT CALLBACK KEYBOARDPROC(int code, WPARAM wparam, LPARAM lparam);
HookRec* GETHOOKRECPOINTER(void);
void STARTKEYBOARDHOOK(void);
void STOPKEYBOARDHOOK(void);
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

static HMODULE g_module;
static HANDLE g_mapping;
static HookRec* g_rec;

static HWND WindowFromField(uint32_t value) {
  return (HWND)(LONG_PTR)(LONG)value;
}

static HHOOK HookFromField(uint32_t value) {
  return (HHOOK)(LONG_PTR)(LONG)value;
}

static int KeyIsDown(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

/* The shortcut word of a key with the calling thread's modifier state; 0 when the key code
 * does not fit in one byte. */
static uint32_t ShortCutOf(WPARAM key) {
  uint32_t word;
  if (key > 0xFF) return 0;
  word = (uint32_t)key;
  if (KeyIsDown(VK_SHIFT)) word |= 0x2000;
  if (KeyIsDown(VK_CONTROL)) word |= 0x4000;
  if (KeyIsDown(VK_MENU)) word |= 0x8000;
  return word;
}

static int IsNavigationKey(WPARAM key) {
  return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || (key >= VK_END && key <= VK_DOWN);
}

/* A post to a null window would land in the hooked thread's own queue: never do that. */
static void Notify(uint32_t window, UINT message, WPARAM wparam) {
  if (window != 0) PostMessageA(WindowFromField(window), message, wparam, 0);
}

/* Reports the key and says whether to discard it. */
static int HandleKey(HookRec* rec, WPARAM key, LPARAM flags) {
  const int released = (flags & 0x80000000) != 0;
  if (rec->LetterLock == 1) {
    if (key >= 'A' && key <= 'Z') return 1;
    rec->LetterLock = 0;
  }
  if (released) {
    rec->ReleaseCount++;
    Notify(rec->ReleaseWindow, WM_MOUSEMOVE, 0);
  } else {
    Notify(rec->KeyWindow, WM_KEYUP, key);
  }
  if (rec->BlockFlag == 1 && IsNavigationKey(key)) return 1;
  return key == VK_SPACE && rec->BlockShortCut != 0 && ShortCutOf(key) == rec->BlockShortCut;
}

/* A key event this procedure is passing down the hook chain. Should a second hook with this
 * same procedure be installed (by a copy of an older Ravak, which took the record from the
 * one running), the chain calls it again, nested in the same thread, for the event it is
 * passing on: that event has been reported already. Each
 * thread keeps its innermost such call in the thread-local slot g_passing_slot; the frames
 * live on the stack of the calls themselves. Only that exact event is skipped: any other key
 * event delivered to the thread meanwhile is reported. */
typedef struct PassingCall {
  WPARAM wparam;
  LPARAM lparam;
  struct PassingCall* outer;
} PassingCall;

/* TLS_OUT_OF_INDEXES when no slot could be had: then nothing is skipped, and with two copies
 * of Ravak running a key may be reported twice. */
static DWORD g_passing_slot = TLS_OUT_OF_INDEXES;

LRESULT CALLBACK KEYBOARDPROC(int code, WPARAM wparam, LPARAM lparam) {
  HookRec* rec = g_rec;
  const DWORD slot = g_passing_slot;
  PassingCall call;
  int tracked = 0;
  LRESULT result;
  if (code == HC_ACTION && rec != NULL) {
    call.wparam = wparam;
    call.lparam = lparam;
    call.outer = slot != TLS_OUT_OF_INDEXES ? (PassingCall*)TlsGetValue(slot) : NULL;
    if ((call.outer == NULL || call.outer->wparam != wparam || call.outer->lparam != lparam) &&
        HandleKey(rec, wparam, lparam))
      return 1;
    tracked = slot != TLS_OUT_OF_INDEXES && TlsSetValue(slot, &call);
  }
  result =
      CallNextHookEx(rec != NULL ? HookFromField(rec->HookHandle) : NULL, code, wparam, lparam);
  if (tracked) TlsSetValue(slot, call.outer);
  return result;
}

HookRec* GETHOOKRECPOINTER(void) {
  return g_rec;
}

void STARTKEYBOARDHOOK(void) {
  HHOOK hook;
  if (g_rec == NULL || g_rec->HookHandle != 0) return;
  hook = SetWindowsHookExA(WH_KEYBOARD, KEYBOARDPROC, g_module, 0);
  g_rec->HookHandle = (uint32_t)(ULONG_PTR)hook;
}

void STOPKEYBOARDHOOK(void) {
  if (g_rec == NULL || g_rec->HookHandle == 0) return;
  if (UnhookWindowsHookEx(HookFromField(g_rec->HookHandle))) g_rec->HookHandle = 0;
}

/* No user interface here: this runs under the loader lock in every program that receives
 * keyboard input. Without the shared record the record pointer stays null; Ravak tells the
 * user. The record is never created here: whoever creates it first decides who may use it. */
static void Attach(void) {
  g_passing_slot = TlsAlloc();
  g_mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, KERRAK_MAPPING_NAME);
  if (g_mapping == NULL) return;
  g_rec = (HookRec*)MapViewOfFile(g_mapping, FILE_MAP_WRITE, 0, 0, KERRAK_HOOK_REC_SIZE);
  if (g_rec == NULL) {
    CloseHandle(g_mapping);
    g_mapping = NULL;
  }
}

static void Detach(void) {
  if (g_rec != NULL) UnmapViewOfFile(g_rec);
  g_rec = NULL;
  if (g_mapping != NULL) CloseHandle(g_mapping);
  g_mapping = NULL;
  if (g_passing_slot != TLS_OUT_OF_INDEXES) TlsFree(g_passing_slot);
  g_passing_slot = TLS_OUT_OF_INDEXES;
}

/* The entry point (no C runtime start-up code runs before it). */
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
    Attach();
  } else if (reason == DLL_PROCESS_DETACH) {
    Detach();
  }
  return TRUE;
}
