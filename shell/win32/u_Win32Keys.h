#pragma once
// The viewer's key names against Windows' virtual keys.

#include <windows.h>

#include <string>
#include <vector>

#include "shell/u_Keys.h"

namespace vv {

// The key of a WM_KEYDOWN with the modifiers held when it was sent.
[[nodiscard]] TKeyChord ChordOf(WPARAM VirtualKey);
// The binding of a chord; none when the window binds no such key.
[[nodiscard]] const TKeyBinding* BindingOf(const TKeyChord& Chord);
// "Ctrl+F", as Windows writes keys in menus and hints; several joined by ", ".
[[nodiscard]] std::wstring KeyText(const std::vector<TKeyChord>& Chords);

} // namespace vv
