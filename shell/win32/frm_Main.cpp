// The main window, its window operations, and the forwarding of its events
// and keys to the logic.
#include "shell/win32/frm_Main.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/u_Win32Text.h"
#include "shell/win32/frm_Contents.h"
#include "platform/win32/u_MessageBox.h"
#include "platform/win32/u_WindowClass.h"
#include "shell/win32/u_Panel.h"
#include "shell/win32/u_Win32Keys.h"

namespace vv {

namespace {
constexpr wchar_t MainClass[] = L"TfrmMain";
// The print window's class, as the form views register it: Escape there is the logic's.
constexpr wchar_t PrintClass[] = L"TfrmPrint";

void RegisterMainClass(WNDPROC Proc) {
  INITCOMMONCONTROLSEX Controls{sizeof(Controls), ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&Controls);
  RegisterWindowClass({MainClass, Proc, 0, GetSysColorBrush(COLOR_BTNFACE),
                       LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1))});
}

HFONT MessageFont() {
  NONCLIENTMETRICSW Metrics{};
  Metrics.cbSize = sizeof(Metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0);
  return CreateFontIndirectW(&Metrics.lfMessageFont);
}

bool HasClass(HWND Window, const wchar_t* Name) {
  wchar_t Class[64] = {};
  return Window && GetClassNameW(Window, Class, 64) && lstrcmpiW(Class, Name) == 0;
}

// Placements are in workspace coordinates, which leave out a taskbar at the
// top or left; the logic's frames are in screen coordinates.
POINT WorkspaceOffset(const RECT& Frame) {
  MONITORINFO Info{};
  Info.cbSize = sizeof(Info);
  GetMonitorInfoW(MonitorFromRect(&Frame, MONITOR_DEFAULTTONEAREST), &Info);
  return {Info.rcWork.left - Info.rcMonitor.left, Info.rcWork.top - Info.rcMonitor.top};
}

TRect ToRect(const RECT& R) { return {R.left, R.top, R.right - R.left, R.bottom - R.top}; }

// Adds a monitor's work area to the list in Data, the primary first.
BOOL CALLBACK AddScreen(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
  auto& Areas = *reinterpret_cast<std::vector<TRect>*>(Data);
  MONITORINFO Info{};
  Info.cbSize = sizeof(Info);
  if (GetMonitorInfoW(Monitor, &Info)) {
    const TRect Area = ToRect(Info.rcWork);
    if (Info.dwFlags & MONITORINFOF_PRIMARY)
      Areas.insert(Areas.begin(), Area);
    else
      Areas.push_back(Area);
  }
  return TRUE;
}
} // namespace

TfrmMain::TfrmMain(TMainBook Book, const TMainWindowParts& Parts, TWin32MessageLoop& Loop,
                   IReadingStateStore& States)
    : Loop(Loop) {
  BuildComponents();
  FormViews = Parts.Forms(frmMain);
  UserFormViews = Parts.UserForms(frmMain);
  webMain = Parts.Browsers(frmMain);
  // The page asked to close: so does the window, as the book's own Exit would.
  webMain->OnCloseAccepted = [Window = frmMain] { PostMessageW(Window, WM_CLOSE, 0, 0); };
  BuildReadingArea();
  Loop.OnMessage = [this](MSG& Message) { return ApplicationEvents1Message(Message); };
  const TMainPlatform Platform{*this, Loop, *FormViews, *UserFormViews, States};
  if (auto* Load = std::get_if<std::unique_ptr<TBackgroundCabinetLoad>>(&Book))
    Logic = std::make_unique<TMainWindow>(Platform, std::move(*Load));
  else
    Logic = std::make_unique<TMainWindow>(Platform, std::move(std::get<TMainWindow::TBookSource>(Book)));
  Layout();
}

TfrmMain::~TfrmMain() {
  Loop.OnMessage = nullptr;
  OnClosed = nullptr;
  Logic.reset();
  webMain.reset();
  frmContents.reset();
  UserFormViews.reset();
  FormViews.reset();
  if (frmMain)
    DestroyWindow(frmMain);
  for (HMENU Menu : {popBookMarks, popFontSize, popPrint})
    DestroyMenu(Menu);
  if (imglToolbar)
    ImageList_Destroy(imglToolbar);
  for (HGDIOBJ Object : {static_cast<HGDIOBJ>(StripBrush), static_cast<HGDIOBJ>(LogoBitmap),
                         static_cast<HGDIOBJ>(Font)})
    if (Object)
      DeleteObject(Object);
}

