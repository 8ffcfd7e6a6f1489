#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

// A drawn picture's answer to screen readers: the window's own standard
// accessible object (its place, state and parent), with the name, the
// description and the value in words asked of the window when a reader
// asks for them, so an object a reader holds never outlives what it names.

// Sent to the picture's window: wParam is what is asked, lParam a
// std::wstring* to fill; it answers nonzero when it filled it.
constexpr UINT kPictureTextMessage = WM_APP + 40;
enum class PictureText : WPARAM { Name, Description, Value };

// LresultFromObject's shape: hands an object over to the reader that asked.
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);

// The answer to WM_GETOBJECT for the client object of window; 0 (so that
// DefWindowProc answers) when oleacc.dll cannot be loaded or the object
// cannot be handed over. The thread must be in a COM apartment. handOver
// stands in for oleacc's LresultFromObject (tests).
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LresultFromObjectFn handOver = nullptr);

// Tells readers that the picture's value (what its cursor points at) changed.
void AnnounceValueChange(HWND window);
