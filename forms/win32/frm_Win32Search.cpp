#include "forms/win32/frm_Win32Search.h"

#include <algorithm>

#include "forms/u_Search.h"
#include "forms/win32/u_FormPictures.h"
#include "platform/win32/u_Win32Text.h"

namespace vv {

namespace {
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// The buttons' column keeps to the right edge, the list fills the rest.
constexpr int ButtonsColumnWidth = 80;
constexpr int DropDownHeight = 160;
constexpr SIZE DesignedSize{SearchFormSize.Width, SearchFormSize.Height};
} // namespace

TWin32SearchView::TWin32SearchView(HWND Owner, IMessageLoop& Loop, std::wstring Caption)
    : TModalWindow(Loop), FOwner(Owner) {
  ErrorCaption = std::move(Caption);
  INITCOMMONCONTROLSEX Classes{sizeof(Classes), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&Classes);
  CreateHandle(L"TfrmSearch", FormStyle, FormExStyle, OuterBounds(0, 0, DesignedSize, FormStyle, FormExStyle), Owner,
               L"Search");

  cbSearchText = AddControl(WC_COMBOBOXW, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0);
  btnSearch = AddControl(WC_BUTTONW, L"Search", BS_DEFPUSHBUTTON | WS_TABSTOP, idSearch);
  lvFoundPages = AddControl(WC_LISTVIEWW, L"",
                            LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP | WS_CLIPSIBLINGS,
                            0);
  btnShowPage = AddControl(WC_BUTTONW, L"Show", BS_PUSHBUTTON | WS_TABSTOP, idShowPage);
  btnClose = AddControl(WC_BUTTONW, L"Close", BS_PUSHBUTTON | WS_TABSTOP, idClose);
  lblNothingFound = AddControl(WC_STATICW, L"", SS_CENTER, 0);
  ShowWindow(lblNothingFound, SW_HIDE);
  FocusControl = cbSearchText;

  SendMessageW(lvFoundPages, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  imglPages = FormPictures({TFormPicture::Page});
  SendMessageW(lvFoundPages, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imglPages));
  LVCOLUMNW Column{};
  Column.mask = LVCF_TEXT | LVCF_WIDTH;
  Column.pszText = const_cast<wchar_t*>(L"Page title");
  SendMessageW(lvFoundPages, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&Column));
  // The path rides along in a column nobody sees.
  Column.pszText = const_cast<wchar_t*>(L"FileName");
  Column.cx = 0;
  SendMessageW(lvFoundPages, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&Column));
  LayOutControls();
}

TWin32SearchView::~TWin32SearchView() {
  if (FBusy)
    SetBusy(false);
  // The list lets go of its pictures before they go.
  SendMessageW(lvFoundPages, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  ImageList_Destroy(imglPages);
}

HWND TWin32SearchView::AddControl(const wchar_t* ClassName, const wchar_t* Text, DWORD Style, int Id) {
  const HWND Control = CreateWindowExW(0, ClassName, Text, WS_CHILD | WS_VISIBLE | Style, 0, 0, 0, 0, Handle(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr),
                                       nullptr);
  SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
  return Control;
}

void TWin32SearchView::LayOutControls() {
  if (!lblNothingFound)
    return; // sized while it is made
  RECT Client{};
  GetClientRect(Handle(), &Client);
  const int Right = Client.right - ButtonsColumnWidth;
  const int ListWidth = std::max(0, Right - 11);
  const int ListHeight = std::max(0, static_cast<int>(Client.bottom) - 39);
  MoveWindow(cbSearchText, 4, 4, ListWidth, DropDownHeight, TRUE);
  MoveWindow(btnSearch, Right, 4, 75, 25, TRUE);
  MoveWindow(lvFoundPages, 4, 32, ListWidth, ListHeight, TRUE);
  MoveWindow(btnShowPage, Right, 32, 75, 25, TRUE);
  MoveWindow(btnClose, Right, 60, 75, 25, TRUE);
  FitColumn();
  // The note sits where the first rows would be, below the header.
  RECT Header{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(lvFoundPages, LVM_GETHEADER, 0, 0)), &Header);
  const int Below = 32 + 2 + static_cast<int>(Header.bottom - Header.top);
  SetWindowPos(lblNothingFound, HWND_TOP, 12, Below + 8, std::max(0, ListWidth - 16),
               std::max(0, 32 + ListHeight - Below - 16), SWP_NOACTIVATE);
}

std::string TWin32SearchView::Phrase() const { return WindowsToUtf8(WindowText(cbSearchText)); }

