#include "text/u_RBTree.h"

namespace vv {

TRBTree::TRBTree() : Root(&Sentinel), Nil(&Sentinel) {
  Sentinel.Left = Sentinel.Right = Sentinel.Parent = Nil;
}

TRBTree::~TRBTree() { Clear(); }

int TRBTree::CompareKeys(TRBKey A, TRBKey B) const { return A < B ? -1 : (A > B ? 1 : 0); }

int TCustomCompareRBTree::CompareKeys(TRBKey A, TRBKey B) const {
  return OnCompare ? OnCompare(*this, A, B) : TRBTree::CompareKeys(A, B);
}

TRBNode* TRBTree::FindNode(TRBNode* Start, TRBKey Key) const {
  TRBNode* X = Start;
  while (X != Nil) {
    const int C = CompareKeys(Key, X->Key);
    if (C == 0)
      return X;
    X = C < 0 ? X->Left : X->Right;
  }
  return Nil;
}

bool TRBTree::InsertNode(TRBNode* Node) {
  TRBNode* Y = Nil;
  TRBNode* X = Root;
  int C = 0;
  while (X != Nil) {
    Y = X;
    C = CompareKeys(Node->Key, X->Key);
    if (C == 0)
      return false;
    X = C < 0 ? X->Left : X->Right;
  }
  Node->Parent = Y;
  if (Y == Nil)
    Root = Node;
  else if (C < 0)
    Y->Left = Node;
  else
    Y->Right = Node;
  return true;
}

TRBNode* TRBTree::Add(TRBKey Key, TRBData Data) {
  auto* Node = new TRBNode{rbRed, Key, Data, Nil, Nil, Nil};
  bool Inserted = false;
  try {
    Inserted = InsertNode(Node);
  } catch (...) {
    delete Node;
    throw;
  }
  if (!Inserted) {
    delete Node;
    return nullptr;
  }
  InsertFixup(Node);
  ++FCount;
  return Node;
}

void TRBTree::RotateLeft(TRBNode* X) {
  TRBNode* Y = X->Right;
  X->Right = Y->Left;
  if (Y->Left != Nil)
    Y->Left->Parent = X;
  Y->Parent = X->Parent;
  if (X->Parent == Nil)
    Root = Y;
  else if (X == X->Parent->Left)
    X->Parent->Left = Y;
  else
    X->Parent->Right = Y;
  Y->Left = X;
  X->Parent = Y;
}

void TRBTree::RotateRight(TRBNode* X) {
  TRBNode* Y = X->Left;
  X->Left = Y->Right;
  if (Y->Right != Nil)
    Y->Right->Parent = X;
  Y->Parent = X->Parent;
  if (X->Parent == Nil)
    Root = Y;
  else if (X == X->Parent->Right)
    X->Parent->Right = Y;
  else
    X->Parent->Left = Y;
  Y->Right = X;
  X->Parent = Y;
}

void TRBTree::InsertFixup(TRBNode* X) {
  while (X != Root && X->Parent->Color == rbRed) {
    TRBNode* P = X->Parent;
    TRBNode* G = P->Parent;
    if (P == G->Left) {
      TRBNode* Uncle = G->Right;
      if (Uncle->Color == rbRed) {
        P->Color = rbBlack;
        Uncle->Color = rbBlack;
        G->Color = rbRed;
        X = G;
      } else {
        if (X == P->Right) {
          X = P;
          RotateLeft(X);
        }
        X->Parent->Color = rbBlack;
        X->Parent->Parent->Color = rbRed;
        RotateRight(X->Parent->Parent);
      }
    } else {
      TRBNode* Uncle = G->Left;
      if (Uncle->Color == rbRed) {
        P->Color = rbBlack;
        Uncle->Color = rbBlack;
        G->Color = rbRed;
        X = G;
      } else {
        if (X == P->Left) {
          X = P;
          RotateRight(X);
        }
        X->Parent->Color = rbBlack;
        X->Parent->Parent->Color = rbRed;
        RotateLeft(X->Parent->Parent);
      }
    }
  }
  Root->Color = rbBlack;
}

TRBNode* TRBTree::Minimum(TRBNode* Node) const {
  if (Node == Nil)
    return Nil;
  while (Node->Left != Nil)
    Node = Node->Left;
  return Node;
}

TRBNode* TRBTree::Successor(TRBNode* Node) const {
  if (Node == Nil)
    return Nil;
  if (Node->Right != Nil)
    return Minimum(Node->Right);
  TRBNode* Y = Node->Parent;
  while (Y != Nil && Node == Y->Right) {
    Node = Y;
    Y = Y->Parent;
  }
  return Y;
}

bool TRBTree::Delete(TRBKey Key) { return DeleteNode(Find(Key)); }

bool TRBTree::DeleteNode(TRBNode* Z) {
  if (Z == Nil || Z == nullptr)
    return false;
  if (OnDelete)
    OnDelete(*this, Z->Key, Z->Data);
  // A node with two children takes its successor's entry; the successor's block goes.
  TRBNode* Y = (Z->Left == Nil || Z->Right == Nil) ? Z : Successor(Z);
  TRBNode* X = Y->Left != Nil ? Y->Left : Y->Right;
  X->Parent = Y->Parent;
  if (Y->Parent == Nil)
    Root = X;
  else if (Y == Y->Parent->Left)
    Y->Parent->Left = X;
  else
    Y->Parent->Right = X;
  if (Y != Z) {
    Z->Key = Y->Key;
    Z->Data = Y->Data;
  }
  if (Y->Color == rbBlack)
    DeleteFixup(X);
  Sentinel.Parent = Nil;
  delete Y;
  --FCount;
  return true;
}

void TRBTree::DeleteFixup(TRBNode* X) {
  while (X != Root && X->Color == rbBlack) {
    if (X == X->Parent->Left) {
      TRBNode* W = X->Parent->Right;
      if (W->Color == rbRed) {
        W->Color = rbBlack;
        X->Parent->Color = rbRed;
        RotateLeft(X->Parent);
        W = X->Parent->Right;
      }
      if (W->Left->Color == rbBlack && W->Right->Color == rbBlack) {
        W->Color = rbRed;
        X = X->Parent;
      } else {
        if (W->Right->Color == rbBlack) {
          W->Left->Color = rbBlack;
          W->Color = rbRed;
          RotateRight(W);
          W = X->Parent->Right;
        }
        W->Color = X->Parent->Color;
        X->Parent->Color = rbBlack;
        W->Right->Color = rbBlack;
        RotateLeft(X->Parent);
        X = Root;
      }
    } else {
      TRBNode* W = X->Parent->Left;
      if (W->Color == rbRed) {
        W->Color = rbBlack;
        X->Parent->Color = rbRed;
        RotateRight(X->Parent);
        W = X->Parent->Left;
      }
      if (W->Right->Color == rbBlack && W->Left->Color == rbBlack) {
        W->Color = rbRed;
        X = X->Parent;
      } else {
        if (W->Left->Color == rbBlack) {
          W->Right->Color = rbBlack;
          W->Color = rbRed;
          RotateLeft(W);
          W = X->Parent->Left;
        }
        W->Color = X->Parent->Color;
        X->Parent->Color = rbBlack;
        W->Left->Color = rbBlack;
        RotateRight(X->Parent);
        X = Root;
      }
    }
  }
  X->Color = rbBlack;
}

void TRBTree::FreeSubtree(TRBNode* Node) {
  // Depth is bounded by twice the logarithm of the count, so recursion is safe.
  if (Node == Nil)
    return;
  FreeSubtree(Node->Left);
  FreeSubtree(Node->Right);
  if (OnDelete)
    OnDelete(*this, Node->Key, Node->Data);
  delete Node;
}

void TRBTree::Clear() {
  TRBNode* Old = Root;
  Root = Nil;
  FCount = 0;
  FreeSubtree(Old);
  Sentinel = TRBNode{rbBlack, 0, 0, Nil, Nil, Nil};
}

} // namespace vv
