#include "text/u_Dictionary.h"

namespace vv {

namespace {
const char* const SAlreadyInCollection = "%s - element \"%s\" is already in collection";
const char* const SNotFoundInCollection = "%s - element \"%s\" not found in collection";
} // namespace

TDictionary::TDictionary(bool CaseInsensitive, bool Sorted)
    : FCaseInsensitive(CaseInsensitive), FSorted(Sorted) {
  KeyTree.OnCompare = [this](const TRBTree&, TRBKey A, TRBKey B) {
    const auto& KA = reinterpret_cast<const TKeyRecord*>(A)->Key;
    const auto& KB = reinterpret_cast<const TKeyRecord*>(B)->Key;
    return FCaseInsensitive ? CompareText(KA, KB) : CompareStr(KA, KB);
  };
  KeyTree.OnDelete = [this](TRBTree&, TRBKey Key, TRBData Data) { EntryDeleted(Key, Data); };
  if (!FSorted)
    OrderTree = std::make_unique<TRBTree>();
}

TDictionary::~TDictionary() { Clear(); }

void TDictionary::Notify(const std::string&, TDictValue, int) {}

TRBNode* TDictionary::FindEntry(std::string_view Key) const {
  const TKeyRecord Probe{std::string(Key), 0};
  TRBNode* Node = KeyTree.Find(reinterpret_cast<TRBKey>(&Probe));
  return Node == KeyTree.Nil ? nullptr : Node;
}

TDictionary::TKeyRecord* TDictionary::NewRecord(std::string_view Key) {
  return new TKeyRecord{std::string(Key), Sequence++};
}

void TDictionary::Insert(TKeyRecord* Record, TDictValue Value) {
  if (!KeyTree.Add(reinterpret_cast<TRBKey>(Record), Value)) {
    const std::string Key = std::move(Record->Key);
    delete Record;
    throw EDictionaryError(Format(SAlreadyInCollection, "TDictionary.Add", Key));
  }
  if (OrderTree)
    OrderTree->Add(Record->Order, reinterpret_cast<TRBData>(Record));
  Notify(Record->Key, Value, daAdded);
}

void TDictionary::Add(std::string_view Key, TDictValue Value) { Insert(NewRecord(Key), Value); }

void TDictionary::Put(std::string_view Key, TDictValue Value) {
  TKeyRecord* Record = NewRecord(Key);
  TRBNode* Existing = KeyTree.Find(reinterpret_cast<TRBKey>(Record));
  if (Existing == KeyTree.Nil) {
    Insert(Record, Value);
    return;
  }
  delete Record;
  const auto* Stored = reinterpret_cast<const TKeyRecord*>(Existing->Key);
  Notify(Stored->Key, Existing->Data, daRemoved);
  Existing->Data = Value;
  Notify(Stored->Key, Value, daAdded);
}

bool TDictionary::Contains(std::string_view Key) const { return FindEntry(Key) != nullptr; }

TDictValue TDictionary::Items(std::string_view Key) const {
  if (const TRBNode* Node = FindEntry(Key))
    return Node->Data;
  throw EDictionaryError(Format(SNotFoundInCollection, "TDictionary.Get_Item", Key));
}

TDictValue TDictionary::GetValueDef(std::string_view Key, TDictValue Default) const {
  const TRBNode* Node = FindEntry(Key);
  return Node ? Node->Data : Default;
}

void TDictionary::Delete(std::string_view Key) {
  TRBNode* Node = FindEntry(Key);
  if (!Node)
    throw EDictionaryError(Format(SNotFoundInCollection, "TDictionary.Delete", Key));
  KeyTree.DeleteNode(Node);
}

void TDictionary::Clear() {
  KeyTree.Clear();
  Sequence = 0;
}

void TDictionary::EntryDeleted(TRBKey Key, TRBData Data) {
  std::unique_ptr<TKeyRecord> Record(reinterpret_cast<TKeyRecord*>(Key));
  if (OrderTree)
    OrderTree->Delete(Record->Order);
  Notify(Record->Key, Data, daRemoved);
}

const TRBNode* TDictionary::FirstInOrder() const {
  const TRBTree& Tree = OrderTree ? *OrderTree : static_cast<const TRBTree&>(KeyTree);
  const TRBNode* Node = Tree.First();
  return Node == Tree.Nil ? nullptr : Node;
}

const TRBNode* TDictionary::NextInOrder(const TRBNode* Node) const {
  const TRBTree& Tree = OrderTree ? *OrderTree : static_cast<const TRBTree&>(KeyTree);
  const TRBNode* Next = Tree.Successor(const_cast<TRBNode*>(Node));
  return Next == Tree.Nil ? nullptr : Next;
}

const std::string& TDictionary::EntryKey(const TRBNode* Node) const {
  const TRBKey RecordPtr = OrderTree ? Node->Data : Node->Key;
  return reinterpret_cast<const TKeyRecord*>(RecordPtr)->Key;
}

TDictValue TDictionary::EntryValue(const TRBNode* Node) const {
  if (!OrderTree)
    return Node->Data;
  // The order tree holds the key record; its value lives in the key tree.
  return KeyTree.Find(Node->Data)->Data;
}

std::vector<std::string> TDictionary::Keys() const {
  std::vector<std::string> Result;
  Result.reserve(static_cast<std::size_t>(Count()));
  ForEach([&](const std::string& Key, TDictValue) { Result.push_back(Key); });
  return Result;
}

std::vector<TDictValue> TDictionary::Values() const {
  std::vector<TDictValue> Result;
  Result.reserve(static_cast<std::size_t>(Count()));
  ForEach([&](const std::string&, TDictValue Value) { Result.push_back(Value); });
  return Result;
}

TStringToStringDictionary::~TStringToStringDictionary() { Clear(); }

void TStringToStringDictionary::AddString(std::string_view Key, std::string_view Text) {
  auto Owned = std::make_unique<std::string>(Text);
  Add(Key, reinterpret_cast<TDictValue>(Owned.get()));
  Owned.release();
}

void TStringToStringDictionary::SetString(std::string_view Key, std::string_view Text) {
  auto Owned = std::make_unique<std::string>(Text);
  Put(Key, reinterpret_cast<TDictValue>(Owned.get()));
  Owned.release();
}

const std::string& TStringToStringDictionary::GetString(std::string_view Key) const {
  return *reinterpret_cast<const std::string*>(Items(Key));
}

void TStringToStringDictionary::Notify(const std::string&, TDictValue Value, int Action) {
  if (Action == daRemoved)
    delete reinterpret_cast<std::string*>(Value);
}

void TIntegerList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= FCount)
    throw EListError(Format("List index out of bounds (%d)", Index));
}