void TfrmMain::BuildComponents() {
  RegisterMainClass(WindowProc);
  Font = MessageFont();
  frmMain = CreateWindowExW(WS_EX_CONTROLPARENT, MainClass, L"Vellumview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  pnlToolbarCommon = CreatePanel(frmMain);
  pnlToolbar = CreatePanel(pnlToolbarCommon);
  tbrMain = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                            WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS |
                                CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                            0, 0, 0, 0, pnlToolbar, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tbrMain, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(tbrMain, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(tbrMain, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  imglToolbar = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 16);
  SendMessageW(tbrMain, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imglToolbar));
  pnlLogo = CreatePanel(pnlToolbarCommon);
  imgLogo = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE | SS_NOTIFY, 0, 0,
                            0, 0, pnlLogo, nullptr, GetModuleHandleW(nullptr), nullptr);
  hntMain = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, frmMain, nullptr, GetModuleHandleW(nullptr),
                            nullptr);

  popBookMarks = CreatePopupMenu();
  popFontSize = CreatePopupMenu();
  const wchar_t* const SizeCaptions[] = {L"Extra Small", L"Small", L"Medium", L"Large", L"Extra Large"};
  for (int Tag = 0; Tag < 5; ++Tag)
    AppendMenuW(popFontSize, MF_STRING, static_cast<UINT_PTR>(idFontSize + Tag), SizeCaptions[Tag]);
  popPrint = CreatePopupMenu();
}

// ---- events ----

LRESULT CALLBACK TfrmMain::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    auto* Self = static_cast<TfrmMain*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
    Self->frmMain = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  auto* Self = reinterpret_cast<TfrmMain*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!Self)
    return DefWindowProcW(Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    Self->frmMain = nullptr;
    if (auto Closed = std::move(Self->OnClosed))
      Closed();
    return DefWindowProcW(Window, Message, WParam, LParam);
  }
  // Nothing unwinds through the system's dispatch: a failure is the reader's to see.
  try {
    return Self->HandleMessage(Message, WParam, LParam);
  } catch (const std::exception& E) {
    vv::ShowErrorBox(Window, E.what());
    return 0;
  }
}

LRESULT TfrmMain::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_SIZE:
    if (Logic)
      Logic->FormResize();
    Layout();
    return 0;
  case WM_CLOSE: Closing(); return 0;
  case WM_COMMAND:
    Command(LOWORD(WParam), HIWORD(WParam), reinterpret_cast<HWND>(LParam));
    return 0;
  case WM_NOTIFY: return Notify(*reinterpret_cast<const NMHDR*>(LParam));
  case WM_CTLCOLORSTATIC:
    if (reinterpret_cast<HWND>(LParam) == imgLogo && StripBrush)
      return reinterpret_cast<LRESULT>(StripBrush);
    break;
  case WM_SETCURSOR: {
    const auto Over = reinterpret_cast<HWND>(WParam);
    POINT At;
    GetCursorPos(&At);
    ScreenToClient(frmMain, &At);
    if ((Over == imgLogo && LogoBitmap) || (Over == frmMain && InSplitter(At))) {
      SetCursor(LoadCursorA(nullptr, Over == imgLogo ? IDC_HAND : IDC_SIZEWE));
      return TRUE;
    }
    if (Over != frmMain)
      return FALSE; // the control's own cursor
    break;
  }
  case WM_LBUTTONDOWN:
    if (InSplitter({GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)})) {
      Splitting = true;
      SetCapture(frmMain);
    }
    return 0;
  case WM_MOUSEMOVE:
    if (Splitting) {
      PaneWidth = GET_X_LPARAM(LParam);
      Layout();
    }
    return 0;
  case WM_LBUTTONUP:
  case WM_CAPTURECHANGED:
    if (Splitting) {
      Splitting = false;
      if (Message == WM_LBUTTONUP)
        ReleaseCapture();
    }
    return 0;
  case WM_ACTIVATE:
    // The page has the focus when the window comes back.
    if (LOWORD(WParam) != WA_INACTIVE && webMain && !GetFocus())
      SetFocus(webMain->Handle());
    break;
  default: break;
  }
  return DefWindowProcW(frmMain, Message, WParam, LParam);
}

