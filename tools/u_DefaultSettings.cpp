#include "tools/u_DefaultSettings.h"

#include "text/u_Utils.h"

namespace vv {

std::string QuotedSetting(std::string_view Value) {
  std::string Out = "\"";
  for (const char C : Value)
    Out += C == '"' ? std::string("\"\"") : std::string(1, C);
  return Out + "\"";
}

std::string DefaultSystemXml() {
  return "<System Encoding=\"UTF-8\" Story=\"Story.xml\" ToolButtons=\"ToolButtons.xml\" Variables=\"Variables.xml\" "
         "Forms=\"Forms.xml\"\n"
         "  ApplicationTitle=\"%{BookTitle}\" MainFormCaption=\"%{BookTitle}\"\n"
         "  Width=1100 Height=800 RunMaximized=False ResizableWindow=True>\n"
         "  <splash SplashTypeS=\"vsNone\" SplashTypeE=\"vsNone\" Interval=3 CloseOnClick=True\n"
         "    PopUpTextS=\"Welcome to %{BookTitle}.\" PopUpTextE=\"Thank you for reading.\"/>\n"
         "  <toolbar ToolbarPlacement=\"tpTop\" LogoDisplay=False ToolbarTextColor=3355443 "
         "ToolbarBackColor=16184560\n"
         "    ToolbarBtnW=48 ToolbarBtnH=44 ToolbarImgW=24 ToolbarImgH=24 ToolbarShowCaption=True "
         "ToolbarFlat=True\n"
         "    LogoLink=\"\" LogoText=\"%{BookTitle}\"/>\n"
         "</System>\n";
}

std::string DefaultToolbarXml() {
  // Kind is the command; Image names a picture of the Images list.
  struct TButton {
    int Kind;
    const char* Caption;
    const char* Image;
  };
  static constexpr TButton Buttons[] = {{1, "Back", "back"},
                                        {2, "Forward", "forward"},
                                        {0, "", ""},
                                        {3, "First", "first"},
                                        {7, "Chapter", "priorchapter"},
                                        {4, "Previous", "prior"},
                                        {5, "Next", "next"},
                                        {8, "Chapter", "nextchapter"},
                                        {6, "Last", "last"},
                                        {0, "", ""},
                                        {17, "Home", "home"},
                                        {16, "Refresh", "refresh"},
                                        {15, "Copy", "copy"},
                                        {11, "Text size", "fontsize"},
                                        {12, "Search", "search"},
                                        {13, "Favourites", "favourites"},
                                        {14, "Print", "print"},
                                        {0, "", ""},
                                        {9, "About", "about"},
                                        {10, "Exit", "exit"}};
  std::string Xml = "<ToolBar>\n  <Images>\n";
  for (const TButton& B : Buttons)
    if (B.Kind != 0)
      Xml += Format("    <Img Name=\"%s\" Path=\"%s\\%s.bmp\"/>\n", B.Image, ToolbarPictureFolder,
                    B.Image);
  Xml += "  </Images>\n  <Buttons>\n";
  for (const TButton& B : Buttons) {
    if (B.Kind == 0)
      Xml += "    <Btn Kind=0/>\n";
    else if (B.Kind == 13)
      Xml += Format("    <Btn Kind=13 Caption=\"%s\" Image=\"%s\">\n"
                    "      <Bookmark caption=\"About this book\" url=\"mfs:\\%s\"/>\n"
                    "    </Btn>\n",
                    B.Caption, B.Image, AboutPageName);
    else
      Xml += Format("    <Btn Kind=%d Caption=\"%s\" Image=\"%s\"/>\n", B.Kind, B.Caption, B.Image);
  }
  return Xml + "  </Buttons>\n</ToolBar>\n";
}

std::string DefaultVariablesXml(std::string_view Title, std::string_view Author) {
  // Element content: a backslash escapes the next character, so "\" and "<" need one.
  auto Content = [](std::string_view Text) {
    std::string Out;
    for (const char C : Text) {
      if (C == '\\' || C == '<') Out += '\\';
      Out += C;
    }
    return Out;
  };
  // A value never refers to a variable: "%{BookTitle}" in a page's title would refer to itself.
  auto Literal = [](std::string_view Text) {
    std::string Out(Text);
    for (std::size_t At = Out.find("%{"); At != std::string::npos; At = Out.find("%{", At + 2))
      Out.insert(At + 1, " ");
    return Out;
  };
  return "<Variables>\n  <Variable Name=\"BookTitle\">" + Content(Literal(Title)) +
         "</Variable>\n  <Variable Name=\"Author\">" + Content(Literal(Author)) +
         "</Variable>\n</Variables>\n";
}

std::string DefaultFormsXml(std::string_view Title) {
  return Format("<Forms>\n  <Form Name=\"About\" Path=\"%s\" Caption=%s "
                "Width=460 Height=320 Center=True SystemMenu=True HideScrollBar=True/>\n</Forms>\n",
                AboutPageName, QuotedSetting("About " + std::string(Title)));
}

std::string DefaultAboutPage(std::string_view Author) {
  return "<!DOCTYPE html>\n"
         "<html>\n"
         "<head>\n"
         "<meta charset=\"utf-8\">\n"
         "<title>About %{BookTitle}</title>\n"
         "<!-- The toolbar's About button shows this page in a window of its own (Forms.xml).\n"
         "     %{BookTitle} and %{Author} are variables of system/Variables.xml. -->\n"
         "<style>\n"
         "  body { font-family: sans-serif; margin: 2em; color: #333; }\n"
         "  h1 { font-size: 1.4em; color: #264678; }\n"
         "</style>\n"
         "</head>\n"
         "<body>\n"
         "<h1>%{BookTitle}</h1>\n" +
         std::string(Author.empty() ? "" : "<p>by %{Author}</p>\n") +
         "</body>\n"
         "</html>\n";
}

} // namespace vv
