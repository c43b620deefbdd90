#include "gui/ui_scale.h"

namespace {

float g_scale = 1.0f;

}  // namespace

float UiScale() { return g_scale; }

void SetUiScale(float scale) {
    if (scale > 0) g_scale = scale;
}
