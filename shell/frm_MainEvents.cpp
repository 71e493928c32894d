// The main window's reactions to its browser and to keys anywhere in the
// application: the reading order follows the page shown, the print menu
// follows the document, right click and copy follow the page's setting,
// Escape closes.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

#include "forms/frm_Print.h"
#include "platform/u_Ansi.h"
#include "shell/frm_Main.h"
#include "shell/u_MessageBox.h"

namespace vv {

namespace {
// True exactly when the last key pressed anywhere was Ctrl.
bool CopyKeyArmed = false;
} // namespace

void TfrmMain::webMain2NavigateComplete2(IBrowser*, const std::string&) {
  if (Story)
    SyncStoryWithPage();
  ReadingPageChanged();
}

// Print sections are the book's: a page from elsewhere offers none, and the
// page is checked again whenever an answer about it arrives.
void TfrmMain::webMain2DocumentComplete(IBrowser*, const std::string&) {
  ScrollToContinuedPlace();
  if (!PrintButton)
    return;
  popPrint->clear();
  PrintButton->setPopupMode(QToolButton::DelayedPopup);
  if (!webMain->ShowsBookPage())
    return;
  const QPointer<TfrmMain> Self(this);
  QueryPrintSections(*webMain, [Self](std::vector<std::string> Ids) {
    if (!Self || !Self->PrintButton || !Self->webMain || !Self->webMain->ShowsBookPage())
      return;
    FillPrintMenu(*Self->popPrint, Ids, [Self](QAction* Sender) {
      if (Self)
        Self->PrintPageClick(Sender);
    });
    Self->PrintButton->setPopupMode(Self->popPrint->isEmpty() ? QToolButton::DelayedPopup
                                                              : QToolButton::MenuButtonPopup);
  });
}

void TfrmMain::PrintPageClick(QAction* Sender) {
  if (!webMain || !webMain->ShowsBookPage())
    return;
  const QPointer<TfrmMain> Self(this);
  QueryPrintSectionHtml(*webMain, QStringToAnsi(Sender->toolTip()), [Self](std::optional<std::string> Html) {
    if (!Self || !Self->webMain || !Self->webMain->ShowsBookPage())
      return;
    if (Html)
      ShowPrintForm(*Html);
    else
      ShowMessage(Self, SCannotFindPage);
  });
}

HRESULT TfrmMain::webMain2ShowContextMenu(std::uint32_t, const TPoint&) {
  return !Story || Story->RightClickBlocked() ? VV_S_OK : VV_S_FALSE;
}

HRESULT TfrmMain::webMain2GetExternal(TDispatchRef& ppDispatch) {
  ppDispatch = HostExternal;
  return VV_S_OK;
}

bool TfrmMain::ApplicationEvents1Message(QObject* Target, QEvent* Event) {
  // The engine asks whether a key is a shortcut before it sees the key itself;
  // a refused copy must be refused at both steps.
  const bool Override = Event->type() == QEvent::ShortcutOverride;
  if (!Override && Event->type() != QEvent::KeyPress)
    return false;
  const auto* Key = static_cast<QKeyEvent*>(Event);
  // A text box would keep Ctrl+Home and the like for itself: reading keys
  // are the window's wherever its focus is.
  if (const auto* Widget = qobject_cast<QWidget*>(Target); Override && Widget && Widget->window() == this && IsReadingKey(*Key)) {
    Event->ignore();
    return true;
  }
  // Escape in an open menu closes the menu only.
  if (Key->key() == Qt::Key_Escape && !Override && !QApplication::activePopupWidget()) {
    QWidget* Active = QApplication::activeWindow();
    if (Active == this) {
      if (!TakeEscape())
        PostClose();
      return true;
    }
    if (Active && Active->inherits("vv::TfrmPrint")) {
      QMetaObject::invokeMethod(Active, &QWidget::close, Qt::QueuedConnection);
      return true;
    }
  }
  const bool Blocked = !Story || Story->RightClickBlocked();
  if (CopyKeyArmed && Key->key() == Qt::Key_C && Blocked) {
    if (!Override) {
      QApplication::clipboard()->clear();
      CopyKeyArmed = false;
    } else {
      Event->accept(); // the key comes here as a key press, never as a copy shortcut
    }
    return true;
  }
  if (!Override)
    CopyKeyArmed = Key->key() == Qt::Key_Control;
  return false;
}

bool TfrmMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == imgLogo && Event->type() == QEvent::MouseButtonRelease) {
    imgLogoClick(imgLogo);
    return true;
  }
  return ApplicationEvents1Message(Watched, Event);
}

} // namespace vv
