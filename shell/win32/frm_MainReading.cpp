// The reading area as Win32 draws it: the page with the contents pane beside
// it, the continue strip above it and the find bar below it.
//
// Finding on the page: the system's browser control finds only through its
// own Find dialog (OLECMDID_FIND), and the browser window gives no document to
// search or mark. The bar keeps the phrase the reader types (and the search
// window's phrase, ready for F3); Next, Previous, Enter and F3 open the
// control's dialog, which searches either way. Marking every occurrence on
// the next page waits for a browser window that reaches the document.
#include <algorithm>

#include "platform/win32/u_Win32Text.h"
#include "shell/win32/frm_Contents.h"
#include "shell/win32/frm_Main.h"
#include "shell/win32/u_Panel.h"

namespace vv {

namespace {
constexpr int BarHeight = 30;
constexpr int ControlHeight = 24;
constexpr int Gap = 6;
constexpr int SplitterWidth = 5;
constexpr int MinimumPane = 80;
// OLECMDID_FIND with OLECMDEXECOPT_PROMPTUSER: the control's own Find dialog.
constexpr int FindCommand = 32;
constexpr int PromptUser = 1;

int TextWidth(HWND Control) {
  HDC Context = GetDC(Control);
  HGDIOBJ Old = SelectObject(Context, reinterpret_cast<HGDIOBJ>(SendMessageW(Control, WM_GETFONT, 0, 0)));
  const std::wstring Text = WindowText(Control);
  SIZE Size{};
  GetTextExtentPoint32W(Context, Text.c_str(), static_cast<int>(Text.size()), &Size);
  SelectObject(Context, Old);
  ReleaseDC(Control, Context);
  return Size.cx + 4;
}
} // namespace

void TfrmMain::BuildReadingArea() {
  auto Child = [this](HWND Parent, const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id) {
    HWND Window = CreateWindowExW(lstrcmpW(Class, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, Class, Text,
                                  WS_CHILD | WS_VISIBLE | Style, 0, 0, 0, 0, Parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(Window, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    return Window;
  };
  pnlContinue = CreatePanel(frmMain);
  lblContinue = Child(pnlContinue, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, -1);
  btnContinue = Child(pnlContinue, L"BUTTON", L"&Continue", WS_TABSTOP | BS_PUSHBUTTON, idContinue);
  btnContinueClose = Child(pnlContinue, L"BUTTON", L"\u00D7", WS_TABSTOP | BS_PUSHBUTTON, idContinueClose);
  ShowWindow(pnlContinue, SW_HIDE);

  pnlFind = CreatePanel(frmMain);
  lblFind = Child(pnlFind, L"STATIC", L"Find on page:", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, -1);
  edtFind = Child(pnlFind, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, idFind);
  btnFindNext = Child(pnlFind, L"BUTTON", L"&Next", WS_TABSTOP | BS_PUSHBUTTON, idFindNext);
  btnFindPrevious = Child(pnlFind, L"BUTTON", L"&Previous", WS_TABSTOP | BS_PUSHBUTTON, idFindPrevious);
  btnFindClose = Child(pnlFind, L"BUTTON", L"\u00D7", WS_TABSTOP | BS_PUSHBUTTON, idFindClose);
  ShowWindow(pnlFind, SW_HIDE);
}

void TfrmMain::LayoutBar(HWND Bar, const std::vector<std::pair<HWND, int>>& Row, HWND CloseButton, int Top,
                         int Width) {
  MoveWindow(Bar, 0, Top, Width, BarHeight, TRUE);
  const int Y = (BarHeight - ControlHeight) / 2;
  int X = Gap;
  for (const auto& [Control, ControlWidth] : Row) {
    MoveWindow(Control, X, Y, ControlWidth, ControlHeight, TRUE);
    X += ControlWidth + Gap;
  }
  MoveWindow(CloseButton, Width - ControlHeight - 2, Y, ControlHeight, ControlHeight, TRUE);
}

void TfrmMain::Layout() {
  if (!frmMain)
    return;
  RECT Client;
  GetClientRect(frmMain, &Client);
  const int Width = Client.right;
  int Top = 0;
  int Bottom = Client.bottom;
  if (StripPlacement != tpNoToolbar) {
    int Y = Top;
    if (StripPlacement == tpBottom) {
      Bottom -= StripHeight;
      Y = Bottom;
    } else {
      Top += StripHeight;
    }
    const int Logo = LogoShown ? std::min(LogoWidth, Width) : 0;
    MoveWindow(pnlToolbarCommon, 0, Y, Width, StripHeight, TRUE);
    MoveWindow(pnlToolbar, 0, 0, Width - Logo, StripHeight, TRUE);
    const int Bar = std::min(StripHeight, ToolbarHeight());
    MoveWindow(tbrMain, 0, (StripHeight - Bar) / 2, Width - Logo, Bar, TRUE);
    MoveWindow(pnlLogo, Width - Logo, 0, Logo, StripHeight, TRUE);
    MoveWindow(imgLogo, 0, 0, Logo, StripHeight, TRUE);
  }
  ShowWindow(pnlToolbarCommon, StripPlacement != tpNoToolbar ? SW_SHOWNA : SW_HIDE);
  ShowWindow(pnlLogo, LogoShown ? SW_SHOWNA : SW_HIDE);
  if (ContinueOffered()) {
    const int Button = TextWidth(btnContinue) + 16;
    LayoutBar(pnlContinue, {{lblContinue, std::min(TextWidth(lblContinue), std::max(0, Width - Button - 60))},
                            {btnContinue, Button}},
              btnContinueClose, Top, Width);
    Top += BarHeight;
  }
  if (FindOpen) {
    Bottom -= BarHeight;
    LayoutBar(pnlFind,
              {{lblFind, TextWidth(lblFind)}, {edtFind, 200}, {btnFindNext, TextWidth(btnFindNext) + 16},
               {btnFindPrevious, TextWidth(btnFindPrevious) + 16}},
              btnFindClose, Bottom, Width);
  }
  int Left = 0;
  if (ContentsVisible()) {
    PaneWidth = std::clamp(PaneWidth, MinimumPane, std::max(MinimumPane, Width - MinimumPane));
    frmContents->SetBounds({0, Top, PaneWidth, Bottom});
    Left = PaneWidth + SplitterWidth;
  }
  if (webMain)
    webMain->SetBounds({Left, Top, std::max(Left, Width), std::max(Top, Bottom)});
}

void TfrmMain::Relayout() {
  Layout();
  // Children moved across each other keep no stale pictures of one another.
  RedrawWindow(frmMain, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool TfrmMain::InSplitter(POINT Client) const {
  if (!ContentsVisible())
    return false;
  RECT Pane;
  GetWindowRect(frmContents->frmContents, &Pane);
  MapWindowPoints(nullptr, frmMain, reinterpret_cast<POINT*>(&Pane), 2);
  return Client.x >= Pane.right && Client.x < Pane.right + SplitterWidth && Client.y >= Pane.top &&
         Client.y < Pane.bottom;
}

LRESULT TfrmMain::Notify(const NMHDR& Header) {
  if (Header.hwndFrom == tbrMain)
    return ToolbarNotify(Header);
  if (frmContents && Header.hwndFrom == frmContents->tvContents) {
    if (Header.code == NM_CLICK)
      frmContents->tvContentsClick();
    else if (Header.code == NM_RETURN)
      frmContents->tvContentsActivate(nullptr);
  }
  return 0;
}

TFocusArea TfrmMain::FocusArea() const {
  HWND Focus = GetFocus();
  if (frmContents && Focus == frmContents->edtFilter)
    return TFocusArea::ContentsFilter;
  if (FindOpen && IsChild(pnlFind, Focus))
    return TFocusArea::FindBar;
  if (webMain && (Focus == webMain->Handle() || IsChild(webMain->Handle(), Focus)))
    return TFocusArea::Page;
  return TFocusArea::Other;
}

void TfrmMain::ShowContents(const TContents& Contents, int Width) {
  if (!frmContents) {
    frmContents = std::make_unique<TfrmContents>(Contents, frmMain, Font, idFilter, idContents);
    frmContents->OnOpenPage = [this](const TXMLNode* Item) { Logic->ContentsPageChosen(Item); };
  }
  ShowWindow(frmContents->frmContents, SW_SHOW);
  PaneWidth = Width;
  Relayout();
}

void TfrmMain::HideContents() {
  if (!frmContents)
    return;
  if (IsChild(frmContents->frmContents, GetFocus()) && webMain)
    SetFocus(webMain->Handle());
  ShowWindow(frmContents->frmContents, SW_HIDE);
  Relayout();
}

bool TfrmMain::ContentsVisible() const {
  return frmContents && (GetWindowLongPtrW(frmContents->frmContents, GWL_STYLE) & WS_VISIBLE);
}

int TfrmMain::ContentsWidth() const { return frmContents ? PaneWidth : 0; }

void TfrmMain::ShowCurrentInContents(const TXMLNode* Item) {
  if (frmContents)
    frmContents->ShowCurrent(Item);
}

void TfrmMain::FocusContentsFilter() {
  if (frmContents)
    SetFocus(frmContents->edtFilter);
}

bool TfrmMain::ClearContentsFilter() { return frmContents && frmContents->ClearFilter(); }

void TfrmMain::OpenFindBar() {
  FindOpen = true;
  ShowWindow(pnlFind, SW_SHOW);
  Relayout();
  SetFocus(edtFind);
  SendMessageW(edtFind, EM_SETSEL, 0, -1);
}

void TfrmMain::CloseFindBar() {
  const bool HadFocus = IsChild(pnlFind, GetFocus());
  FindOpen = false;
  ShowWindow(pnlFind, SW_HIDE);
  Relayout();
  if (HadFocus && webMain)
    webMain->FocusPage();
}

void TfrmMain::FindNext(bool) {
  if (!FindOpen || GetWindowTextLengthW(edtFind) == 0) {
    OpenFindBar();
    return;
  }
  if (!webMain)
    return;
  try {
    webMain->FocusPage();
    webMain->ExecWB(FindCommand, PromptUser);
  } catch (const std::exception&) {
    // A control without the command finds nothing; the bar stays for the reader.
  }
}

void TfrmMain::HighlightOnNextPage(const std::string& Phrase) {
  SetWindowTextW(edtFind, Utf8ToWindows(Phrase).c_str()); // UTF-8, as the search window gives it
}

void TfrmMain::ShowContinueOffer(const std::string& Text) {
  SetWindowTextW(lblContinue, BookToWindows(Text).c_str());
  ShowWindow(pnlContinue, SW_SHOWNA);
  Relayout();
}

void TfrmMain::HideContinueOffer() {
  ShowWindow(pnlContinue, SW_HIDE);
  Relayout();
}

bool TfrmMain::ContinueOffered() const { return GetWindowLongPtrW(pnlContinue, GWL_STYLE) & WS_VISIBLE; }

} // namespace vv
