#pragma once
// Finding the game client's window: a top-level window of the configured
// class that answers the WM_COPYDATA query (dwData 1000, the short product
// name) with non-zero. Logs each candidate. UI thread.

#include <windows.h>

#include <string>

HWND FindProductWindow(const std::wstring& windowClass, const std::string& shortName);
