#pragma once
// The main window's keys, as every platform binds them. Reading and view keys
// act wherever the focus is in the window; a key of a book command acts only
// when the book's toolbar has that command, so a book without a Print button
// cannot be printed by a key either. The copy key is the engine's own copy,
// with or without a Copy button, refused on a page that forbids copying.

#include <cstdint>
#include <string>
#include <vector>

namespace vv {

// The keys the viewer names; each platform maps them to its own codes.
enum class TKeyName {
  Other, Escape, Control, Left, Right, Home, End, PageUp, PageDown,
  F1, F3, F5, F9, F11, B, C, F, P, Q, Plus, Equal, Minus, Zero,
};

enum : std::uint32_t { kmNone = 0, kmShift = 1, kmCtrl = 2, kmAlt = 4 };

struct TKeyChord {
  TKeyName Key = TKeyName::Other;
  std::uint32_t Modifiers = kmNone;
  friend bool operator==(const TKeyChord&, const TKeyChord&) = default;
};

enum class TKeyAction {
  Reading,     // a reading command (toolbar kind), from any widget of the window
  BookCommand, // the command of the book's toolbar button of that kind, if it has one
  Copy,
  ZoomIn, ZoomOut, ZoomReset,
  ToggleContents, ToggleFullScreen,
  FindOnPage, FindNext, FindPrevious,
};

struct TKeyBinding {
  TKeyChord Chord;
  TKeyAction Action;
  int Kind = -1; // the toolbar kind of Reading, BookCommand and Copy
};

// Every key the main window binds, in one table.
[[nodiscard]] const std::vector<TKeyBinding>& KeyBindings();

// The keys shown beside a toolbar button's hint ("Ctrl+F"); none for a kind without keys.
[[nodiscard]] std::vector<TKeyChord> KeysOfKind(int Kind);

// A key a text box would keep for itself that must move through the book instead.
[[nodiscard]] bool IsReadingKey(const TKeyChord& Chord);

// A key on its way through the application, as the main window's key hook sees it.
struct TKeyEvent {
  TKeyChord Chord;
  // The platform asks first whether the key is a shortcut (a query), then
  // delivers it (a key press); a refusal must hold at both steps.
  bool ShortcutQuery = false;
  bool InMainWindow = false; // the key's target is a widget of the main window
  enum TActive { Main, Print, Other } Active = Other;
  bool MenuOpen = false;
};

enum class TKeyVerdict {
  Pass,        // the key goes on as usual
  Taken,       // handled here; nobody else sees it
  Shortcut,    // the window's own binding takes it, not the focused widget
  AsKeyPress,  // not a shortcut: it comes back as a key press, to be taken then
};

} // namespace vv
