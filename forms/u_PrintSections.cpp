#include "forms/u_PrintSections.h"

#include "text/u_Utils.h"

namespace vv {

namespace {
constexpr std::string_view SectionSuffix = "PAGE";
constexpr std::string_view SectionTag = "div";
} // namespace

bool IsPrintSection(std::string_view TagName, std::string_view Id) {
  return SameText(TagName, SectionTag) && Id.size() >= SectionSuffix.size() &&
         SameText(Id.substr(Id.size() - SectionSuffix.size()), SectionSuffix);
}

bool IsSectionNamed(std::string_view TagName, std::string_view ElementId, std::string_view Id) {
  return SameText(TagName, SectionTag) && SameText(ElementId, Id);
}

std::string PrintSectionHtml(std::string_view InnerHTML) {
  std::string Html;
  Html.reserve(InnerHTML.size() + 64);
  Html += "<html>";
  Html += "<head> <base href=\"mfs:\\\">  </head>";
  Html += "<body>";
  Html += InnerHTML;
  Html += "</body>";
  Html += "</html>";
  return Html;
}

std::string LinesWithCRLF(std::string_view Html) {
  std::string Out;
  Out.reserve(Html.size() + Html.size() / 16 + 2);
  std::size_t I = 0;
  while (I < Html.size()) {
    const std::size_t Break = Html.find_first_of("\r\n", I);
    const std::size_t End = Break == std::string_view::npos ? Html.size() : Break;
    Out.append(Html.substr(I, End - I));
    Out += "\r\n";
    I = End;
    if (I < Html.size() && Html[I] == '\r')
      ++I;
    if (I < Html.size() && Html[I] == '\n')
      ++I;
  }
  return Out;
}

} // namespace vv
