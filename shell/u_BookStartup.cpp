// The book's services at start-up (user forms, script host, reading order,
// variables, titles, URL schemes), the first page, the release at close and
// the teardown order.
#include "shell/u_MainWindow.h"

namespace vv {

void TMainWindow::CreateUserForms() {
  TMFSSession& Session = SystemVolume->DefaultSession();
  const std::string Forms = RootAttribute("Forms", TVariant("")).ToText();
  if (!Forms.empty() && Session.Exists(Forms)) {
    const std::string Text = Session.GetFile(Forms)->Content;
    Session.ChangeDir(TMFS::ExtractPath(TMFS::NormalizeSeparators(Forms)));
    UserForms = std::make_unique<TUserForms>(&Session, Text);
  } else {
    UserForms = std::make_unique<TUserForms>(nullptr, "");
  }
}

void TMainWindow::CreateBookServices() {
  HostExternal = std::make_shared<THostExternal>(*this, *UserForms, Platform.UserForms);
  Story = std::make_unique<TStory>(*SystemVolume, RootAttribute("Story", TVariant("")).ToText());
  TMFSSession& Session = SystemVolume->DefaultSession();
  const std::string VariablesFile = RootAttribute("Variables", TVariant("")).ToText();
  const bool HasVariables = !VariablesFile.empty() && Session.Exists(VariablesFile);
  Variables = std::make_unique<TVariables>(HasVariables ? Session.GetFile(VariablesFile)->Content : std::string(),
                                           true);
  if (const std::string Title = RootAttribute("ApplicationTitle", TVariant("")).ToText(); !Title.empty())
    View.SetApplicationTitle(Variables->Substitute(Title));
  if (const std::string Caption = RootAttribute("MainFormCaption", TVariant("")).ToText(); !Caption.empty())
    View.SetCaption(Variables->Substitute(Caption));
}

void TMainWindow::RegisterSchemes() {
  FilesProtocol = std::make_unique<TMFSInternetProtocol>("mfs", FilesVolume.get());
  SystemProtocol = std::make_unique<TMFSInternetProtocol>("system", SystemVolume.get());
  for (TMFSInternetProtocol* Protocol : {FilesProtocol.get(), SystemProtocol.get()})
    Protocol->OnAfterGetData = [this](TMFSInternetProtocol* Sender, const std::string& Path, std::string& Data) {
      ProtocolAfterGetData(Sender, Path, Data);
    };
}

void TMainWindow::ProtocolAfterGetData(TMFSInternetProtocol*, const std::string&, std::string& Data) {
  Variables->SubstituteInPlace(Data);
}

void TMainWindow::ShowFirstPage() {
  // The browser's home page is the book's first page.
  if (IBrowser* Browser = MainBrowser())
    Browser->HomePage = "mfs:" + GetStory().CurrentPage();
  RecallReadingState();
  NavigateToStoryPage();
}

void TMainWindow::FormClose() {
  RememberReadingState();
  CloseUserForms();
  FilesProtocol.reset();
  SystemProtocol.reset();
  // Scripts may still hold the host object: from now on it answers with an error.
  if (HostExternal)
    HostExternal->Detach();
  HostExternal.reset();
  View.ReleaseMainBrowser();
}

void TMainWindow::CloseUserForms() {
  // Forms answer their callers as they close, before the host object goes.
  Platform.UserForms.CloseAll();
}

void TMainWindow::FormDestroy() {
  // A failure before the content archive was taken: its load is waited for here.
  ContentLoad.reset();
  if (HostExternal)
    HostExternal->Detach(); // it refers to the user forms and the window
  Bookmarks.reset();
  Variables.reset();
  SystemXML.reset();
  Story.reset();
  ImageIndexByName.reset();
  ButtonOnClick.reset();
  FilesProtocol.reset();
  SystemProtocol.reset();
  FilesVolume.reset();
  SystemVolume.reset();
  UserForms.reset();
  SplashOptions.reset();
  ToolbarOptions.reset();
  HostExternal.reset();
}

} // namespace vv
