/* The part of <windows.h> that Kerrak uses, for compiling hookdll/kerrak.c on the test host.
 * Only this folder's fake_win32.cpp implements the functions (see fake_win32.h); types and
 * constants have the values and sizes they have on 64-bit Windows, except that LONG is 32-bit
 * on every host. */
#ifndef RAVAK_TESTS_FAKES_KERRAK_WIN32_WINDOWS_H
#define RAVAK_TESTS_FAKES_KERRAK_WIN32_WINDOWS_H

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define TRUE 1
#define FALSE 0

typedef int BOOL;
typedef int16_t SHORT;
typedef int32_t LONG;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef const char* LPCSTR;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HHOOK__* HHOOK;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef LRESULT(CALLBACK* HOOKPROC)(int code, WPARAM wparam, LPARAM lparam);

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define TLS_OUT_OF_INDEXES ((DWORD)0xFFFFFFFF)
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define PAGE_READWRITE 0x04
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define HC_ACTION 0
#define HC_NOREMOVE 3
#define WH_KEYBOARD 2
#define WM_KEYUP 0x0101
#define WM_MOUSEMOVE 0x0200
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_END 0x23
#define VK_DOWN 0x28

#ifdef __cplusplus
extern "C" {
#endif

/* KERNEL32 */
BOOL WINAPI CloseHandle(HANDLE object);
BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);
LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high, DWORD offset_low,
                            size_t bytes);
HANDLE WINAPI OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name);
DWORD WINAPI TlsAlloc(void);
BOOL WINAPI TlsFree(DWORD index);
LPVOID WINAPI TlsGetValue(DWORD index);
BOOL WINAPI TlsSetValue(DWORD index, LPVOID value);
BOOL WINAPI UnmapViewOfFile(LPCVOID address);

/* USER32 */
LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wparam, LPARAM lparam);
SHORT WINAPI GetKeyState(int key);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HHOOK WINAPI SetWindowsHookExA(int type, HOOKPROC proc, HINSTANCE module, DWORD thread);
BOOL WINAPI UnhookWindowsHookEx(HHOOK hook);

#ifdef __cplusplus
}
#endif

#endif
