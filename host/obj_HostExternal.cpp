#include "host/obj_HostExternal.h"

#include "host/obj_WebBrowser.h"
#include "platform/u_BookText.h"
#include "text/u_Convert.h"

namespace vv {

namespace {
const char* const SNoActiveForm = "There is no active form";
const char* const SFormNotFound = "Form \"%s\" not found";
const char* const SViewerClosed = "The viewer window is closed";

// Dispatch identifiers of the type library.
enum : std::int32_t {
  DISPID_HOST_USERFORM = 201,
  DISPID_HOST_STORY = 202,
  DISPID_HOST_WEBBROWSER = 203,
  DISPID_HOST_SHOWUSERFORM = 204,
  DISPID_HOST_TERMINATE = 205,
  DISPID_STORY_CURRENT = 201,
  DISPID_STORY_FIRST = 202,
  DISPID_STORY_PRIOR = 203,
  DISPID_STORY_NEXT = 204,
  DISPID_STORY_LAST = 205,
  DISPID_STORY_BOF = 206,
  DISPID_STORY_EOF = 207,
  DISPID_STORY_PRIORCHAPTER = 208,
  DISPID_STORY_NEXTCHAPTER = 209,
  DISPID_FORM_WEBBROWSER = 201,
  DISPID_FORM_CLOSE = 202,
  DISPID_FORM_LEFT = 203,
  DISPID_FORM_TOP = 204,
  DISPID_FORM_WIDTH = 205,
  DISPID_FORM_HEIGHT = 206,
  DISPID_FORM_CAPTION = 207,
};

const TOleVariant& Argument(const TOleVariantList& Args, std::size_t Index) {
  if (Index >= Args.size())
    throw EDispatchError("Argument not optional");
  return Args[Index];
}
} // namespace

TExternalStory::TExternalStory(TViewerHost& Host) : FHost(&Host) {
  // A method that acts on the reading order at the page shown, then shows its current page.
  auto Move = [this](std::function<void(TStory&, const std::string& Page, const TOleVariantList&)> Step) {
    return [this, Step = std::move(Step)](const TOleVariantList& Args) {
      TViewerHost& H = this->Host();
      Step(H.GetStory(), H.GetCurrentPagePath(), Args);
      H.NavigateToStoryPage();
      return TOleVariant();
    };
  };
  DeclareGet("Current", DISPID_STORY_CURRENT,
             [this] { return TOleVariant(BookToWide(this->Host().GetCurrentPagePath())); });
  DeclareMethod("First", DISPID_STORY_FIRST, Move([](TStory& S, const std::string&, const TOleVariantList&) { S.First(); }));
  DeclareMethod("Last", DISPID_STORY_LAST, Move([](TStory& S, const std::string&, const TOleVariantList&) { S.Last(); }));
  DeclareMethod("Next", DISPID_STORY_NEXT,
                Move([](TStory& S, const std::string& Page, const TOleVariantList&) { S.Next(Page); }));
  DeclareMethod("Prior", DISPID_STORY_PRIOR,
                Move([](TStory& S, const std::string& Page, const TOleVariantList&) { S.Prior(Page); }));
  DeclareMethod("NextChapter", DISPID_STORY_NEXTCHAPTER,
                Move([](TStory& S, const std::string& Page, const TOleVariantList& Args) {
                  (void)S.NextChapter(Page, VariantToInt(Argument(Args, 0)));
                }));
  DeclareMethod("PriorChapter", DISPID_STORY_PRIORCHAPTER,
                Move([](TStory& S, const std::string& Page, const TOleVariantList& Args) {
                  (void)S.PriorChapter(Page, VariantToInt(Argument(Args, 0)));
                }));
  DeclareGet("Bof", DISPID_STORY_BOF, [this] {
    this->Host().SyncStoryWithPage();
    return TOleVariant(this->Host().GetStory().Bof());
  });
  DeclareGet("Eof", DISPID_STORY_EOF, [this] {
    this->Host().SyncStoryWithPage();
    return TOleVariant(this->Host().GetStory().Eof());
  });
}

TViewerHost& TExternalStory::Host() const {
  if (!FHost)
    throw EDispatchError(SViewerClosed);
  return *FHost;
}

TExternalUserForm::TExternalUserForm(IUserFormView& Form) : FForm(&Form), FAlive(Form.Liveness()) {
  DeclareGet("WebBrowser", DISPID_FORM_WEBBROWSER, [this] {
    if (!FWebBrowser)
      FWebBrowser = std::make_shared<TWebBrowserObject>(this->Form().Browser());
    return TOleVariant(FWebBrowser);
  });
  DeclareMethod("Close", DISPID_FORM_CLOSE, [this](const TOleVariantList&) {
    this->Form().Close();
    return TOleVariant();
  });
  const struct {
    const char* Name;
    std::int32_t DispID;
    int TRect::*Get;
    void (IUserFormView::*Set)(int);
  } Bounds[] = {
      {"Left", DISPID_FORM_LEFT, &TRect::Left, &IUserFormView::SetLeft},
      {"Top", DISPID_FORM_TOP, &TRect::Top, &IUserFormView::SetTop},
      {"Width", DISPID_FORM_WIDTH, &TRect::Width, &IUserFormView::SetWidth},
      {"Height", DISPID_FORM_HEIGHT, &TRect::Height, &IUserFormView::SetHeight},
  };
  for (const auto& B : Bounds) {
    DeclareGet(B.Name, B.DispID, [this, Get = B.Get] { return TOleVariant(std::int32_t{this->Form().Bounds().*Get}); });
    DeclarePut(B.Name, B.DispID, [this, Set = B.Set](const TOleVariant& V) { (this->Form().*Set)(VariantToInt(V)); });
  }
  DeclareGet("Caption", DISPID_FORM_CAPTION, [this] { return TOleVariant(this->Form().Caption()); });
  DeclarePut("Caption", DISPID_FORM_CAPTION, [this](const TOleVariant& V) { this->Form().SetCaption(VariantToWide(V)); });
}

IUserFormView& TExternalUserForm::Form() const {
  if (!IsAlive(FAlive))
    throw EDispatchError(SNoActiveForm);
  return *FForm;
}

THostExternal::THostExternal(TViewerHost& Host, const TUserForms& UserForms, IUserFormViews& Views)
    : FHost(&Host), FUserForms(&UserForms), FViews(&Views) {
  DeclareGet("Story", DISPID_HOST_STORY, [this] { return TOleVariant(Story()); });
  DeclareGet("WebBrowser", DISPID_HOST_WEBBROWSER, [this] {
    if (!FWebBrowser) {
      IBrowser* Browser = this->Host().MainBrowser();
      if (!Browser)
        throw EDispatchError(SViewerClosed);
      FWebBrowser = std::make_shared<TWebBrowserObject>(*Browser);
    }
    return TOleVariant(FWebBrowser);
  });
  DeclareGet("UserForm", DISPID_HOST_USERFORM, [this] { return TOleVariant(UserForm()); });
  // Answered when the form closes: a modal loop inside a page's request would stall the engine.
  DeclareAsyncMethod("ShowUserForm", DISPID_HOST_SHOWUSERFORM,
                     [this](const TOleVariantList& Args, const TDispatchReply& Reply) {
                       ShowUserForm(WideToBook(VariantToWide(Argument(Args, 0))), [Reply] { Reply.Return(); });
                     });
  DeclareMethod("Terminate", DISPID_HOST_TERMINATE, [this](const TOleVariantList&) {
    this->Host().PostClose();
    return TOleVariant();
  });
}

TViewerHost& THostExternal::Host() const {
  if (!FHost)
    throw EDispatchError(SViewerClosed);
  return *FHost;
}

void THostExternal::Detach() {
  FHost = nullptr;
  FUserForms = nullptr;
  FViews = nullptr;
  if (FStory)
    FStory->Detach();
}

TDispatchRef THostExternal::Story() {
  if (!FStory)
    FStory = std::make_shared<TExternalStory>(Host());
  return FStory;
}

TDispatchRef THostExternal::UserForm() const {
  if (!FCurrentForm)
    throw EDispatchError(SNoActiveForm);
  return FCurrentForm;
}

void THostExternal::ShowUserForm(const std::string& FormName, std::function<void()> Closed) {
  (void)Host(); // no form opens once the window has gone
  const TUserForm* Definition = FUserForms->FindByName(FormName);
  if (!Definition)
    throw EUserFormsError(Format(SFormNotFound, FormName));
  IUserFormView& Form = FViews->CreateUserFormView(shared_from_this());
  try {
    ApplyToForm(*Definition, Form);
  } catch (...) {
    Form.Close();
    throw;
  }
  // The current form is the one opened last; closing any form clears it.
  FCurrentForm = std::make_shared<TExternalUserForm>(Form);
  // Modal without a nested loop: a page's request waiting inside one would stall the engine.
  Form.ShowModal([Self = weak_from_this(), Closed = std::move(Closed)] {
    if (const auto Host = Self.lock())
      Host->FCurrentForm.reset();
    if (Closed)
      Closed();
  });
}

} // namespace vv
