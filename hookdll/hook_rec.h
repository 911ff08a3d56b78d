/* The record Kerrak and Ravak share through the file mapping "HookRecMemBlock", which Ravak
 * creates private to its user before it loads Kerrak and Kerrak only opens: 32 bytes of
 * 32-bit little-endian fields, the same on x86 and x64. Window and hook handles are stored in
 * 32 bits (user handles are 32-bit values on 64-bit Windows too) and widened with sign
 * extension when read back. Plain C: Kerrak includes it as well as the hook component. */
#ifndef RAVAK_HOOKDLL_HOOK_REC_H
#define RAVAK_HOOKDLL_HOOK_REC_H

#include <stdint.h>

#define KERRAK_MAPPING_NAME "HookRecMemBlock"
#define KERRAK_HOOK_REC_SIZE 32

typedef struct HookRec {
  uint32_t HookHandle;    /* 0: handle of the installed hook; 0 = none */
  uint32_t Reserved;      /* 4: never read or written */
  uint32_t KeyWindow;     /* 8: receives WM_KEYUP (wParam = key) for every key press */
  uint32_t ReleaseWindow; /* 12: receives WM_MOUSEMOVE for every key release */
  uint32_t ReleaseCount;  /* 16: key releases seen by the hook procedure */
  uint32_t BlockShortCut; /* 20: shortcut word of a Space combination to discard; 0 = none */
  uint32_t BlockFlag;     /* 24: 1 = discard the navigation keys */
  uint32_t LetterLock;    /* 28: 1 = discard letter keys until another key comes */
} HookRec;

#ifdef __cplusplus
static_assert(sizeof(HookRec) == KERRAK_HOOK_REC_SIZE, "HookRec is 32 bytes");
#else
_Static_assert(sizeof(HookRec) == KERRAK_HOOK_REC_SIZE, "HookRec is 32 bytes");
#endif

#endif
