// The book's settings records from arbitrary bytes: the same text as the
// settings file (splash and toolbar elements, colours) and as the forms file
// (every form, its path expanded in the forms folder).
#include <cstdint>
#include <string_view>

#include "forms/u_UserForms.h"
#include "storage/u_MFS.h"
#include "text/u_eBookCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
  vv::TXMLParser Parser;
  try {
    Parser.LoadFromBytes(Text);
  } catch (const vv::Exception&) {
    return 0;
  }
  if (const vv::TXMLNode* Root = Parser.Root()) {
    try {
      vv::TSplashOptions().LoadFromNode(Root->Nodes->FindNode("splash"));
    } catch (const vv::Exception&) {
    }
    try {
      vv::TToolbarOptions Toolbar;
      Toolbar.LoadFromNode(Root->Nodes->FindNode("toolbar"));
      (void)vv::ColorToRGB(Toolbar.ToolbarTextColor);
      (void)vv::ColorToRGB(Toolbar.ToolbarBackColor);
    } catch (const vv::Exception&) {
    }
  }
  vv::TMFS Volume;
  vv::TMFSSession& Session = Volume.DefaultSession();
  Session.ForceFolders("\\Forms");
  Session.ChangeDir("\\Forms");
  try {
    vv::TUserForms Forms(&Session, Text);
    (void)Forms.FindByName("About");
  } catch (const vv::Exception&) {
  }
  return 0;
}
