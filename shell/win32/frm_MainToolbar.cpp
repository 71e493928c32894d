// The toolbar strip as Win32 draws it: panels, the toolbar common control,
// its image list, the logo and the buttons' menus.
#include <algorithm>

#include "platform/win32/u_Win32Picture.h"
#include "platform/win32/u_Win32Text.h"
#include "shell/win32/frm_Main.h"
#include "shell/win32/u_Panel.h"
#include "shell/win32/u_Win32Keys.h"

namespace vv {

namespace {
constexpr int SeparatorWidth = 8;
// Room around the buttons, as a toolbar's own margins.
constexpr int ToolbarMargin = 4;

COLORREF ToColorRef(TColor Color) {
  const TRGB RGB = ColorToRGB(Color);
  return RGB(RGB.R, RGB.G, RGB.B);
}

class TPictureView : public IPicture {
public:
  TPictureView(const std::string& Bytes, const std::string& Name) : Picture(Bytes, Name) {}
  [[nodiscard]] TSize Size() const override { return Picture.Size(); }
  [[nodiscard]] TColor PixelColor(TPoint At) const override { return Picture.PixelColor(At); }
  const TWin32Picture Picture;
};

const TWin32Picture& PictureOf(const IPicture& Picture) { return static_cast<const TPictureView&>(Picture).Picture; }

// Picture drawn at Size, smoothly scaled, as a device bitmap the caller owns.
HBITMAP ScaledBitmap(const TWin32Picture& Picture, TSize Size) {
  HDC Screen = GetDC(nullptr);
  HBITMAP Result = CreateCompatibleBitmap(Screen, Size.Width, Size.Height);
  HDC From = CreateCompatibleDC(Screen);
  HDC To = CreateCompatibleDC(Screen);
  HGDIOBJ OldFrom = SelectObject(From, Picture.Bitmap());
  HGDIOBJ OldTo = SelectObject(To, Result);
  SetStretchBltMode(To, HALFTONE);
  SetBrushOrgEx(To, 0, 0, nullptr);
  StretchBlt(To, 0, 0, Size.Width, Size.Height, From, 0, 0, Picture.Size().Width, Picture.Size().Height, SRCCOPY);
  SelectObject(From, OldFrom);
  SelectObject(To, OldTo);
  DeleteDC(From);
  DeleteDC(To);
  ReleaseDC(nullptr, Screen);
  return Result;
}
} // namespace

void TfrmMain::SetToolbarPlacement(TToolbarPlacement Placement) {
  StripPlacement = Placement;
  Layout();
}

void TfrmMain::ApplyToolbarAppearance(const TToolbarOptions& O) {
  SendMessageW(tbrMain, TB_SETMAXTEXTROWS, O.ToolbarShowCaption ? 2 : 0, 0);
  // The list takes pictures of one size: it is made again while still empty.
  if (ImageList_GetImageCount(imglToolbar) == 0) {
    ImageList_Destroy(imglToolbar);
    imglToolbar = ImageList_Create(O.ToolbarImgW, O.ToolbarImgH, ILC_COLOR32 | ILC_MASK, 0, 16);
    SendMessageW(tbrMain, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imglToolbar));
  }
  SendMessageW(tbrMain, TB_SETBITMAPSIZE, 0, MAKELPARAM(O.ToolbarImgW, O.ToolbarImgH));
  HBRUSH Old = StripBrush;
  StripBrush = CreateSolidBrush(ToColorRef(O.ToolbarBackColor));
  for (HWND Panel : {pnlToolbarCommon, pnlToolbar, pnlLogo})
    SetPanelBackground(Panel, StripBrush);
  if (Old)
    DeleteObject(Old);
  LogoShown = O.LogoDisplay;
  Layout();
}

int TfrmMain::ToolbarHeight() const {
  return HIWORD(SendMessageW(tbrMain, TB_GETBUTTONSIZE, 0, 0)) + 2 * ToolbarMargin;
}

void TfrmMain::SetToolbarStripHeight(int Height) {
  StripHeight = Height;
  Layout();
}

bool TfrmMain::ToolbarShown() const { return StripPlacement != tpNoToolbar && IsWindowVisible(tbrMain); }

void TfrmMain::HideToolButtons() { ShowWindow(tbrMain, SW_HIDE); }

std::unique_ptr<IPicture> TfrmMain::LoadPicture(TPictureKind, const std::string& Bytes, const std::string& Name) {
  // The system's loader tells every kind by its bytes.
  return std::make_unique<TPictureView>(Bytes, Name);
}

