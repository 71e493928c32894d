#include "host/win32/u_DocumentQueries.h"

#include <mshtml.h>
#include <ocidl.h>

#include <algorithm>

#include "host/win32/u_ComPtr.h"
#include "host/win32/u_WideText.h"

namespace vv {

namespace {

TComPtr<IHTMLDocument2> HtmlDocument(::IDispatch* Document) {
  return TComPtr<IHTMLDocument2>::Query(Document, IID_IHTMLDocument2);
}

TComPtr<IHTMLElement> ElementById(::IDispatch* Document, const std::string& Id) {
  TComPtr<IHTMLElement> Element;
  const auto Html = TComPtr<IHTMLDocument3>::Query(Document, IID_IHTMLDocument3);
  const TBstr Name(BookToWide(Id));
  if (Html && FAILED(Html->getElementById(Name, Element.Out())))
    Element.Reset();
  return Element;
}

std::string InnerHTML(IHTMLElement& Element) {
  TBstr Html;
  return SUCCEEDED(Element.get_innerHTML(Html.Out())) ? BookHtmlOf(Html) : std::string();
}

} // namespace

std::vector<TDocumentElement> DocumentElements(::IDispatch* Document) {
  std::vector<TDocumentElement> Elements;
  const auto Html = HtmlDocument(Document);
  TComPtr<IHTMLElementCollection> All;
  long Count = 0;
  if (!Html || FAILED(Html->get_all(All.Out())) || !All || FAILED(All->get_length(&Count)))
    return Elements;
  for (long I = 0; I < Count; ++I) {
    VARIANT Index, Unused;
    VariantInit(&Index);
    VariantInit(&Unused);
    V_VT(&Index) = VT_I4;
    V_I4(&Index) = I;
    TComPtr<::IDispatch> Item;
    if (FAILED(All->item(Index, Unused, Item.Out())) || !Item)
      continue;
    const auto Element = TComPtr<IHTMLElement>::Query(Item.Get(), IID_IHTMLElement);
    TBstr Id, Tag;
    if (!Element || FAILED(Element->get_id(Id.Out())) || SysStringLen(Id) == 0)
      continue;
    (void)Element->get_tagName(Tag.Out());
    std::string TagName = Tag.Book();
    std::transform(TagName.begin(), TagName.end(), TagName.begin(),
                   [](char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; });
    Elements.push_back({std::move(TagName), Id.Book(), InnerHTML(*Element.Get())});
  }
  return Elements;
}

std::optional<std::string> ElementInnerHTML(::IDispatch* Document, const std::string& Id) {
  const auto Element = ElementById(Document, Id);
  if (!Element)
    return std::nullopt;
  return InnerHTML(*Element.Get());
}

TPoint DocumentScroll(::IDispatch* Document) {
  TPoint Position;
  const auto Html = HtmlDocument(Document);
  const auto Html3 = TComPtr<IHTMLDocument3>::Query(Document, IID_IHTMLDocument3);
  TComPtr<IHTMLElement> Root, Body;
  if (Html3)
    (void)Html3->get_documentElement(Root.Out());
  if (Html)
    (void)Html->get_body(Body.Out());
  // Standards mode scrolls the root element, quirks mode the body.
  for (IHTMLElement* Element : {Root.Get(), Body.Get()}) {
    const auto Scrolling = TComPtr<IHTMLElement2>::Query(Element, IID_IHTMLElement2);
    long X = 0, Y = 0;
    if (Scrolling && SUCCEEDED(Scrolling->get_scrollLeft(&X)) && SUCCEEDED(Scrolling->get_scrollTop(&Y)))
      Position = {std::max(Position.X, static_cast<int>(X)), std::max(Position.Y, static_cast<int>(Y))};
  }
  return Position;
}

void ScrollDocument(::IDispatch* Document, const TPoint& Position) {
  const auto Html = HtmlDocument(Document);
  TComPtr<IHTMLWindow2> Window;
  if (Html && SUCCEEDED(Html->get_parentWindow(Window.Out())) && Window)
    (void)Window->scrollTo(Position.X, Position.Y);
}

bool LoadDocumentHtml(::IDispatch* Document, const std::string& Html) {
  const auto Persist = TComPtr<IPersistStreamInit>::Query(Document, IID_IPersistStreamInit);
  if (!Persist)
    return false;
  // The engine reads the stream's bytes in the code page the document
  // declares; UTF-16 with its byte-order mark leaves nothing to guess.
  const std::u16string Text = u"\xFEFF" + BookToWide(Html);
  const SIZE_T Bytes = Text.size() * sizeof(char16_t);
  HGLOBAL Memory = GlobalAlloc(GMEM_MOVEABLE, Bytes);
  if (!Memory)
    return false;
  if (void* Data = GlobalLock(Memory)) {
    std::copy(Text.begin(), Text.end(), static_cast<char16_t*>(Data));
    GlobalUnlock(Memory);
  }
  TComPtr<IStream> Stream;
  if (FAILED(CreateStreamOnHGlobal(Memory, TRUE, Stream.Out()))) {
    GlobalFree(Memory);
    return false;
  }
  return SUCCEEDED(Persist->InitNew()) && SUCCEEDED(Persist->Load(Stream.Get()));
}

void FocusDocument(::IDispatch* Document) {
  const auto Html = HtmlDocument(Document);
  TComPtr<IHTMLWindow2> Window;
  if (Html && SUCCEEDED(Html->get_parentWindow(Window.Out())) && Window)
    (void)Window->focus();
}

} // namespace vv
