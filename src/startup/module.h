#pragma once
// The launcher's own module: instance handle for resources and window
// classes, and its file path. Set once by the entry point.

#include <windows.h>

#include <string>

void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();
// Full path of a module file (the executable for null).
std::wstring ModulePath(HMODULE module);
