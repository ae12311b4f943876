// The Win32 headers this backend uses, in the order they need: <windows.h> first, as the
// common-control and dialog headers assume it.
#pragma once
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on
