#include "shell/win32/u_Win32Keys.h"

#include <utility>

namespace vv {

namespace {
struct TKeyOf {
  TKeyName Name;
  WPARAM VirtualKey;
  const wchar_t* Text;
};

// The first entry of a name is the one its text is written with.
constexpr TKeyOf Keys[] = {
    {TKeyName::Escape, VK_ESCAPE, L"Esc"},   {TKeyName::Control, VK_CONTROL, L"Ctrl"},
    {TKeyName::Left, VK_LEFT, L"Left"},      {TKeyName::Right, VK_RIGHT, L"Right"},
    {TKeyName::Home, VK_HOME, L"Home"},      {TKeyName::End, VK_END, L"End"},
    {TKeyName::PageUp, VK_PRIOR, L"PgUp"},   {TKeyName::PageDown, VK_NEXT, L"PgDn"},
    {TKeyName::F1, VK_F1, L"F1"},            {TKeyName::F3, VK_F3, L"F3"},
    {TKeyName::F5, VK_F5, L"F5"},            {TKeyName::F9, VK_F9, L"F9"},
    {TKeyName::F11, VK_F11, L"F11"},         {TKeyName::B, 'B', L"B"},
    {TKeyName::C, 'C', L"C"},                {TKeyName::F, 'F', L"F"},
    {TKeyName::P, 'P', L"P"},                {TKeyName::Q, 'Q', L"Q"},
    {TKeyName::Plus, VK_ADD, L"+"},          {TKeyName::Equal, VK_OEM_PLUS, L"="},
    {TKeyName::Minus, VK_OEM_MINUS, L"-"},   {TKeyName::Minus, VK_SUBTRACT, L"-"},
    {TKeyName::Zero, '0', L"0"},             {TKeyName::Zero, VK_NUMPAD0, L"0"},
};

bool Held(int VirtualKey) { return (GetKeyState(VirtualKey) & 0x8000) != 0; }
} // namespace

TKeyChord ChordOf(WPARAM VirtualKey) {
  TKeyChord Chord;
  for (const TKeyOf& Key : Keys)
    if (Key.VirtualKey == VirtualKey) {
      Chord.Key = Key.Name;
      break;
    }
  Chord.Modifiers = (Held(VK_SHIFT) ? kmShift : 0u) | (Held(VK_CONTROL) ? kmCtrl : 0u) | (Held(VK_MENU) ? kmAlt : 0u);
  return Chord;
}

const TKeyBinding* BindingOf(const TKeyChord& Chord) {
  for (const TKeyBinding& Binding : KeyBindings())
    if (Binding.Chord == Chord)
      return &Binding;
  return nullptr;
}

std::wstring KeyText(const std::vector<TKeyChord>& Chords) {
  std::wstring Text;
  for (const TKeyChord& Chord : Chords) {
    if (!Text.empty())
      Text += L", ";
    if (Chord.Modifiers & kmCtrl)
      Text += L"Ctrl+";
    if (Chord.Modifiers & kmShift)
      Text += L"Shift+";
    if (Chord.Modifiers & kmAlt)
      Text += L"Alt+";
    for (const TKeyOf& Key : Keys)
      if (Key.Name == Chord.Key) {
        Text += Key.Text;
        break;
      }
  }
  return Text;
}

} // namespace vv
