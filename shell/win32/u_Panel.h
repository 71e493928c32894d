#pragma once
// A plain child window that groups controls: it paints its background and
// hands its children's notifications to the top-level window, where the
// view that owns them handles every event in one place.

#include <windows.h>

namespace vv {

// Background: none paints the dialog colour; the panel does not own it.
[[nodiscard]] HWND CreatePanel(HWND Parent, HBRUSH Background = nullptr);
void SetPanelBackground(HWND Panel, HBRUSH Background);

} // namespace vv
