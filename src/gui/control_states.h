#pragma once
// The state arithmetic of the skinned controls, apart from their drawing:
// which look a control shows, how far a progress bar is filled and where
// the waiting bar's segment is. Portable; no state.

#include <cstdint>

// Normal 0, hover 1, pressed 2, disabled 3: the row of a 12- or 36-sprite
// texture, the font of the profile and the state image.
int GuiStateIndex(bool enabled, bool pressed, bool hover);

// The check box sheet: 0 unchecked, 1 checked, + 2 pressed, + 4 hovered
// (pressed wins), 6 disabled whatever the checked state.
int CheckBoxSprite(bool enabled, bool checked, bool pressed, bool hover);

// Pixels of a progress bar `width` wide that show the bar at `percent`.
int32_t ProgressClipWidth(int32_t width, float percent);

// The waiting bar's position in percent after `elapsedMs`: a triangle wave
// from 0 up to 100 and back with a period of 5 s.
float WaitingBarValue(uint64_t elapsedMs);
// Left edge of its segment (`segment` pixels wide) in a bar `width` wide.
int32_t WaitingBarSegmentX(int32_t left, int32_t width, int32_t segment, float value);
