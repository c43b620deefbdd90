#pragma once
// The identifiers of the wizard's controls, named in the theme by their
// `func` attribute (12345 ... 12439). Portable; no state.

#include <string>
#include <vector>

// The identifier for an exact `func` name, or 0 when it names no control.
int ControlIdForFunc(const std::string& func);
// The `func` name of an identifier, or null.
const char* ControlFuncForId(int id);
std::vector<int> AllControlIds();