int TIntegerList::Add(std::int32_t Value) {
  if (FCount == Capacity()) {
    const int Cap = Capacity();
    const int Delta = Cap > 64 ? Cap / 4 : (Cap > 8 ? 16 : 4);
    SetCapacity(Cap + Delta > MaxListSize && Cap < MaxListSize ? MaxListSize : Cap + Delta);
  }
  FItems[static_cast<std::size_t>(FCount)] = Value;
  return FCount++;
}

void TIntegerList::Delete(int Index) {
  CheckIndex(Index);
  FItems.erase(FItems.begin() + Index);
  FItems.push_back(0);
  --FCount;
}

std::int32_t TIntegerList::Items(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<std::size_t>(Index)];
}

void TIntegerList::SetItem(int Index, std::int32_t Value) {
  CheckIndex(Index);
  FItems[static_cast<std::size_t>(Index)] = Value;
}

void TIntegerList::SetCapacity(int NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > MaxListSize)
    throw EListError(Format("List capacity out of bounds (%d)", NewCapacity));
  FItems.resize(static_cast<std::size_t>(NewCapacity));
}

void TIntegerList::SetCount(int NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize)
    throw EListError(Format("List count out of bounds (%d)", NewCount));
  if (NewCount > Capacity())
    SetCapacity(NewCount);
  for (int i = FCount; i < NewCount; ++i)
    FItems[static_cast<std::size_t>(i)] = 0;
  FCount = NewCount;
}

void TIntegerList::Clear() {
  FCount = 0;
  FItems.clear();
  FItems.shrink_to_fit();
}

} // namespace vv
