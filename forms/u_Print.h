#pragma once
// Printing a marked section of the page shown: the sections the main
// browser's document offers, the print window's document for one of them,
// and the print window's commands.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/i_FormViews.h"

namespace vv {

class IBrowser;

inline constexpr const char* SCannotFindPage = "Can not find page";

// The ids of the printable sections of Browser's document, in document order
// (top document only). The callback runs later, from the message loop, and
// never once Browser is gone.
void QueryPrintSections(IBrowser& Browser, std::function<void(std::vector<std::string> Ids)> Callback);

// The print window's document for the first section of Browser's document
// whose id equals Id ignoring case; nullopt when the page has no such section
// (any more). The callback runs later, from the message loop, and never once
// Browser is gone.
void QueryPrintSectionHtml(IBrowser& Browser, const std::string& Id,
                           std::function<void(std::optional<std::string> Html)> Callback);

// The decisions behind one print window: wires itself to View's events.
class TPrintForm {
public:
  explicit TPrintForm(IPrintView& View);
  // Puts Html into the window's browser without a URL; its line breaks become CR LF.
  void LoadHTML(const std::string& Html);
  // Print at once without a dialog, or open the preview.
  void Print();
  void Preview();

private:
  void Exec(int CmdID);
  IPrintView& View;
};

// Shows Html in a new print window, modally; the window is gone on return.
// Runs a nested message loop: not to be called from inside a browser callback.
void ShowPrintForm(IFormViews& Views, const std::string& Html);

} // namespace vv
