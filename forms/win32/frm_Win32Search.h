#pragma once
// The search window on Win32: the phrase box, the result list and the
// buttons, reporting the reader's actions to the search logic (forms/u_Search).

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "forms/i_FormViews.h"
#include "forms/win32/u_Win32Window.h"

namespace vv {

class TWin32SearchView : public TModalWindow, public ISearchView {
public:
  // Owner: the window it opens over (may be none); ErrorCaption: of its error box.
  TWin32SearchView(HWND Owner, IMessageLoop& Loop, std::wstring ErrorCaption);
  ~TWin32SearchView() override;

  [[nodiscard]] std::string Phrase() const override;
  void AddPhrase(const std::string& Phrase) override;
  void SetRows(const std::vector<TFoundPage>& Rows) override;
  [[nodiscard]] int SelectedRow() const override;
  void SetNote(const std::string& Note) override;
  void SetBusy(bool Busy) override;
  void ShowError(const std::string& Message) override;
  // The client area, as designed.
  [[nodiscard]] TSize Size() const override;
  void Resize(const TSize& Size) override;
  void ShowModal() override;

  enum : int { idSearch = IDOK, idClose = IDCANCEL, idShowPage = 100 };
  HWND cbSearchText = nullptr;
  HWND btnSearch = nullptr;
  HWND lvFoundPages = nullptr;
  HWND btnShowPage = nullptr;
  HWND btnClose = nullptr;
  // Over the empty list when a search found nothing; hidden before.
  HWND lblNothingFound = nullptr;

protected:
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;

private:
  HWND AddControl(const wchar_t* ClassName, const wchar_t* Text, DWORD Style, int Id);
  void LayOutControls();
  // The title column as wide as the list shows.
  void FitColumn();
  static void Forward(const std::function<void()>& Handler);

  HWND FOwner;
  HIMAGELIST imglPages = nullptr;
  bool FBusy = false;
};

} // namespace vv
