#include "shell/u_Keys.h"

#include "text/u_eBookCommon.h"

namespace vv {

const std::vector<TKeyBinding>& KeyBindings() {
  static const std::vector<TKeyBinding> Bindings = {
      {{TKeyName::Left, kmAlt}, TKeyAction::Reading, tbkBack},
      {{TKeyName::Right, kmAlt}, TKeyAction::Reading, tbkForward},
      {{TKeyName::Home, kmCtrl}, TKeyAction::Reading, tbkFirst},
      {{TKeyName::End, kmCtrl}, TKeyAction::Reading, tbkLast},
      {{TKeyName::PageUp, kmCtrl}, TKeyAction::Reading, tbkPrior},
      {{TKeyName::PageDown, kmCtrl}, TKeyAction::Reading, tbkNext},
      {{TKeyName::PageUp, kmCtrl | kmShift}, TKeyAction::Reading, tbkPriorChapter},
      {{TKeyName::PageDown, kmCtrl | kmShift}, TKeyAction::Reading, tbkNextChapter},
      {{TKeyName::F5, kmNone}, TKeyAction::Reading, tbkRefresh},
      {{TKeyName::F, kmCtrl}, TKeyAction::BookCommand, tbkSearch},
      {{TKeyName::P, kmCtrl}, TKeyAction::BookCommand, tbkPrint},
      {{TKeyName::C, kmCtrl}, TKeyAction::Copy, tbkCopy},
      {{TKeyName::B, kmCtrl}, TKeyAction::BookCommand, tbkFavourites},
      {{TKeyName::F1, kmNone}, TKeyAction::BookCommand, tbkAbout},
      {{TKeyName::Q, kmCtrl}, TKeyAction::BookCommand, tbkExit},
      {{TKeyName::Plus, kmCtrl}, TKeyAction::ZoomIn},
      {{TKeyName::Equal, kmCtrl}, TKeyAction::ZoomIn},
      {{TKeyName::Minus, kmCtrl}, TKeyAction::ZoomOut},
      {{TKeyName::Zero, kmCtrl}, TKeyAction::ZoomReset},
      {{TKeyName::F9, kmNone}, TKeyAction::ToggleContents},
      {{TKeyName::F11, kmNone}, TKeyAction::ToggleFullScreen},
      // Ctrl+F is the book's own search, so finding on the page takes Ctrl+Shift+F.
      {{TKeyName::F, kmCtrl | kmShift}, TKeyAction::FindOnPage},
      {{TKeyName::F3, kmNone}, TKeyAction::FindNext},
      {{TKeyName::F3, kmShift}, TKeyAction::FindPrevious},
  };
  return Bindings;
}

std::vector<TKeyChord> KeysOfKind(int Kind) {
  if (Kind == tbkFontSize)
    return {{TKeyName::Plus, kmCtrl}, {TKeyName::Minus, kmCtrl}};
  for (const TKeyBinding& Binding : KeyBindings())
    if (Binding.Kind == Kind)
      return {Binding.Chord};
  return {};
}

bool IsReadingKey(const TKeyChord& Chord) {
  for (const TKeyBinding& Binding : KeyBindings())
    if (Binding.Action == TKeyAction::Reading && Binding.Chord == Chord)
      return true;
  return false;
}

} // namespace vv
