#include "forms/u_Print.h"

#include <exception>

#include "forms/u_PrintSections.h"
#include "host/i_Browser.h"

namespace vv {

void QueryPrintSections(IBrowser& Browser, std::function<void(std::vector<std::string>)> Callback) {
  Browser.QueryElements([Alive = Browser.Liveness(), Callback = std::move(Callback)](
                            std::vector<TDocumentElement> Elements) {
    if (IsAlive(Alive))
      Callback(PrintSectionIds(Elements));
  });
}

void QueryPrintSectionHtml(IBrowser& Browser, const std::string& Id,
                           std::function<void(std::optional<std::string>)> Callback) {
  Browser.QueryElements([Alive = Browser.Liveness(), Id, Callback = std::move(Callback)](
                            std::vector<TDocumentElement> Elements) {
    if (!IsAlive(Alive))
      return;
    std::optional<std::string> Html;
    if (const TDocumentElement* Section = FindPrintSection(Elements, Id))
      Html = PrintSectionHtml(Section->InnerHTML);
    Callback(std::move(Html));
  });
}

TPrintForm::TPrintForm(IPrintView& View) : View(View) {
  View.OnPrint = [this] { Print(); };
  View.OnPreview = [this] { Preview(); };
  // The print window's browser shows no context menu.
  View.OnShowContextMenu = [](std::uint32_t, const TPoint&) { return VV_S_OK; };
}

void TPrintForm::LoadHTML(const std::string& Html) { View.LoadHTML(LinesWithCRLF(Html)); }

void TPrintForm::Print() { Exec(OLECMDID_PRINT); }

void TPrintForm::Preview() { Exec(OLECMDID_PRINTPREVIEW); }

void TPrintForm::Exec(int CmdID) {
  try {
    View.ExecWB(CmdID, OLECMDEXECOPT_DONTPROMPTUSER);
  } catch (const std::exception& E) {
    View.ShowError(E.what());
  }
}

void ShowPrintForm(IFormViews& Views, const std::string& Html) {
  const std::unique_ptr<IPrintView> View = Views.CreatePrintView();
  TPrintForm Form(*View);
  Form.LoadHTML(Html);
  View->ShowModal();
}

} // namespace vv
