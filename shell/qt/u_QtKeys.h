#pragma once
// The viewer's key names against Qt's keys.

#include <QKeySequence>
#include <vector>

#include "shell/u_Keys.h"

class QKeyEvent;

namespace vv {

[[nodiscard]] TKeyChord ChordOf(const QKeyEvent& Key);
[[nodiscard]] QKeySequence SequenceOf(const TKeyChord& Chord);
// "Ctrl+F", as the desktop writes keys; several joined by ", ".
[[nodiscard]] QString KeyText(const std::vector<TKeyChord>& Chords);

} // namespace vv