void TfrmMain::Show() {
  ShowWindow(frmMain, ShowMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  UpdateWindow(frmMain);
  if (Shown || !Logic)
    return;
  Shown = true;
  // The window opens with the page focused, so reading keys scroll it at once.
  if (webMain)
    SetFocus(webMain->Handle());
  Logic->FormResize();
  Layout();
  Logic->FormShow();
}

void TfrmMain::Closing() {
  if (Logic && !Closed) {
    if (!Logic->FormCloseQuery())
      return;
    Closed = true;
    Logic->FormClose();
  }
  if (frmMain)
    DestroyWindow(frmMain);
}

void TfrmMain::Command(int Id, int Code, HWND Control) {
  if (!Logic)
    return;
  if (Control == imgLogo) {
    if (Code == STN_CLICKED)
      Logic->imgLogoClick();
    return;
  }
  if (Id >= idToolButton && Id < idToolButton + static_cast<int>(Buttons.size()))
    Logic->ToolButtonPressed(Id - idToolButton);
  else if (Id >= idFontSize && Id < idFontSize + 5)
    Logic->mnuFS_Click(Id - idFontSize);
  else if (Id >= idBookmark && Id < idPrintSection)
    Logic->BookMarkClick(Id - idBookmark);
  else if (Id >= idPrintSection && Id < idPrintSection + static_cast<int>(PrintSections.size()))
    Logic->PrintPageClick(PrintSections[static_cast<std::size_t>(Id - idPrintSection)]);
  else if (Id == idContinue)
    Logic->btnContinueClick();
  else if (Id == idContinueClose)
    HideContinueOffer();
  else if (Id == idFindNext || Id == idFindPrevious)
    FindNext(Id == idFindPrevious);
  else if (Id == idFindClose)
    CloseFindBar();
  else if (Id == idFilter && Code == EN_CHANGE && frmContents)
    frmContents->edtFilterChange();
  else if (Id == IDOK)
    DefaultKey();
}

void TfrmMain::DefaultKey() {
  HWND Focus = GetFocus();
  if (frmContents && Focus == frmContents->edtFilter)
    frmContents->edtFilterReturnPressed();
  else if (frmContents && Focus == frmContents->tvContents)
    frmContents->tvContentsActivate(nullptr);
  else if (Focus == edtFind)
    FindNext(false);
}

// ---- keys ----

bool TfrmMain::ApplicationEvents1Message(MSG& Message) {
  if (Message.message < WM_KEYFIRST || Message.message > WM_KEYLAST || !Message.hwnd)
    return false;
  if ((Message.message == WM_KEYDOWN || Message.message == WM_SYSKEYDOWN) && KeyHook(Message))
    return true;
  if (webMain) {
    HWND Page = webMain->Handle();
    if ((Message.hwnd == Page || IsChild(Page, Message.hwnd)) && webMain->PreTranslateMessage(Message))
      return true;
  }
  // Tab, arrows and Enter between the controls of whichever window has them.
  HWND Root = GetAncestor(Message.hwnd, GA_ROOT);
  return Root && IsDialogMessageW(Root, &Message);
}

bool TfrmMain::KeyHook(const MSG& Message) {
  if (!Logic || Closed)
    return false;
  TKeyEvent Key;
  Key.Chord = ChordOf(Message.wParam);
  Key.InMainWindow = GetAncestor(Message.hwnd, GA_ROOT) == frmMain;
  HWND Active = GetActiveWindow();
  Key.Active = Active == frmMain ? TKeyEvent::Main : HasClass(Active, PrintClass) ? TKeyEvent::Print : TKeyEvent::Other;
  Key.MenuOpen = MenuOpen;
  // First as a shortcut, as the window's bindings would take it...
  Key.ShortcutQuery = true;
  const TKeyVerdict Query = Logic->ApplicationEvents1Message(Key);
  if (Query == TKeyVerdict::Taken)
    return true;
  if (Query != TKeyVerdict::AsKeyPress && Key.Active == TKeyEvent::Main) {
    // A text box keeps the copy key for its own text.
    const bool EditKeeps =
        Query == TKeyVerdict::Pass && HasClass(GetFocus(), L"EDIT") && Key.Chord == TKeyChord{TKeyName::C, kmCtrl};
    if (const TKeyBinding* Binding = BindingOf(Key.Chord); Binding && !EditKeeps) {
      Logic->KeyBindingPressed(*Binding);
      return true;
    }
  }
  // ...then as the key press the focused control would get.
  Key.ShortcutQuery = false;
  const TKeyVerdict Press = Logic->ApplicationEvents1Message(Key);
  return Press == TKeyVerdict::Taken || Press == TKeyVerdict::AsKeyPress;
}

// ---- the window ----

void TfrmMain::SetCaption(const std::string& Caption) { SetWindowTextW(frmMain, BookToWindows(Caption).c_str()); }

void TfrmMain::SetApplicationTitle(const std::string& Title) { vv::SetApplicationTitle(BookToWindows(Title)); }

void TfrmMain::Resize(TSize Size) {
  SetWindowPos(frmMain, nullptr, 0, 0, Size.Width, Size.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::Maximize() {
  if (Shown)
    ShowWindow(frmMain, SW_MAXIMIZE);
  else
    ShowMaximized = true;
}

// Without the sizing border the reader cannot change the size, so KeepSize
// needs nothing more here; a maximised window keeps its single border too.
void TfrmMain::SetFixedBorder(bool) {
  const LONG_PTR Style = GetWindowLongPtrW(frmMain, GWL_STYLE);
  SetWindowLongPtrW(frmMain, GWL_STYLE, Style & ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_MAXIMIZEBOX));
  SetWindowPos(frmMain, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TfrmMain::CenterOnScreen() {
  RECT Work, Frame;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &Work, 0);
  GetWindowRect(frmMain, &Frame);
  const int Width = Frame.right - Frame.left;
  const int Height = Frame.bottom - Frame.top;
  SetWindowPos(frmMain, nullptr, Work.left + (Work.right - Work.left - Width) / 2,
               Work.top + (Work.bottom - Work.top - Height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<TRect> TfrmMain::Screens() const {
  std::vector<TRect> Result;
  EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&Result));
  return Result;
}

void TfrmMain::SetGeometry(const TRect& Frame) {
  if (!IsZoomed(frmMain) && !FullScreen) {
    SetWindowPos(frmMain, nullptr, Frame.Left, Frame.Top, Frame.Width, Frame.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  // A maximised or full-screen window keeps the frame for when it is restored.
  RECT Normal{Frame.Left, Frame.Top, Frame.Left + Frame.Width, Frame.Top + Frame.Height};
  const POINT Offset = WorkspaceOffset(Normal);
  OffsetRect(&Normal, -Offset.x, -Offset.y);
  if (FullScreen) {
    PlacementBeforeFullScreen.rcNormalPosition = Normal;
    return;
  }
  WINDOWPLACEMENT Placement{};
  Placement.length = sizeof(Placement);
  GetWindowPlacement(frmMain, &Placement);
  Placement.rcNormalPosition = Normal;
  SetWindowPlacement(frmMain, &Placement);
}

TWindowPlacement TfrmMain::Placement() const {
  WINDOWPLACEMENT Placement = PlacementBeforeFullScreen;
  if (!FullScreen) {
    Placement.length = sizeof(Placement);
    GetWindowPlacement(frmMain, &Placement);
  }
  RECT Normal = Placement.rcNormalPosition;
  const POINT Offset = WorkspaceOffset(Normal);
  OffsetRect(&Normal, Offset.x, Offset.y);
  const TRect Frame = ToRect(Normal);
  const bool Maximized = Placement.showCmd == SW_SHOWMAXIMIZED || (!Shown && ShowMaximized);
  return TWindowPlacement{Frame.Left, Frame.Top, Frame.Width, Frame.Height, Maximized};
}

void TfrmMain::ToggleFullScreen() {
  if (FullScreen) {
    FullScreen = false;
    SetWindowLongPtrW(frmMain, GWL_STYLE, StyleBeforeFullScreen);
    SetWindowPlacement(frmMain, &PlacementBeforeFullScreen);
    SetWindowPos(frmMain, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    return;
  }
  PlacementBeforeFullScreen.length = sizeof(PlacementBeforeFullScreen);
  GetWindowPlacement(frmMain, &PlacementBeforeFullScreen);
  StyleBeforeFullScreen = GetWindowLongPtrW(frmMain, GWL_STYLE);
  MONITORINFO Info{};
  Info.cbSize = sizeof(Info);
  GetMonitorInfoW(MonitorFromWindow(frmMain, MONITOR_DEFAULTTONEAREST), &Info);
  FullScreen = true;
  SetWindowLongPtrW(frmMain, GWL_STYLE,
                    StyleBeforeFullScreen & ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZE));
  const RECT& M = Info.rcMonitor;
  SetWindowPos(frmMain, HWND_TOP, M.left, M.top, M.right - M.left, M.bottom - M.top, SWP_FRAMECHANGED);
}

void TfrmMain::Close() {
  if (frmMain)
    SendMessageW(frmMain, WM_CLOSE, 0, 0);
}

void TfrmMain::ReleaseMainBrowser() { webMain.reset(); }

// ---- the desktop ----

void TfrmMain::ShowErrorBox(const std::string& Message) { vv::ShowErrorBox(frmMain, Message); }

void TfrmMain::ShowMessage(const std::string& Message) { vv::ShowMessage(frmMain, Message); }

void TfrmMain::OpenOutside(const std::string& URL) {
  ShellExecuteW(frmMain, L"open", BookToWindows(URL).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmMain::ClearClipboard() {
  if (OpenClipboard(frmMain)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

void TfrmMain::CloseActiveWindow() {
  if (HWND Active = GetActiveWindow(); Active && Active != frmMain)
    PostMessageW(Active, WM_CLOSE, 0, 0);
}

} // namespace vv
