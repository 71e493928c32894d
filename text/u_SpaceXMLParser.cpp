#include "text/u_SpaceXMLParser.h"

#include <algorithm>
#include <cstdint>

namespace vv {

namespace {
std::string XMLErrorMessage(int Code) {
  switch (Code) {
  case -1:
    return "Error in XML";
  case -2:
    return "Attribute type not supported";
  default:
    return Format("SpaceXMLParser error #%d", Code);
  }
}

constexpr int SErrorInXML = -1;
constexpr int SAttributeTypeNotSupported = -2;

TVariant AttributeValue(TSpaceParser& Parser) {
  switch (Parser.Token()) {
  case toString:
    return TVariant(Parser.TokenString());
  case toWString:
    return TVariant(Parser.TokenWideString());
  // The low 32 bits of the 64-bit value.
  case toInteger:
    return TVariant(static_cast<std::int32_t>(static_cast<std::uint32_t>(Parser.TokenInt())));
  case toFloat: {
    const long double Value = Parser.TokenFloat();
    // Beyond the range of a double the conversion would be undefined.
    if (!(Value >= -1.7976931348623157e308L && Value <= 1.7976931348623157e308L))
      throw EConvertError(Format("'%s' is not a valid floating point value", Parser.TokenString()));
    return TVariant(static_cast<double>(Value));
  }
  default:
    break; // identifier
  }
  if (Parser.TokenSymbolIs("null")) return TVariant::Null();
  if (Parser.TokenSymbolIs("empty")) return TVariant();
  if (Parser.TokenSymbolIs("true")) return TVariant(true);
  if (Parser.TokenSymbolIs("false")) return TVariant(false);
  throw ESpaceXMLParserError(SAttributeTypeNotSupported);
}
} // namespace

ESpaceXMLParserError::ESpaceXMLParserError(int Code)
    : Exception(XMLErrorMessage(Code)), FCode(Code) {}

// ---- TXMLAttributes ----

std::size_t TXMLAttributes::Position(std::string_view Name) const {
  const auto It = std::lower_bound(
      Items.begin(), Items.end(), Name,
      [](const TXMLAttribute& A, std::string_view N) { return CompareText(A.Name, N) < 0; });
  return static_cast<std::size_t>(It - Items.begin());
}

bool TXMLAttributes::IsAt(std::size_t Index, std::string_view Name) const {
  return Index < Items.size() && SameText(Items[Index].Name, Name);
}

TXMLAttribute* TXMLAttributes::Find(std::string_view Name) const {
  const std::size_t Index = Position(Name);
  return IsAt(Index, Name) ? &Items[Index] : nullptr;
}

TXMLAttribute* TXMLAttributes::Add(std::string_view Name) {
  const std::size_t Index = Position(Name);
  if (IsAt(Index, Name)) return &(Items[Index] = TXMLAttribute(Name));
  // Each insertion shifts the sorted set; a bound keeps a hostile element from taking quadratic time.
  if (Items.size() >= MaxAttributesPerElement) throw ESpaceXMLParserError(-1);
  // Most elements carry one or two attributes: room for two spares a regrowth.
  if (Items.empty()) Items.reserve(2);
  return &*Items.emplace(Items.begin() + static_cast<std::ptrdiff_t>(Index), Name);
}

TVariant TXMLAttributes::GetValue(std::string_view Name, const TVariant& Default) const {
  if (const TXMLAttribute* Attribute = Find(Name)) return Attribute->Value;
  return Default;
}

std::vector<TXMLAttribute*> TXMLAttributes::Values() const {
  std::vector<TXMLAttribute*> Result;
  Result.reserve(Items.size());
  for (TXMLAttribute& Item : Items)
    Result.push_back(&Item);
  return Result;
}

// ---- TXMLNodes ----

TXMLNode* TXMLNodes::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", Index));
  return List[static_cast<std::size_t>(Index)].get();
}

TXMLNode* TXMLNodes::FindNode(std::string_view Name) const {
  for (const auto& Node : List)
    if (SameText(Node->Name, Name)) return Node.get();
  return nullptr;
}

