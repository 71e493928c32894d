#include "shell/win32/frm_Contents.h"

#include "platform/win32/u_Win32Text.h"
#include "shell/win32/u_Panel.h"

namespace vv {

namespace {
constexpr int Margin = 4;
constexpr int LineHeight = 20;
constexpr int EditHeight = 22;

HWND Child(HWND Parent, const wchar_t* Class, DWORD Style, DWORD ExStyle, int Id, HFONT Font) {
  HWND Window = CreateWindowExW(ExStyle, Class, L"", WS_CHILD | WS_VISIBLE | Style, 0, 0, 0, 0, Parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(Window, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  return Window;
}
} // namespace

TfrmContents::TfrmContents(const TContents& Contents, HWND Parent, HFONT Font, int FilterId, int TreeId)
    : frmContents(CreatePanel(Parent)), lblPosition(Child(frmContents, L"STATIC", SS_LEFTNOWORDWRAP, 0, -1, Font)),
      edtFilter(Child(frmContents, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, FilterId, Font)),
      tvContents(Child(frmContents, WC_TREEVIEWW,
                       WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                       WS_EX_CLIENTEDGE, TreeId, Font)),
      Contents(Contents) {
  SendMessageW(edtFilter, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Filter"));
  Fill(std::vector<bool>(Contents.Rows().size(), true), false);
  ShowCurrent(nullptr);
}

TfrmContents::~TfrmContents() { DestroyWindow(frmContents); }

void TfrmContents::SetBounds(const RECT& B) {
  const int Width = B.right - B.left;
  const int Height = B.bottom - B.top;
  MoveWindow(frmContents, B.left, B.top, Width, Height, TRUE);
  const int Inner = Width - Margin;
  MoveWindow(lblPosition, Margin, Margin, Inner - Margin, LineHeight, TRUE);
  MoveWindow(edtFilter, Margin, Margin + LineHeight, Inner - Margin, EditHeight, TRUE);
  const int TreeTop = Margin + LineHeight + EditHeight + Margin;
  MoveWindow(tvContents, Margin, TreeTop, Inner - Margin, Height - TreeTop - Margin, TRUE);
}

void TfrmContents::Fill(const std::vector<bool>& Shown, bool Expand) {
  SendMessageW(tvContents, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(tvContents);
  const auto& All = Contents.Rows();
  Rows.assign(All.size(), nullptr);
  for (std::size_t Row = 0; Row < All.size(); ++Row) {
    if (!Shown[Row])
      continue;
    std::wstring Label = BookToWindows(All[Row].Label);
    TVINSERTSTRUCTW Insert{};
    // A shown row's branches are shown too, so its parent is in the tree.
    Insert.hParent = All[Row].Parent >= 0 ? Rows[static_cast<std::size_t>(All[Row].Parent)] : TVI_ROOT;
    Insert.hInsertAfter = TVI_LAST;
    Insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    Insert.item.pszText = Label.data();
    Insert.item.lParam = static_cast<LPARAM>(Row);
    Rows[Row] = reinterpret_cast<HTREEITEM>(
        SendMessageW(tvContents, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&Insert)));
  }
  if (Expand)
    for (HTREEITEM Item : Rows)
      if (Item)
        TreeView_Expand(tvContents, Item, TVE_EXPAND);
  if (CurrentRow >= 0 && Rows[static_cast<std::size_t>(CurrentRow)]) {
    TreeView_SelectItem(tvContents, Rows[static_cast<std::size_t>(CurrentRow)]);
    TreeView_EnsureVisible(tvContents, Rows[static_cast<std::size_t>(CurrentRow)]);
  }
  SendMessageW(tvContents, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tvContents, nullptr, TRUE);
}

void TfrmContents::ShowCurrent(const TXMLNode* Item) {
  SetWindowTextW(lblPosition, Utf8ToWindows(Contents.PositionText(Item)).c_str());
  CurrentRow = Contents.RowOf(Item);
  if (CurrentRow >= 0 && Rows[static_cast<std::size_t>(CurrentRow)]) {
    TreeView_SelectItem(tvContents, Rows[static_cast<std::size_t>(CurrentRow)]);
    TreeView_EnsureVisible(tvContents, Rows[static_cast<std::size_t>(CurrentRow)]);
  }
}

void TfrmContents::edtFilterChange() {
  const std::string Filter = WindowsToUtf8(WindowText(edtFilter));
  Fill(Contents.Shown(Filter), Filter.find_first_not_of(" \t") != std::string::npos);
}

void TfrmContents::edtFilterReturnPressed() {
  if (const TXMLNode* Page = Contents.FirstMatchingPage(WindowsToUtf8(WindowText(edtFilter))); Page && OnOpenPage)
    OnOpenPage(Page);
}

void TfrmContents::tvContentsActivate(HTREEITEM Row) {
  if (!Row)
    Row = TreeView_GetSelection(tvContents);
  if (!Row)
    return;
  TVITEMW Item{};
  Item.mask = TVIF_PARAM;
  Item.hItem = Row;
  if (!SendMessageW(tvContents, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Item)))
    return;
  if (const TXMLNode* Page = Contents.PageOfRow(static_cast<int>(Item.lParam)); Page && OnOpenPage)
    OnOpenPage(Page);
}

void TfrmContents::tvContentsClick() {
  TVHITTESTINFO Hit{};
  const DWORD At = GetMessagePos();
  Hit.pt = {static_cast<short>(LOWORD(At)), static_cast<short>(HIWORD(At))};
  ScreenToClient(tvContents, &Hit.pt);
  if (HTREEITEM Row = TreeView_HitTest(tvContents, &Hit); Row && (Hit.flags & TVHT_ONITEM))
    tvContentsActivate(Row);
}

bool TfrmContents::ClearFilter() {
  if (GetWindowTextLengthW(edtFilter) == 0)
    return false;
  SetWindowTextW(edtFilter, L"");
  return true;
}

} // namespace vv
