#include "shell/qt/u_QtKeys.h"

#include <QKeyEvent>
#include <QStringList>
#include <utility>

namespace vv {

namespace {
constexpr std::pair<TKeyName, Qt::Key> Keys[] = {
    {TKeyName::Escape, Qt::Key_Escape}, {TKeyName::Control, Qt::Key_Control}, {TKeyName::Left, Qt::Key_Left},
    {TKeyName::Right, Qt::Key_Right},   {TKeyName::Home, Qt::Key_Home},       {TKeyName::End, Qt::Key_End},
    {TKeyName::PageUp, Qt::Key_PageUp}, {TKeyName::PageDown, Qt::Key_PageDown}, {TKeyName::F1, Qt::Key_F1},
    {TKeyName::F3, Qt::Key_F3},         {TKeyName::F5, Qt::Key_F5},           {TKeyName::F9, Qt::Key_F9},
    {TKeyName::F11, Qt::Key_F11},       {TKeyName::B, Qt::Key_B},             {TKeyName::C, Qt::Key_C},
    {TKeyName::F, Qt::Key_F},           {TKeyName::P, Qt::Key_P},             {TKeyName::Q, Qt::Key_Q},
    {TKeyName::Plus, Qt::Key_Plus},     {TKeyName::Equal, Qt::Key_Equal},     {TKeyName::Minus, Qt::Key_Minus},
    {TKeyName::Zero, Qt::Key_0},
};
} // namespace

TKeyChord ChordOf(const QKeyEvent& Key) {
  TKeyChord Chord;
  for (const auto& [Name, QtKey] : Keys)
    if (Key.key() == QtKey)
      Chord.Key = Name;
  const Qt::KeyboardModifiers Modifiers = Key.modifiers();
  Chord.Modifiers = (Modifiers & Qt::ShiftModifier ? kmShift : 0u) | (Modifiers & Qt::ControlModifier ? kmCtrl : 0u) |
                    (Modifiers & Qt::AltModifier ? kmAlt : 0u);
  return Chord;
}

QKeySequence SequenceOf(const TKeyChord& Chord) {
  Qt::Key QtKey = Qt::Key_unknown;
  for (const auto& [Name, Key] : Keys)
    if (Name == Chord.Key)
      QtKey = Key;
  Qt::KeyboardModifiers Modifiers;
  if (Chord.Modifiers & kmShift)
    Modifiers |= Qt::ShiftModifier;
  if (Chord.Modifiers & kmCtrl)
    Modifiers |= Qt::ControlModifier;
  if (Chord.Modifiers & kmAlt)
    Modifiers |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(Modifiers, QtKey));
}

QString KeyText(const std::vector<TKeyChord>& Chords) {
  QStringList Texts;
  for (const TKeyChord& Chord : Chords)
    Texts << SequenceOf(Chord).toString(QKeySequence::NativeText);
  return Texts.join(", ");
}

} // namespace vv