TXMLNode* TXMLNodes::Add(std::string_view Name) {
  List.push_back(std::make_unique<TXMLNode>(Name, Count(), Level, this));
  return List.back().get();
}

// ---- TXMLNode ----

TXMLNode::TXMLNode(std::string_view Name, int Index, int Level, TXMLNodes* ParentNodes)
    : Name(Name), Index(Index), Level(Level), OwnNodes(this, Level + 1), ParentNodes(ParentNodes) {}

TXMLNode::~TXMLNode() {
  // Each node is emptied of its children before it dies, so no destructor
  // ever recurses into a subtree.
  std::vector<std::unique_ptr<TXMLNode>> Doomed = std::move(Nodes->List);
  Nodes->List.clear();
  while (!Doomed.empty()) {
    std::unique_ptr<TXMLNode> Node = std::move(Doomed.back());
    Doomed.pop_back();
    for (auto& Child : Node->Nodes->List)
      Doomed.push_back(std::move(Child));
    Node->Nodes->List.clear();
  }
}

// ---- TXMLParser ----

void TXMLParser::LoadFromString(std::u16string_view Text) {
  LoadFromBytes(WideToAnsi(Text));
}

void TXMLParser::LoadFromBytes(std::string_view Bytes) {
  TBytesReadStream Stream(Bytes);
  LoadFromStream(Stream);
}

void TXMLParser::LoadFromStream(TStream& Stream) {
  FRoot.reset();
  TSpaceParser Parser(Stream, false, false);
  if (Parser.Token() == toEOF) {
    FRoot = std::make_unique<TXMLNode>("", 0, 0, nullptr);
    return;
  }
  Parser.CheckToken('<');
  Parser.NextToken();
  Parser.CheckToken(toSymbol);
  auto Root = std::make_unique<TXMLNode>(Parser.TokenString(), 0, 0, nullptr);
  // Open elements; the tree is built without recursion at any depth.
  std::vector<TXMLNode*> Stack;
  TXMLNode* Node = Root.get();
  const auto Pop = [&]() -> TXMLNode* {
    if (Stack.empty()) return nullptr;
    TXMLNode* Top = Stack.back();
    Stack.pop_back();
    return Top;
  };
  bool InContent = false;
  Parser.NextToken();
  while (Parser.Token() != toEOF) {
    const char Token = Parser.Token();
    if (!InContent) {
      if (Token == toSymbol) {
        const std::string Name = Parser.TokenString();
        Parser.NextToken();
        Parser.CheckToken('=');
        Parser.NextToken();
        Parser.CheckTokens({toString, toWString, toInteger, toFloat, toSymbol});
        TVariant Value = AttributeValue(Parser);
        TXMLAttribute* Attribute = Node->Attributes->Find(Name);
        if (!Attribute) Attribute = Node->Attributes->Add(Name);
        Attribute->Value = std::move(Value);
      } else if (Token == '/') {
        Parser.NextToken();
        Parser.CheckToken('>');
        Node = Pop();
        Parser.CharMode = true;
        InContent = true;
      } else if (Token == '>') {
        Parser.CharMode = true;
        InContent = true;
      } else {
        throw ESpaceXMLParserError(SErrorInXML);
      }
    } else if (Token == '<') {
      Parser.CharMode = false;
      Parser.NextToken();
      Parser.CheckTokens({toSymbol, '/'});
      if (Parser.Token() == toSymbol) {
        Stack.push_back(Node);
        Node = Node->Nodes->Add(Parser.TokenString());
        InContent = false;
      } else {
        Parser.NextToken();
        Parser.CheckTokenSymbol(Node->Name);
        Parser.NextToken();
        Parser.CheckToken('>');
        Node = Pop();
        Parser.CharMode = Node != nullptr;
      }
    } else if (Token == '\\') {
      // The escaped byte, whatever it is; the end of input is not a byte.
      if (Parser.NextToken() != toEOF) Node->Text += Parser.Token();
    } else {
      Node->Text += Token;
    }
    if (!Node) Parser.CharMode = false;
    Parser.NextToken();
    if (!Node) Parser.CheckToken(toEOF);
  }
  if (Node) throw ESpaceXMLParserError(SErrorInXML);
  FRoot = std::move(Root);
}

} // namespace vv