int TfrmMain::AddToolbarImage(const IPicture& Picture, const TRect& Cell, const TColor* Transparent) {
  HBITMAP Bitmap = PictureOf(Picture).CopyCell(Cell);
  const int Index = Transparent ? ImageList_AddMasked(imglToolbar, Bitmap, ToColorRef(*Transparent))
                                : ImageList_Add(imglToolbar, Bitmap, nullptr);
  DeleteObject(Bitmap);
  return Index;
}

void TfrmMain::AddToolButton(const TToolButtonView& B) {
  if (B.Tag >= static_cast<int>(Buttons.size()))
    Buttons.resize(static_cast<std::size_t>(B.Tag) + 1);
  TButton& Entry = Buttons[static_cast<std::size_t>(B.Tag)];
  Entry.Kind = B.Kind;
  TBBUTTON Button{};
  Button.idCommand = idToolButton + B.Tag;
  Button.fsState = TBSTATE_ENABLED;
  std::wstring Caption;
  if (B.Kind == tbkSeparator) {
    Button.fsStyle = BTNS_SEP;
    Button.iBitmap = SeparatorWidth;
  } else {
    Caption = BookToWindows(B.Caption);
    Button.iString = reinterpret_cast<INT_PTR>(Caption.c_str());
    Button.iBitmap = B.ImageIndex >= 0 && B.ImageIndex < ImageList_GetImageCount(imglToolbar) ? B.ImageIndex
                                                                                             : I_IMAGENONE;
    Entry.Hint = B.Keys.empty() ? Caption : Caption + L" (" + KeyText(B.Keys) + L")";
    ButtonTextColor = B.TextColor;
    // The text size and favourites buttons are their menus; print is a
    // plain button until the page offers sections.
    switch (B.Kind) {
    case tbkFontSize: Entry.Menu = popFontSize; break;
    case tbkFavourites: Entry.Menu = popBookMarks; break;
    case tbkPrint: Entry.Menu = popPrint; break;
    default: break;
    }
    Button.fsStyle = static_cast<BYTE>(BTNS_BUTTON | BTNS_AUTOSIZE |
                                       (Entry.Menu && B.Kind != tbkPrint ? BTNS_WHOLEDROPDOWN : 0));
    const LONG_PTR Style = GetWindowLongPtrW(tbrMain, GWL_STYLE);
    SetWindowLongPtrW(tbrMain, GWL_STYLE, B.Flat ? Style | TBSTYLE_FLAT : Style & ~static_cast<LONG_PTR>(TBSTYLE_FLAT));
  }
  SendMessageW(tbrMain, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&Button));
  if (B.Kind != tbkSeparator) {
    // Sized for its caption, then held at least at the book's size.
    RECT Item{};
    SendMessageW(tbrMain, TB_GETRECT, static_cast<WPARAM>(Button.idCommand), reinterpret_cast<LPARAM>(&Item));
    TBBUTTONINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.dwMask = TBIF_SIZE | TBIF_STYLE;
    Info.cx = static_cast<WORD>(std::max<LONG>(Item.right - Item.left, B.MinimumSize.Width));
    Info.fsStyle = static_cast<BYTE>(Button.fsStyle & ~BTNS_AUTOSIZE);
    SendMessageW(tbrMain, TB_SETBUTTONINFOW, static_cast<WPARAM>(Button.idCommand), reinterpret_cast<LPARAM>(&Info));
    const DWORD Size = static_cast<DWORD>(SendMessageW(tbrMain, TB_GETBUTTONSIZE, 0, 0));
    if (HIWORD(Size) < B.MinimumSize.Height)
      SendMessageW(tbrMain, TB_SETBUTTONSIZE, 0, MAKELPARAM(LOWORD(Size), B.MinimumSize.Height));
  }
  SendMessageW(tbrMain, TB_AUTOSIZE, 0, 0);
}

void TfrmMain::ClickToolButton(int Tag) {
  if (Tag >= 0 && Tag < static_cast<int>(Buttons.size()))
    SendMessageW(frmMain, WM_COMMAND, MAKEWPARAM(idToolButton + Tag, BN_CLICKED), reinterpret_cast<LPARAM>(tbrMain));
}

void TfrmMain::OpenToolButtonMenu(int Tag) {
  if (Tag >= 0 && Tag < static_cast<int>(Buttons.size()) && Buttons[static_cast<std::size_t>(Tag)].Menu)
    PopupMenu(Buttons[static_cast<std::size_t>(Tag)].Menu, Tag);
}

