#pragma once
// String-keyed dictionary over the red-black tree, in key order or insertion
// order, and a growable list of 32-bit integers.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/u_RBTree.h"
#include "text/u_Utils.h"

namespace vv {

class EDictionaryError : public Exception {
  using Exception::Exception;
};
class EListError : public Exception {
  using Exception::Exception;
};

// Values are untyped machine words: pointers or integers, as the owner decides.
using TDictValue = std::intptr_t;

enum TDictionaryAction : int { daAdded = 0, daRemoved = 2 };

class TDictionary {
public:
  TDictionary(bool CaseInsensitive, bool Sorted);
  virtual ~TDictionary();
  TDictionary(const TDictionary&) = delete;
  TDictionary& operator=(const TDictionary&) = delete;

  void Add(std::string_view Key, TDictValue Value);
  void Put(std::string_view Key, TDictValue Value);
  [[nodiscard]] bool Contains(std::string_view Key) const;
  [[nodiscard]] TDictValue Items(std::string_view Key) const;
  [[nodiscard]] TDictValue GetValueDef(std::string_view Key, TDictValue Default) const;
  void Delete(std::string_view Key);
  void Clear();
  [[nodiscard]] int Count() const { return KeyTree.Count(); }
  // Enumeration order: key order when sorted, else insertion order.
  [[nodiscard]] std::vector<std::string> Keys() const;
  [[nodiscard]] std::vector<TDictValue> Values() const;
  template <typename Fn> void ForEach(Fn&& Visit) const {
    for (const TRBNode* Node = FirstInOrder(); Node; Node = NextInOrder(Node))
      Visit(EntryKey(Node), EntryValue(Node));
  }

  [[nodiscard]] bool CaseInsensitive() const { return FCaseInsensitive; }
  [[nodiscard]] bool Sorted() const { return FSorted; }

protected:
  // Action daAdded after an entry is stored, daRemoved when a value leaves.
  virtual void Notify(const std::string& Key, TDictValue Value, int Action);

private:
  struct TKeyRecord {
    std::string Key;
    std::int64_t Order;
  };
  [[nodiscard]] TRBNode* FindEntry(std::string_view Key) const;
  TKeyRecord* NewRecord(std::string_view Key);
  void Insert(TKeyRecord* Record, TDictValue Value);
  void EntryDeleted(TRBKey Key, TRBData Data);
  [[nodiscard]] const TRBNode* FirstInOrder() const;
  [[nodiscard]] const TRBNode* NextInOrder(const TRBNode* Node) const;
  [[nodiscard]] const std::string& EntryKey(const TRBNode* Node) const;
  [[nodiscard]] TDictValue EntryValue(const TRBNode* Node) const;

  bool FCaseInsensitive;
  bool FSorted;
  TCustomCompareRBTree KeyTree;
  std::unique_ptr<TRBTree> OrderTree;
  std::int64_t Sequence = 0;
};

// Values are texts owned by the dictionary.
class TStringToStringDictionary : public TDictionary {
public:
  using TDictionary::TDictionary;
  ~TStringToStringDictionary() override;
  void AddString(std::string_view Key, std::string_view Text);
  void SetString(std::string_view Key, std::string_view Text);
  [[nodiscard]] const std::string& GetString(std::string_view Key) const;

protected:
  void Notify(const std::string& Key, TDictValue Value, int Action) override;
};

class TIntegerList {
public:
  static constexpr int MaxListSize = 0x7FFFFFF;
  int Add(std::int32_t Value);
  void Delete(int Index);
  [[nodiscard]] std::int32_t Items(int Index) const;
  void SetItem(int Index, std::int32_t Value);
  [[nodiscard]] int Count() const { return FCount; }
  void SetCount(int NewCount);
  [[nodiscard]] int Capacity() const { return static_cast<int>(FItems.size()); }
  void SetCapacity(int NewCapacity);
  void Clear();

private:
  void CheckIndex(int Index) const;
  std::vector<std::int32_t> FItems; // size() is the capacity
  int FCount = 0;
};

} // namespace vv
