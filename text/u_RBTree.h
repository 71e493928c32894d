#pragma once
// Red-black tree with a shared black sentinel and a pluggable key comparison.
// Keys and data are machine words: integers or pointers, as the owner decides.

#include <cstdint>
#include <functional>

namespace vv {

using TRBKey = std::intptr_t;
using TRBData = std::intptr_t;

enum : std::uint8_t { rbRed = 0, rbBlack = 1 };

struct TRBNode {
  std::uint8_t Color = rbBlack;
  TRBKey Key = 0;
  TRBData Data = 0;
  TRBNode* Left = nullptr;
  TRBNode* Right = nullptr;
  TRBNode* Parent = nullptr;
};

class TRBTree {
public:
  // Called for every entry removed or freed, before its node is unlinked.
  using TDeleteEvent = std::function<void(TRBTree& Sender, TRBKey Key, TRBData Data)>;

  TRBTree();
  virtual ~TRBTree();
  TRBTree(const TRBTree&) = delete;
  TRBTree& operator=(const TRBTree&) = delete;

  // The new node, or nullptr when the key is already present.
  TRBNode* Add(TRBKey Key, TRBData Data);
  bool Delete(TRBKey Key);
  bool DeleteNode(TRBNode* Node);
  void Clear();
  [[nodiscard]] TRBNode* Minimum(TRBNode* Node) const;
  [[nodiscard]] TRBNode* Successor(TRBNode* Node) const;
  [[nodiscard]] TRBNode* FindNode(TRBNode* Start, TRBKey Key) const;
  [[nodiscard]] TRBNode* Find(TRBKey Key) const { return FindNode(Root, Key); }
  [[nodiscard]] int Count() const { return FCount; }
  [[nodiscard]] TRBNode* First() const { return Minimum(Root); }

  TRBNode* Root;
  TRBNode* const Nil;
  TDeleteEvent OnDelete;

protected:
  // Plain search-tree insertion; false when an equal key exists.
  bool InsertNode(TRBNode* Node);
  [[nodiscard]] virtual int CompareKeys(TRBKey A, TRBKey B) const;

private:
  void RotateLeft(TRBNode* X);
  void RotateRight(TRBNode* X);
  void InsertFixup(TRBNode* X);
  void DeleteFixup(TRBNode* X);
  void FreeSubtree(TRBNode* Node);

  TRBNode Sentinel;
  int FCount = 0;
};

class TCustomCompareRBTree : public TRBTree {
public:
  using TCompareEvent = std::function<int(const TRBTree& Sender, TRBKey A, TRBKey B)>;
  // Unassigned: keys compare as signed integers.
  TCompareEvent OnCompare;

protected:
  [[nodiscard]] int CompareKeys(TRBKey A, TRBKey B) const override;
};

} // namespace vv
