#include "forms/u_UserForms.h"

#include <memory>

#include "forms/i_UserFormView.h"
#include "platform/u_BookText.h"

namespace vv {

namespace {
bool BoolAttr(const TXMLNode& Node, std::string_view Name) {
  return Node.Attributes->GetValue(Name, TVariant(false)).ToBoolean();
}
std::int32_t IntAttr(const TXMLNode& Node, std::string_view Name) {
  return Node.Attributes->GetValue(Name, TVariant(std::int32_t{-1})).ToInteger();
}
std::string TextAttr(const TXMLNode& Node, std::string_view Name) {
  return Node.Attributes->GetValue(Name, TVariant("")).ToText();
}
} // namespace

TUserForm::TUserForm(const TXMLNode& Node, std::string Path)
    : Path(std::move(Path)), HideScrollBar(BoolAttr(Node, "HideScrollBar")), Width(IntAttr(Node, "Width")),
      Height(IntAttr(Node, "Height")), Top(IntAttr(Node, "Top")), Left(IntAttr(Node, "Left")),
      Caption(TextAttr(Node, "Caption")), Center(BoolAttr(Node, "Center")) {
  if (BoolAttr(Node, "HideBorder"))
    BorderStyle = TFormBorderStyle::bsNone;
  else if (BoolAttr(Node, "Sizable"))
    BorderStyle = TFormBorderStyle::bsSizeable;
  else
    BorderStyle = TFormBorderStyle::bsSingle;
  BorderIcons = biSystemMenu | biMinimize | biMaximize;
  const std::pair<const char*, std::uint32_t> Icons[] = {
      {"Minimize", biMinimize}, {"Maximize", biMaximize}, {"SystemMenu", biSystemMenu}};
  for (const auto& [Name, Bit] : Icons)
    BorderIcons = BoolAttr(Node, Name) ? BorderIcons | Bit : BorderIcons & ~Bit;
}

void ApplyToForm(const TUserForm& Definition, IUserFormView& Form) {
  if (Definition.Width >= 0)
    Form.SetWidth(Definition.Width);
  if (Definition.Height >= 0)
    Form.SetHeight(Definition.Height);
  if (Definition.Left >= 0)
    Form.SetLeft(Definition.Left);
  if (Definition.Top >= 0)
    Form.SetTop(Definition.Top);
  Form.SetBorderIcons(Definition.BorderIcons);
  Form.SetBorderStyle(Definition.BorderStyle);
  Form.SetCaption(BookToWide(Definition.Caption));
  if (Definition.HideScrollBar)
    Form.HideScrollBars();
  if (Definition.Center)
    Form.CenterOnScreen();
  // The path is absolute in the forms file's volume, the page is the content volume's.
  if (!Definition.Path.empty())
    Form.Browser().Navigate("mfs:" + Definition.Path);
}

TUserForms::TUserForms(TMFSSession* FormsFolder, std::string_view Text) {
  if (!FormsFolder)
    return;
  TXMLParser Parser;
  Parser.LoadFromBytes(Text);
  const TXMLNode* Root = Parser.Root();
  if (!Root)
    return;
  for (int i = 0; i < Root->Nodes->Count(); ++i) {
    const TXMLNode& Node = *Root->Nodes->Items(i);
    if (!SameText(Node.Name, "Form"))
      continue;
    const std::string Name = TextAttr(Node, "Name");
    const std::string Path = TextAttr(Node, "Path");
    // An empty path stays empty: expanded, it would name the forms folder
    // itself, which is never a page.
    auto Form = std::make_unique<TUserForm>(Node, Path.empty() ? Path : FormsFolder->ExpandFileName(Path));
    Forms.Put(Name, Form.get());
    (void)Form.release();
  }
}

} // namespace vv
