#pragma once
// GDI+ for the toolkit's Windows side. Its headers use unqualified min and
// max and need objidl.h, which the lean Windows headers leave out.

#include <windows.h>

#include <objidl.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>
