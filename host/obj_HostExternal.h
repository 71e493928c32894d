#pragma once
// The objects book pages reach as window.external: the host object, the
// reading order and the user form a page is shown in.

#include <functional>
#include <memory>
#include <string>

#include "forms/i_UserFormView.h"
#include "forms/u_UserForms.h"
#include "host/i_Browser.h"
#include "host/u_Dispatch.h"
#include "story/u_Story.h"

namespace vv {

// What the script objects need of the main window.
class TViewerHost {
public:
  virtual ~TViewerHost() = default;
  [[nodiscard]] virtual TStory& GetStory() = 0;
  // The main browser; none once the window has released it.
  [[nodiscard]] virtual IBrowser* MainBrowser() = 0;
  [[nodiscard]] virtual std::string GetCurrentPagePath() = 0;
  virtual void SyncStoryWithPage() = 0;
  virtual void NavigateToStoryPage() = 0;
  // Asks the main window to close once the caller has returned.
  virtual void PostClose() = 0;
};

class TExternalStory : public TAutoObject {
public:
  explicit TExternalStory(TViewerHost& Host);
  // After the window has gone every member fails with a message.
  void Detach() { FHost = nullptr; }

private:
  [[nodiscard]] TViewerHost& Host() const;
  TViewerHost* FHost;
};

class TExternalUserForm : public TAutoObject {
public:
  // Form not owned; once it is gone every member fails with "There is no active form".
  explicit TExternalUserForm(IUserFormView& Form);

private:
  [[nodiscard]] IUserFormView& Form() const;
  IUserFormView* FForm;
  TLiveness FAlive;
  TDispatchRef FWebBrowser;
};

class THostExternal : public TAutoObject, public std::enable_shared_from_this<THostExternal> {
public:
  // None is owned; all stay valid until Detach. Scripts may hold the object
  // longer than the window lives. Views: where the forms' windows come from.
  THostExternal(TViewerHost& Host, const TUserForms& UserForms, IUserFormViews& Views);
  // The window is going: every member, and the Story object's, fails from now on.
  void Detach();

  // Opens the named form modally; Closed runs once it has closed. Failures
  // before the form is shown raise at once.
  void ShowUserForm(const std::string& FormName, std::function<void()> Closed);
  [[nodiscard]] TDispatchRef Story();
  [[nodiscard]] TDispatchRef UserForm() const;

private:
  [[nodiscard]] TViewerHost& Host() const;
  TViewerHost* FHost;
  std::shared_ptr<TExternalStory> FStory;
  TDispatchRef FCurrentForm;
  const TUserForms* FUserForms;
  IUserFormViews* FViews;
  TDispatchRef FWebBrowser;
};

} // namespace vv
