// The main window's keys. Reading and view keys always act, wherever the
// focus is in the window; a key of a book command acts only when the book's
// toolbar has that command, so a book without a Print button cannot be
// printed by a key either. The copy key is the engine's own copy, with or
// without a Copy button. Every toolbar button can be reached with Tab and
// pressed from the keyboard.
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <functional>

#include "host/c_FindBar.h"
#include "shell/frm_Contents.h"
#include "shell/frm_Main.h"

namespace vv {

namespace {
// Reading keys act from any widget of the window; book keys need their button.
enum TKeyScope { ksReading, ksCopy, ksBook };

struct TCommandKey {
  int Kind;
  QKeyCombination Key;
  TKeyScope Scope;
};

const TCommandKey CommandKeys[] = {
    {tbkBack, Qt::ALT | Qt::Key_Left, ksReading},
    {tbkForward, Qt::ALT | Qt::Key_Right, ksReading},
    {tbkFirst, Qt::CTRL | Qt::Key_Home, ksReading},
    {tbkLast, Qt::CTRL | Qt::Key_End, ksReading},
    {tbkPrior, Qt::CTRL | Qt::Key_PageUp, ksReading},
    {tbkNext, Qt::CTRL | Qt::Key_PageDown, ksReading},
    {tbkPriorChapter, Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp, ksReading},
    {tbkNextChapter, Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown, ksReading},
    {tbkRefresh, QKeyCombination(Qt::Key_F5), ksReading},
    {tbkSearch, Qt::CTRL | Qt::Key_F, ksBook},
    {tbkPrint, Qt::CTRL | Qt::Key_P, ksBook},
    {tbkCopy, Qt::CTRL | Qt::Key_C, ksCopy},
    {tbkFavourites, Qt::CTRL | Qt::Key_B, ksBook},
    {tbkAbout, QKeyCombination(Qt::Key_F1), ksBook},
    {tbkExit, Qt::CTRL | Qt::Key_Q, ksBook},
};

QString KeyTextOf(int Kind) {
  if (Kind == tbkFontSize)
    return QKeySequence(Qt::CTRL | Qt::Key_Plus).toString(QKeySequence::NativeText) + ", " +
           QKeySequence(Qt::CTRL | Qt::Key_Minus).toString(QKeySequence::NativeText);
  for (const TCommandKey& Command : CommandKeys)
    if (Command.Kind == Kind)
      return QKeySequence(Command.Key).toString(QKeySequence::NativeText);
  return {};
}

bool HasMenu(int Kind) { return Kind == tbkFontSize || Kind == tbkFavourites || Kind == tbkPrint; }
} // namespace

void TfrmMain::InstallShortcuts() {
  for (const TCommandKey& Command : CommandKeys)
    connect(new QShortcut(QKeySequence(Command.Key), this), &QShortcut::activated, this, [this, Command] {
      if (Command.Scope == ksBook)
        RunBookCommand(Command.Kind);
      else if (Command.Scope == ksCopy)
        CopySelection();
      else
        RunCommand(Command.Kind);
    });
  const std::pair<QKeySequence, std::function<void()>> ViewKeys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { ChangeFontSize(FontSize + 1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ChangeFontSize(FontSize + 1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { ChangeFontSize(FontSize - 1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ChangeFontSize(2); }},
      {QKeySequence(Qt::Key_F9), [this] { ToggleContents(); }},
      {QKeySequence(Qt::Key_F11), [this] { ToggleFullScreen(); }},
      // Ctrl+F is the book's own search, so finding on the page takes Ctrl+Shift+F.
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), [this] { pnlFind->Open(); }},
      {QKeySequence(Qt::Key_F3), [this] { pnlFind->FindNext(); }},
      {QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { pnlFind->FindPrevious(); }},
  };
  for (const auto& [Sequence, Run] : ViewKeys)
    connect(new QShortcut(Sequence, this), &QShortcut::activated, this, Run);
}

void TfrmMain::InstallToolbarKeys(QToolButton* Button, int Kind) {
  Button->setFocusPolicy(Qt::TabFocus);
  if (const QString Key = KeyTextOf(Kind); !Key.isEmpty())
    Button->setToolTip(QString("%1 (%2)").arg(Button->toolTip(), Key));
  // Space presses a focused button already; Enter does too, and Down opens its menu.
  auto OnKey = [Button](const QKeySequence& Key, void (QToolButton::*Action)()) {
    auto* Shortcut = new QShortcut(Key, Button);
    Shortcut->setContext(Qt::WidgetShortcut);
    connect(Shortcut, &QShortcut::activated, Button, Action);
  };
  OnKey(QKeySequence(Qt::Key_Return), &QToolButton::click);
  OnKey(QKeySequence(Qt::Key_Enter), &QToolButton::click);
  if (HasMenu(Kind)) {
    OnKey(QKeySequence(Qt::Key_Down), &QToolButton::showMenu);
    OnKey(QKeySequence(Qt::ALT | Qt::Key_Down), &QToolButton::showMenu);
  }
}

void TfrmMain::RunBookCommand(int Kind) {
  if (pnlToolbarCommon->isHidden() || tbrMain->isHidden())
    return;
  for (QToolButton* Button : tbrMain->findChildren<QToolButton*>()) {
    bool IsTag = false;
    const int Tag = Button->property("Tag").toInt(&IsTag);
    if (!IsTag || Tag < 0 || Tag >= static_cast<int>(ButtonKinds.size()) ||
        (ButtonKinds[static_cast<std::size_t>(Tag)] & 0x7F) != Kind)
      continue;
    // The favourites button's face does nothing; its key opens the list.
    if (Kind == tbkFavourites) {
      Button->showMenu();
      return;
    }
    Button->click();
    return;
  }
}

void TfrmMain::CopySelection() {
  if (!Story || Story->RightClickBlocked() || !webMain)
    return;
  // The engine copies only from a focused page.
  webMain->setFocus();
  RunCommand(tbkCopy);
}

bool TfrmMain::IsReadingKey(const QKeyEvent& Key) {
  const QKeyCombination Pressed = Key.keyCombination();
  for (const TCommandKey& Command : CommandKeys)
    if (Command.Scope == ksReading && Command.Key == Pressed)
      return true;
  return false;
}

void TfrmMain::ChangeFontSize(int Level) {
  if (Level < 0 || Level > 4)
    return;
  FontSize = Level;
  SetFontSize(FontSize);
}

void TfrmMain::ToggleFullScreen() {
  if (isFullScreen()) {
    if (MaximizedBeforeFullScreen)
      showMaximized();
    else
      showNormal();
    // A window the book made fixed gets its size back.
    if (FixedSizeBeforeFullScreen.isValid())
      setFixedSize(FixedSizeBeforeFullScreen);
    return;
  }
  MaximizedBeforeFullScreen = isMaximized();
  FixedSizeBeforeFullScreen = minimumSize() == maximumSize() ? minimumSize() : QSize();
  if (FixedSizeBeforeFullScreen.isValid()) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  showFullScreen();
}

bool TfrmMain::TakeEscape() {
  QWidget* Focus = QApplication::focusWidget();
  if (frmContents && Focus == frmContents->edtFilter) {
    // An empty filter hands the page back its focus, so a further Escape closes as ever.
    if (!frmContents->ClearFilter())
      webMain->setFocus();
    return true;
  }
  if (pnlFind->isVisible() && pnlFind->isAncestorOf(Focus)) {
    pnlFind->Close();
    return true;
  }
  if (isFullScreen()) {
    ToggleFullScreen();
    return true;
  }
  return false;
}

} // namespace vv
