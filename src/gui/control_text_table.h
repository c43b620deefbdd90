#pragma once
// ControlTextTable: the string-table entry that gives a control its
// default text, by control identifier. Applied when the window is made and
// whenever all texts are reloaded. Portable; no state.

#include <cstdint>

// The entry for the identifier, or -1 when the control keeps its text.
int32_t ControlTextEntry(int32_t id);
