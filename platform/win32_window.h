// Small Win32 helpers the program's windows share: resource texts, dialog classes of their own,
// pictures drawn unmirrored in right-to-left windows, fonts given to every child.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ravak::win32 {

// A string of the resource script's string table; empty when there is none.
std::wstring LoadText(HINSTANCE instance, UINT id);
// That string with value in place of its "%s".
std::wstring LoadText(HINSTANCE instance, UINT id, std::wstring_view value);
// A window class that behaves exactly like the system's dialog class, under a name of its own
// (the CLASS of a dialog template), so that the dialog is told apart from a message box.
void RegisterDialogClass(HINSTANCE instance, const wchar_t* name, HICON icon);
// Draws picture at (0, 0). In a mirrored device context the picture keeps its orientation.
void DrawPicture(HDC dc, HBITMAP picture);
// A picture control of a right-to-left window that draws its picture unmirrored.
void KeepPictureUnmirrored(HWND control);
// Shows picture in a picture control; the control's previous picture (the template's, or a copy
// the control made of ours) goes, and so does the one kept from before.
void ReplacePicture(HWND control, HBITMAP& kept, HBITMAP picture);
void SetChildrenFont(HWND parent, HFONT font);

}  // namespace ravak::win32
