#pragma once
// The lenient XML reader of book settings files and its node tree.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/u_Dictionary.h"
#include "text/u_SpaceParser.h"
#include "text/u_Streams.h"
#include "text/u_Variant.h"

namespace vv {

// More attributes than this on one element is "Error in XML".
constexpr std::size_t MaxAttributesPerElement = 4096;

class ESpaceXMLParserError : public Exception {
public:
  // -1 "Error in XML", -2 "Attribute type not supported".
  explicit ESpaceXMLParserError(int Code);
  [[nodiscard]] int Code() const { return FCode; }

private:
  int FCode;
};

class TXMLNode;

class TXMLAttribute {
public:
  explicit TXMLAttribute(std::string_view Name) : Name(Name) {}
  std::string Name; // as written in the file
  TVariant Value;
};

// Case-insensitive, sorted and owning: each name once, file order not kept.
// An attribute handed out stays where it is until the next Add.
class TXMLAttributes {
public:
  [[nodiscard]] TXMLAttribute* Find(std::string_view Name) const;
  // A new attribute with an empty value; one of the same name is replaced.
  TXMLAttribute* Add(std::string_view Name);
  // A copy of the value when the attribute exists, else of Default.
  [[nodiscard]] TVariant GetValue(std::string_view Name, const TVariant& Default) const;
  [[nodiscard]] int Count() const { return static_cast<int>(Items.size()); }
  // Attributes in name order.
  [[nodiscard]] std::vector<TXMLAttribute*> Values() const;

private:
  // Where Name is, or would go in name order.
  [[nodiscard]] std::size_t Position(std::string_view Name) const;
  [[nodiscard]] bool IsAt(std::size_t Index, std::string_view Name) const;
  // An element has a handful of attributes: a vector kept in name order finds
  // them as fast as a tree would, with one allocation per element instead of
  // several per attribute. Mutable: a const set hands out writable
  // attributes, as an owner of separate objects would.
  mutable std::vector<TXMLAttribute> Items;
};

class TXMLNodes {
public:
  TXMLNodes(TXMLNode* Owner, int Level) : Owner(Owner), Level(Level) {}
  [[nodiscard]] int Count() const { return static_cast<int>(List.size()); }
  // Raises EListError "List index out of bounds (%d)".
  [[nodiscard]] TXMLNode* Items(int Index) const;
  [[nodiscard]] TXMLNode* FindNode(std::string_view Name) const;
  TXMLNode* Add(std::string_view Name);

  std::vector<std::unique_ptr<TXMLNode>> List; // owned, document order
  TXMLNode* const Owner;                       // not owned: the node whose children these are
  const int Level;
};

class TXMLNode {
public:
  TXMLNode(std::string_view Name, int Index, int Level, TXMLNodes* ParentNodes);
  // Frees the subtree without recursion, however deep it is.
  ~TXMLNode();
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  // The parent node, or nullptr for the root.
  [[nodiscard]] TXMLNode* Parent() const { return ParentNodes ? ParentNodes->Owner : nullptr; }

  std::string Name;
  std::string Text; // character content, byte for byte, without the children's
  const int Index;
  const int Level;

private:
  // Both lists live inside the node, so an element costs one allocation.
  TXMLNodes OwnNodes;
  TXMLAttributes OwnAttributes;

public:
  TXMLNodes* const Nodes = &OwnNodes;                // the node's own
  TXMLNodes* const ParentNodes;                      // not owned; nullptr for the root
  TXMLAttributes* const Attributes = &OwnAttributes; // the node's own
};

class TXMLParser {
public:
  // Text is converted to 8-bit through the ANSI code page first.
  void LoadFromString(std::u16string_view Text);
  // The bytes of a settings file as they are stored.
  void LoadFromBytes(std::string_view Bytes);
  // The old tree is freed first; after a failure Root is nullptr.
  void LoadFromStream(TStream& Stream);
  [[nodiscard]] TXMLNode* Root() const { return FRoot.get(); }

private:
  std::unique_ptr<TXMLNode> FRoot;
};

} // namespace vv