void TWin32SearchView::AddPhrase(const std::string& Phrase) {
  const std::wstring Text = Utf8ToWindows(Phrase);
  SendMessageW(cbSearchText, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  SetWindowTextW(cbSearchText, Text.c_str());
}

void TWin32SearchView::SetRows(const std::vector<TFoundPage>& Rows) {
  SendMessageW(lvFoundPages, WM_SETREDRAW, FALSE, 0);
  SendMessageW(lvFoundPages, LVM_DELETEALLITEMS, 0, 0);
  int Index = 0;
  for (const TFoundPage& Row : Rows) {
    std::wstring Name = BookToWindows(Row.Name), Path = BookToWindows(Row.Path);
    LVITEMW Item{};
    Item.mask = LVIF_TEXT | LVIF_IMAGE;
    Item.iItem = Index++;
    Item.pszText = Name.data();
    Item.iImage = 0;
    Item.iItem = static_cast<int>(SendMessageW(lvFoundPages, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&Item)));
    Item.mask = LVIF_TEXT;
    Item.iSubItem = 1;
    Item.pszText = Path.data();
    SendMessageW(lvFoundPages, LVM_SETITEMTEXTW, Item.iItem, reinterpret_cast<LPARAM>(&Item));
  }
  SendMessageW(lvFoundPages, WM_SETREDRAW, TRUE, 0);
  // Rows enough for a scroll bar narrow the list: no sideways scrolling.
  FitColumn();
  InvalidateRect(lvFoundPages, nullptr, TRUE);
}

void TWin32SearchView::FitColumn() {
  RECT ListClient{};
  GetClientRect(lvFoundPages, &ListClient);
  SendMessageW(lvFoundPages, LVM_SETCOLUMNWIDTH, 0, ListClient.right);
}

int TWin32SearchView::SelectedRow() const {
  return static_cast<int>(SendMessageW(lvFoundPages, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TWin32SearchView::SetNote(const std::string& Note) {
  if (Note.empty()) {
    ShowWindow(lblNothingFound, SW_HIDE);
  FocusControl = cbSearchText;
    return;
  }
  SetWindowTextW(lblNothingFound, Utf8ToWindows(Note).c_str());
  SetWindowPos(lblNothingFound, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TWin32SearchView::SetBusy(bool Busy) {
  FBusy = Busy;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(Busy ? IDC_WAIT : IDC_ARROW)));
}

void TWin32SearchView::ShowError(const std::string& Message) {
  ShowBox(Handle(), BookToWindows(Message), ErrorCaption, MB_OK | MB_ICONERROR);
}

TSize TWin32SearchView::Size() const {
  RECT Client{};
  GetClientRect(Handle(), &Client);
  return {Client.right, Client.bottom};
}

void TWin32SearchView::Resize(const TSize& Size) {
  RECT Window{};
  GetWindowRect(Handle(), &Window);
  const RECT Bounds = OuterBounds(Window.left, Window.top,
                                  {std::max<LONG>(Size.Width, DesignedSize.cx), std::max<LONG>(Size.Height, DesignedSize.cy)},
                                  FormStyle, FormExStyle);
  SetWindowPos(Handle(), nullptr, 0, 0, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32SearchView::ShowModal() {
  RECT Over{};
  if (!FOwner || !IsWindowVisible(FOwner) || !GetWindowRect(FOwner, &Over))
    Over = WorkArea();
  CenterIn(Handle(), Over);
  // The dialog keys: Tab between the controls, Enter for the default button, Escape to close.
  RunModal([this](MSG& Message) { return IsDialogMessageW(Handle(), &Message) != FALSE; });
}

void TWin32SearchView::Forward(const std::function<void()>& Handler) {
  if (Handler)
    Handler();
}

LRESULT TWin32SearchView::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_COMMAND:
    switch (LOWORD(WParam)) {
    case idSearch: Forward(OnSearch); return 0;
    case idShowPage: Forward(OnShowPage); return 0;
    case idClose: EndModal(); return 0;
    }
    break;
  case WM_NOTIFY: {
    const auto* Header = reinterpret_cast<const NMHDR*>(LParam);
    if (Header->hwndFrom == lvFoundPages && Header->code == NM_DBLCLK &&
        reinterpret_cast<const NMITEMACTIVATE*>(LParam)->iItem >= 0)
      Forward(OnShowPage);
    return 0;
  }
  case DM_GETDEFID: {
    // A focused button is the one Enter presses; otherwise Search.
    const HWND Focus = GetFocus();
    const int Id = Focus == btnShowPage || Focus == btnClose ? GetDlgCtrlID(Focus) : idSearch;
    return MAKELRESULT(Id, DC_HASDEFID);
  }
  case WM_GETMINMAXINFO: {
    const RECT Least = OuterBounds(0, 0, DesignedSize, FormStyle, FormExStyle);
    reinterpret_cast<MINMAXINFO*>(LParam)->ptMinTrackSize = {Least.right - Least.left, Least.bottom - Least.top};
    return 0;
  }
  case WM_SIZE: LayOutControls(); return 0;
  case WM_SETCURSOR:
    if (FBusy) {
      SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
      return TRUE;
    }
    break;
  case WM_CTLCOLORSTATIC:
    if (reinterpret_cast<HWND>(LParam) == lblNothingFound) {
      // The note reads as part of the list's white area.
      SetBkColor(reinterpret_cast<HDC>(WParam), GetSysColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(WParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    break;
  }
  return TModalWindow::HandleMessage(Message, WParam, LParam);
}

} // namespace vv