void TfrmMain::PopupMenu(HMENU Menu, int Tag) {
  RECT Button{};
  SendMessageW(tbrMain, TB_GETRECT, static_cast<WPARAM>(idToolButton + Tag), reinterpret_cast<LPARAM>(&Button));
  MapWindowPoints(tbrMain, nullptr, reinterpret_cast<POINT*>(&Button), 2);
  TPMPARAMS Beside{sizeof(TPMPARAMS), Button};
  SendMessageW(tbrMain, TB_PRESSBUTTON, static_cast<WPARAM>(idToolButton + Tag), TRUE);
  MenuOpen = true;
  // The chosen item comes back as WM_COMMAND to the window.
  TrackPopupMenuEx(Menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, Button.left, Button.bottom,
                   frmMain, &Beside);
  MenuOpen = false;
  SendMessageW(tbrMain, TB_PRESSBUTTON, static_cast<WPARAM>(idToolButton + Tag), FALSE);
}

LRESULT TfrmMain::ToolbarNotify(const NMHDR& Header) {
  switch (Header.code) {
  case TBN_DROPDOWN: {
    const int Tag = reinterpret_cast<const NMTOOLBARW&>(Header).iItem - idToolButton;
    OpenToolButtonMenu(Tag);
    return TBDDRET_DEFAULT;
  }
  case TBN_GETINFOTIPW: {
    auto& Tip = const_cast<NMTBGETINFOTIPW&>(reinterpret_cast<const NMTBGETINFOTIPW&>(Header));
    const int Tag = Tip.iItem - idToolButton;
    if (Tag >= 0 && Tag < static_cast<int>(Buttons.size()) && Tip.pszText && Tip.cchTextMax > 0)
      lstrcpynW(Tip.pszText, Buttons[static_cast<std::size_t>(Tag)].Hint.c_str(), Tip.cchTextMax);
    return 0;
  }
  case NM_CUSTOMDRAW: {
    auto& Draw = const_cast<NMTBCUSTOMDRAW&>(reinterpret_cast<const NMTBCUSTOMDRAW&>(Header));
    if (Draw.nmcd.dwDrawStage == CDDS_PREPAINT)
      return CDRF_NOTIFYITEMDRAW;
    if (Draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
      Draw.clrText = ToColorRef(ButtonTextColor);
    return CDRF_DODEFAULT;
  }
  default: return 0;
  }
}

void TfrmMain::SetLogoHint(const std::string& Hint) {
  std::wstring Text = BookToWindows(Hint);
  TOOLINFOW Tool{};
  Tool.cbSize = sizeof(Tool);
  Tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  Tool.hwnd = pnlLogo;
  Tool.uId = reinterpret_cast<UINT_PTR>(imgLogo);
  Tool.lpszText = Text.data();
  SendMessageW(hntMain, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&Tool));
  SendMessageW(hntMain, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tool));
}

void TfrmMain::ShowLogo(const IPicture& Picture, TSize Shown) {
  HBITMAP Old = LogoBitmap;
  LogoBitmap = ScaledBitmap(PictureOf(Picture), Shown);
  SendMessageW(imgLogo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(LogoBitmap));
  if (Old)
    DeleteObject(Old);
  LogoWidth = Shown.Width;
  Layout();
}

void TfrmMain::HideLogo() {
  SendMessageW(imgLogo, STM_SETIMAGE, IMAGE_BITMAP, 0);
  if (LogoBitmap)
    DeleteObject(LogoBitmap);
  LogoBitmap = nullptr;
  LogoShown = false;
  Layout();
}

void TfrmMain::AddBookmark(int Tag, const std::string& Caption, const std::string&) {
  AppendMenuW(popBookMarks, MF_STRING, static_cast<UINT_PTR>(idBookmark + Tag), BookToWindows(Caption).c_str());
}

void TfrmMain::SetPrintSections(const std::vector<std::string>& Ids) {
  while (GetMenuItemCount(popPrint) > 0)
    DeleteMenu(popPrint, 0, MF_BYPOSITION);
  PrintSections = Ids;
  for (std::size_t Index = 0; Index < Ids.size(); ++Index)
    AppendMenuW(popPrint, MF_STRING, static_cast<UINT_PTR>(idPrintSection) + Index, BookToWindows(Ids[Index]).c_str());
  for (std::size_t Tag = 0; Tag < Buttons.size(); ++Tag)
    if (Buttons[Tag].Kind == tbkPrint) {
      TBBUTTONINFOW Info{};
      Info.cbSize = sizeof(Info);
      Info.dwMask = TBIF_STYLE;
      Info.fsStyle = static_cast<BYTE>(BTNS_BUTTON | (Ids.empty() ? 0 : BTNS_DROPDOWN));
      SendMessageW(tbrMain, TB_SETBUTTONINFOW, static_cast<WPARAM>(idToolButton) + Tag, reinterpret_cast<LPARAM>(&Info));
    }
}

} // namespace vv
