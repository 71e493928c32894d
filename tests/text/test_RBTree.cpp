#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "text/u_RBTree.h"

using namespace vv;

namespace {
// Black height of the subtree, or -1 when a red-black property is broken.
int CheckRedBlack(const TRBTree& Tree, const TRBNode* Node) {
  if (Node == Tree.Nil)
    return 1;
  if (Node->Color == rbRed && (Node->Left->Color == rbRed || Node->Right->Color == rbRed))
    return -1;
  if (Node->Left != Tree.Nil && Node->Left->Parent != Node)
    return -1;
  if (Node->Right != Tree.Nil && Node->Right->Parent != Node)
    return -1;
  const int L = CheckRedBlack(Tree, Node->Left), R = CheckRedBlack(Tree, Node->Right);
  if (L < 0 || L != R)
    return -1;
  return L + (Node->Color == rbBlack ? 1 : 0);
}

std::vector<TRBKey> InOrder(const TRBTree& Tree) {
  std::vector<TRBKey> Keys;
  for (TRBNode* N = Tree.First(); N != Tree.Nil; N = Tree.Successor(N))
    Keys.push_back(N->Key);
  return Keys;
}
} // namespace

TEST(RBTree, RandomInsertAndDeleteKeepPropertiesAndKeys) {
  TRBTree Tree;
  std::map<TRBKey, TRBData> Model;
  std::multiset<TRBKey> Deleted;
  Tree.OnDelete = [&](TRBTree&, TRBKey Key, TRBData Data) {
    EXPECT_EQ(Model.at(Key), Data);
    Deleted.insert(Key);
  };
  std::mt19937 Rng(42);
  for (int Step = 0; Step < 4000; ++Step) {
    const TRBKey Key = static_cast<TRBKey>(Rng() % 500) - 250;
    if (Rng() % 3) {
      TRBNode* Node = Tree.Add(Key, Key * 10);
      EXPECT_EQ(Node == nullptr, Model.count(Key) == 1);
      Model.emplace(Key, Key * 10);
    } else {
      Deleted.clear();
      EXPECT_EQ(Tree.Delete(Key), Model.count(Key) == 1);
      if (Model.count(Key)) {
        EXPECT_EQ(Deleted.count(Key), 1u);
        EXPECT_EQ(Deleted.size(), 1u);
      }
      Model.erase(Key);
    }
    ASSERT_GE(CheckRedBlack(Tree, Tree.Root), 0) << "step " << Step;
    ASSERT_EQ(Tree.Count(), static_cast<int>(Model.size()));
  }
  std::vector<TRBKey> Expected;
  for (const auto& [K, D] : Model)
    Expected.push_back(K);
  EXPECT_EQ(InOrder(Tree), Expected);
  Tree.OnDelete = nullptr; // the model dies before the tree
}

TEST(RBTree, ComparesKeysAsSignedAndRejectsDuplicates) {
  TRBTree Tree;
  ASSERT_NE(Tree.Add(5, 0), nullptr);
  ASSERT_NE(Tree.Add(-7, 0), nullptr);
  EXPECT_EQ(Tree.Add(5, 1), nullptr);
  EXPECT_EQ(Tree.Count(), 2);
  EXPECT_EQ(InOrder(Tree), (std::vector<TRBKey>{-7, 5}));
  EXPECT_FALSE(Tree.DeleteNode(Tree.Nil));
  EXPECT_EQ(Tree.FindNode(Tree.Root, 6), Tree.Nil);
}

TEST(RBTree, ClearCallsOnDeleteForEveryNodeAndResets) {
  TRBTree Tree;
  int Calls = 0;
  Tree.OnDelete = [&](TRBTree&, TRBKey, TRBData) { ++Calls; };
  for (int i = 0; i < 100; ++i)
    (void)Tree.Add(i, i);
  Tree.Clear();
  EXPECT_EQ(Calls, 100);
  EXPECT_EQ(Tree.Count(), 0);
  EXPECT_EQ(Tree.Root, Tree.Nil);
  EXPECT_NE(Tree.Add(1, 1), nullptr);
}

TEST(CustomCompareRBTree, UsesTheComparisonEvent) {
  TCustomCompareRBTree Tree;
  Tree.OnCompare = [](const TRBTree&, TRBKey A, TRBKey B) { return A > B ? -1 : (A < B ? 1 : 0); };
  for (int i = 1; i <= 5; ++i)
    (void)Tree.Add(i, 0);
  EXPECT_EQ(InOrder(Tree), (std::vector<TRBKey>{5, 4, 3, 2, 1}));
  EXPECT_NE(Tree.Find(3), Tree.Nil);
}
