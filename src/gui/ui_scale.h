#pragma once
// UiScale: the process-wide factor from design pixels to window pixels,
// the horizontal screen DPI divided by 96. Set at start-up and on a DPI
// change, on the window's thread; read by layout and drawing there.

float UiScale();
void SetUiScale(float scale);
