// The toolbar: buttons and images from the book's toolbar file, the commands
// behind them, text size, and the strip's height.
#include "forms/u_Search.h"
#include "shell/u_MainWindow.h"

namespace vv {

namespace {
// A browser that never becomes interactive must not hold a command forever.
constexpr int ReadyStateWaitMs = 30000;
// The kind byte's high bit is not part of the kind.
constexpr std::uint8_t KindMask = 0x7F;

TVariant Attribute(const TXMLNode& Node, std::string_view Name, const TVariant& Default) {
  return Node.Attributes->GetValue(Name, Default);
}
} // namespace

std::string TMainWindow::ReadThroughStream(TMFSSession& Session, const std::string& Path) {
  const auto Stream = Session.CreateFileStream(Path, VV_OPEN_EXISTING, 0);
  return Stream->ReadString(Stream->Size());
}

void TMainWindow::BuildToolbar() {
  TMFSSession& Session = SystemVolume->DefaultSession();
  const std::string File = RootAttribute("ToolButtons", TVariant("")).ToText();
  Session.ChangeDir("\\");
  if (File.empty() || !Session.Exists(File)) {
    View.HideToolButtons();
    return;
  }
  TXMLParser Parser;
  Parser.LoadFromBytes(Session.GetFile(File)->Content);
  if (!Parser.Root())
    return;
  Session.ChangeDir(TMFS::ExtractPath(TMFS::NormalizeSeparators(File)));
  if (const TXMLNode* Images = Parser.Root()->Nodes->FindNode("Images"))
    LoadToolbarImages(*Images);
  const TXMLNode* Buttons = Parser.Root()->Nodes->FindNode("Buttons");
  if (!Buttons)
    return;
  const int Count = Buttons->Nodes->Count();
  ButtonOnClick->assign(static_cast<std::size_t>(Count), std::string());
  ButtonKinds.assign(static_cast<std::size_t>(Count), 0);
  for (int Index = 0; Index < Count; ++Index) {
    const TXMLNode& Node = *Buttons->Nodes->Items(Index);
    const auto Kind = static_cast<std::uint8_t>(Attribute(Node, "Kind", TVariant(std::int32_t{0})).ToInteger());
    ButtonKinds[static_cast<std::size_t>(Index)] = Kind;
    (*ButtonOnClick)[static_cast<std::size_t>(Index)] = Attribute(Node, "OnClick", TVariant("")).ToText();
    TToolButtonView Button;
    Button.Tag = Index;
    Button.Kind = Kind;
    Button.Flat = ToolbarOptions->ToolbarFlat;
    if (Kind != tbkSeparator) {
      Button.Caption = Attribute(Node, "Caption", TVariant("")).ToText();
      Button.MinimumSize = {ToolbarOptions->ToolbarBtnW, ToolbarOptions->ToolbarBtnH};
      Button.ImageIndex = Attribute(Node, "ImageIndex", TVariant(std::int32_t{-1})).ToInteger();
      if (const TXMLAttribute* Named = Node.Attributes->Find("Image"))
        Button.ImageIndex = static_cast<int>(ImageIndexByName->GetValueDef(Named->Value.ToText(), -1));
      Button.TextColor = TextColor;
      Button.Keys = KeysOfKind(Kind & KindMask);
    }
    View.AddToolButton(Button);
    if (Kind == tbkFavourites)
      ReadBookmarks(Node);
    else if (Kind == tbkPrint)
      PrintButton = Index;
  }
}

void TMainWindow::LoadToolbarImages(const TXMLNode& Images) {
  TMFSSession& Session = SystemVolume->DefaultSession();
  const TSize CellSize{ToolbarOptions->ToolbarImgW, ToolbarOptions->ToolbarImgH};
  for (int Index = 0; Index < Images.Nodes->Count(); ++Index) {
    const TXMLNode& Node = *Images.Nodes->Items(Index);
    if (const std::string Name = Attribute(Node, "Name", TVariant("")).ToText(); !Name.empty())
      ImageIndexByName->Put(Name, Index);
    const std::string Path = Attribute(Node, "Path", TVariant("")).ToText();
    const std::string Extension = TMFS::ExtractExt(TMFS::NormalizeSeparators(Path));
    const TPictureKind Kind = PictureKindOf(Extension.empty() ? Extension : Extension.substr(1));
    const auto Picture = View.LoadPicture(Kind, ReadThroughStream(Session, Path), Path);
    // The image list takes pictures of its own size: a smaller one is refused,
    // a larger one gives its top-left cell, so later images keep their indexes.
    if (Picture->Size().Width < CellSize.Width || Picture->Size().Height < CellSize.Height)
      throw EInvalidOperation("Invalid image size");
    const TRect Cell{0, 0, CellSize.Width, CellSize.Height};
    if (Kind == TPictureKind::Icon) {
      View.AddToolbarImage(*Picture, Cell, nullptr);
      continue;
    }
    const TXMLAttribute* MaskColor = Node.Attributes->Find("MaskColor");
    const TColor Transparent =
        MaskColor ? MaskColor->Value.ToInteger()
                  : Picture->PixelColor({Attribute(Node, "XMask", TVariant(std::int32_t{0})).ToInteger(),
                                         Attribute(Node, "YMask", TVariant(std::int32_t{0})).ToInteger()});
    View.AddToolbarImage(*Picture, Cell, &Transparent);
  }
}

bool TMainWindow::WaitUntilInteractive() {
  const TLiveness Alive = Life.Token();
  IBrowser* Browser = MainBrowser();
  if (!Browser)
    return true;
  const TLiveness BrowserAlive = Browser->Liveness();
  Platform.Loop.WaitUntil(
      [&] { return !IsAlive(Alive) || !IsAlive(BrowserAlive) || Browser->ReadyState() >= READYSTATE_INTERACTIVE; },
      ReadyStateWaitMs);
  return IsAlive(Alive);
}

TOleVariant TMainWindow::CallExternal(const TDispatchRef& Object, std::string_view Member, std::uint16_t Kind,
                                      const TOleVariantList& Args) {
  TOleVariant Result;
  std::string Failure;
  bool Failed = false;
  const TDispatchReply Reply([&](const TOleVariant& Value) { Result = Value; },
                             [&](const std::string& Message) { Failure = Message, Failed = true; });
  Object->Invoke(Object->GetIDOfName(Member), Kind, Args, Reply);
  if (Failed)
    throw Exception(Failure);
  return Result;
}

void TMainWindow::ToolButtonPressed(int Tag) {
  if (Tag < 0 || Tag >= static_cast<int>(ButtonKinds.size()))
    return;
  switch (ButtonKinds[static_cast<std::size_t>(Tag)]) {
  case tbkSeparator:
  case tbkFontSize:
  case tbkFavourites: break; // their menus are the command
  case tbkSearch: mnuSearchClick(); break;
  default: ToolButtonClick(Tag);
  }
}

void TMainWindow::ToolButtonClick(int Tag) {
  if (!WaitUntilInteractive() || !ButtonOnClick)
    return;
  if (Tag < 0 || Tag >= static_cast<int>(ButtonOnClick->size()))
    return;
  RunCommand(ButtonKinds[static_cast<std::size_t>(Tag)] & KindMask);
}

void TMainWindow::RunCommand(int Kind) {
  IBrowser* Browser = MainBrowser();
  if (!HostExternal || !Browser)
    return;
  const TLiveness Alive = Life.Token();
  try {
    const TDispatchRef BrowserObject =
        std::get<TDispatchRef>(CallExternal(HostExternal, "WebBrowser", VV_DISPATCH_PROPERTYGET));
    const TDispatchRef StoryObject = HostExternal->Story();
    auto AtEdge = [&](const char* Flag) {
      return std::get<bool>(CallExternal(StoryObject, Flag, VV_DISPATCH_PROPERTYGET));
    };
    switch (Kind) {
    case tbkBack:
    case tbkForward:
      try {
        CallExternal(BrowserObject, Kind == tbkBack ? "GoBack" : "GoForward", VV_DISPATCH_METHOD);
      } catch (const Exception&) {
      }
      break;
    case tbkFirst: CallExternal(StoryObject, "First", VV_DISPATCH_METHOD); break;
    case tbkLast: CallExternal(StoryObject, "Last", VV_DISPATCH_METHOD); break;
    case tbkPrior:
      if (!AtEdge("Bof"))
        CallExternal(StoryObject, "Prior", VV_DISPATCH_METHOD);
      break;
    case tbkNext:
      if (!AtEdge("Eof"))
        CallExternal(StoryObject, "Next", VV_DISPATCH_METHOD);
      break;
    case tbkPriorChapter:
      if (!AtEdge("Bof"))
        CallExternal(StoryObject, "PriorChapter", VV_DISPATCH_METHOD, {TOleVariant(std::int32_t{1})});
      break;
    case tbkNextChapter:
      if (!AtEdge("Eof"))
        CallExternal(StoryObject, "NextChapter", VV_DISPATCH_METHOD, {TOleVariant(std::int32_t{1})});
      break;
    case tbkAbout: {
      SetFontSize(2);
      // A command is never inside a page request, so waiting here is safe.
      auto Closed = std::make_shared<bool>(false);
      HostExternal->ShowUserForm("About", [Closed, &Loop = Platform.Loop] {
        *Closed = true;
        Loop.Wake();
      });
      Platform.Loop.WaitUntil([&] { return *Closed; }, -1);
      if (IsAlive(Alive))
        SetFontSize(FontSize);
      break;
    }
    case tbkExit: CallExternal(HostExternal, "Terminate", VV_DISPATCH_METHOD); break;
    case tbkPrint: Browser->ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DONTPROMPTUSER); break;
    case tbkCopy: Browser->ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DONTPROMPTUSER); break;
    case tbkRefresh: Browser->ExecWB(OLECMDID_REFRESH, OLECMDEXECOPT_DONTPROMPTUSER); break;
    case tbkHome: CallExternal(BrowserObject, "GoHome", VV_DISPATCH_METHOD); break;
    default: break;
    }
  } catch (const std::exception& E) {
    if (IsAlive(Alive))
      View.ShowErrorBox(E.what());
  }
}

