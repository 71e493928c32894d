#pragma once
// String-keyed dictionary of objects that can own them.

#include <string_view>
#include <vector>

#include "text/u_Dictionary.h"

namespace vv {

template <typename T> class TObjectDictionary {
public:
  TObjectDictionary(bool CaseInsensitive, bool Sorted, bool OwnsObjects)
      : Dictionary(CaseInsensitive, Sorted), OwnsObjects(OwnsObjects) {}
  ~TObjectDictionary() { Clear(); }
  TObjectDictionary(const TObjectDictionary&) = delete;
  TObjectDictionary& operator=(const TObjectDictionary&) = delete;

  void Add(std::string_view Key, T* Object) { Dictionary.Add(Key, ToValue(Object)); }

  // When owning, the object stored under Key is freed first. Its destructor may
  // itself remove the entry; the dictionary is looked at again afterwards.
  void Put(std::string_view Key, T* Object) {
    if (OwnsObjects)
      if (T* Old = Find(Key); Old && Old != Object)
        delete Old;
    Dictionary.Put(Key, ToValue(Object));
  }

  [[nodiscard]] T* Find(std::string_view Key) const { return FromValue(Dictionary.GetValueDef(Key, 0)); }

  void Remove(std::string_view Key) {
    T* Object = Extract(Key);
    if (OwnsObjects)
      delete Object;
  }

  [[nodiscard]] T* Extract(std::string_view Key) {
    T* Object = Find(Key);
    if (Dictionary.Contains(Key))
      Dictionary.Delete(Key);
    return Object;
  }

  void Clear() {
    if (OwnsObjects) {
      // Detach every entry before freeing, so destructors never see a half-cleared table.
      const std::vector<TDictValue> Doomed = Dictionary.Values();
      Dictionary.Clear();
      for (const TDictValue Value : Doomed)
        delete FromValue(Value);
    } else {
      Dictionary.Clear();
    }
  }

  [[nodiscard]] int Count() const { return Dictionary.Count(); }
  [[nodiscard]] std::vector<T*> Values() const {
    std::vector<T*> Result;
    Result.reserve(static_cast<std::size_t>(Count()));
    Dictionary.ForEach([&](const std::string&, TDictValue Value) { Result.push_back(FromValue(Value)); });
    return Result;
  }
  template <typename Fn> void ForEach(Fn&& Visit) const {
    Dictionary.ForEach([&](const std::string& Key, TDictValue Value) { Visit(Key, FromValue(Value)); });
  }

  TDictionary Dictionary;
  const bool OwnsObjects;

private:
  static TDictValue ToValue(T* Object) { return reinterpret_cast<TDictValue>(Object); }
  static T* FromValue(TDictValue Value) { return reinterpret_cast<T*>(Value); }
};

} // namespace vv