void TMainWindow::RunBookCommand(int Kind) {
  if (!View.ToolbarShown())
    return;
  for (int Tag = 0; Tag < static_cast<int>(ButtonKinds.size()); ++Tag) {
    if ((ButtonKinds[static_cast<std::size_t>(Tag)] & KindMask) != Kind)
      continue;
    // The favourites button's face does nothing; its key opens the list.
    if (Kind == tbkFavourites)
      View.OpenToolButtonMenu(Tag);
    else
      View.ClickToolButton(Tag);
    return;
  }
}

void TMainWindow::mnuSearchClick() {
  if (Story && FilesVolume)
    ShowSearchForm(
        *Story, *FilesVolume, [this] { NavigateToStoryPage(); }, Platform.Forms,
        [this](const std::string& Phrase) { View.HighlightOnNextPage(Phrase); }, &SearchSize);
}

void TMainWindow::mnuFS_Click(int Tag) { ChangeFontSize(Tag); }

void TMainWindow::ChangeFontSize(int Level) {
  if (Level < 0 || Level > 4)
    return;
  FontSize = Level;
  SetFontSize(FontSize);
}

void TMainWindow::CopySelection() {
  IBrowser* Browser = MainBrowser();
  if (!Story || Story->RightClickBlocked() || !Browser)
    return;
  // The engine copies only from a focused page.
  Browser->FocusPage();
  RunCommand(tbkCopy);
}

void TMainWindow::imgLogoClick() {
  const std::string Link = Variables ? Variables->Substitute(ToolbarOptions->LogoLink) : std::string();
  if (!Link.empty())
    View.OpenOutside(Link);
}

void TMainWindow::FormResize() {
  if (!Created)
    return;
  const int Bar = View.ToolbarHeight();
  const bool UseLogo = ToolbarOptions && ToolbarOptions->LogoDisplay && LogoShown.IsValid() && LogoShown.Height >= Bar;
  View.SetToolbarStripHeight(UseLogo ? LogoShown.Height : Bar);
}

} // namespace vv
