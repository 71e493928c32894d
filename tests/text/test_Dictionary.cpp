#include <gtest/gtest.h>

#include "tests/TestUtil.h"

#include <string>
#include <vector>

#include "text/u_Dictionary.h"
#include "text/u_ObjectDictionary.h"

using namespace vv;
using vvtest::MessageOf;
namespace {

struct Recording : TDictionary {
  using TDictionary::TDictionary;
  ~Recording() override { Clear(); }
  std::vector<std::string> Log;
  void Notify(const std::string& Key, TDictValue Value, int Action) override {
    Log.push_back(Key + ":" + std::to_string(Value) + ":" + std::to_string(Action));
  }
};

struct Counted {
  explicit Counted(int& Alive) : Alive(Alive) { ++Alive; }
  ~Counted() { --Alive; }
  int& Alive;
};
} // namespace

TEST(Dictionary, CaseInsensitiveKeysAreOneKey) {
  TDictionary D(true, true);
  D.Add("Page", 1);
  EXPECT_TRUE(D.Contains("PAGE"));
  EXPECT_EQ(D.Items("page"), 1);
  EXPECT_EQ(MessageOf([&] { D.Add("page", 2); }), "TDictionary.Add - element \"page\" is already in collection");
  TDictionary Sensitive(false, true);
  Sensitive.Add("Page", 1);
  Sensitive.Add("page", 2);
  EXPECT_EQ(Sensitive.Count(), 2);
}

TEST(Dictionary, MissingKeysRaiseWithTheOperationName) {
  TDictionary D(true, true);
  EXPECT_EQ(MessageOf([&] { (void)D.Items("x"); }), "TDictionary.Get_Item - element \"x\" not found in collection");
  EXPECT_EQ(MessageOf([&] { D.Delete("x"); }), "TDictionary.Delete - element \"x\" not found in collection");
  EXPECT_EQ(D.GetValueDef("x", 7), 7);
}

TEST(Dictionary, EnumeratesInKeyOrderOrInsertionOrder) {
  TDictionary Ordered(true, false), Sorted(true, true);
  for (const char* K : {"c", "a", "b"}) {
    Ordered.Add(K, K[0]);
    Sorted.Add(K, K[0]);
  }
  Ordered.Put("a", 99);
  EXPECT_EQ(Ordered.Keys(), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(Ordered.Values(), (std::vector<TDictValue>{'c', 99, 'b'}));
  EXPECT_EQ(Sorted.Keys(), (std::vector<std::string>{"a", "b", "c"}));
  Ordered.Delete("c");
  Ordered.Add("c", 1);
  EXPECT_EQ(Ordered.Keys(), (std::vector<std::string>{"a", "b", "c"}));
  Ordered.Clear();
  EXPECT_EQ(Ordered.Count(), 0);
  Ordered.Add("z", 0);
  EXPECT_EQ(Ordered.Keys(), (std::vector<std::string>{"z"}));
}

TEST(Dictionary, NotifiesAddsReplacementsAndRemovals) {
  Recording D(true, true);
  D.Add("k", 1);
  D.Put("K", 2);
  D.Put("n", 3);
  D.Delete("k");
  EXPECT_EQ(D.Log, (std::vector<std::string>{"k:1:0", "k:1:2", "k:2:0", "n:3:0", "k:2:2"}));
}

TEST(StringToStringDictionary, OwnsAndReplacesTexts) {
  TStringToStringDictionary D(true, true);
  D.AddString("Title", "First");
  D.SetString("TITLE", "Second");
  EXPECT_EQ(D.GetString("title"), "Second");
  EXPECT_EQ(MessageOf([&] { D.AddString("title", "x"); }),
            "TDictionary.Add - element \"title\" is already in collection");
  EXPECT_EQ(MessageOf([&] { (void)D.GetString("none"); }),
            "TDictionary.Get_Item - element \"none\" not found in collection");
  EXPECT_EQ(D.Count(), 1);
  // Leak checks of the sanitizer build cover the freeing of replaced texts.
}

TEST(ObjectDictionary, OwningPutExtractRemove) {
  int Alive = 0;
  {
    TObjectDictionary<Counted> D(true, true, true);
    D.Add("a", new Counted(Alive));
    D.Put("A", new Counted(Alive));
    EXPECT_EQ(Alive, 1);
    Counted* Kept = D.Extract("a");
    ASSERT_NE(Kept, nullptr);
    EXPECT_EQ(Alive, 1);
    EXPECT_EQ(D.Count(), 0);
    delete Kept;
    D.Remove("absent");
    D.Add("b", new Counted(Alive));
    D.Add("c", new Counted(Alive));
    D.Remove("B");
    EXPECT_EQ(Alive, 1);
    EXPECT_EQ(D.Extract("zz"), nullptr);
  }
  EXPECT_EQ(Alive, 0);
}

TEST(ObjectDictionary, NonOwningLeavesObjectsAlone) {
  int Alive = 0;
  Counted A(Alive), B(Alive);
  {
    TObjectDictionary<Counted> D(true, true, false);
    D.Add("b", &B);
    D.Add("a", &A);
    EXPECT_EQ(D.Values(), (std::vector<Counted*>{&A, &B}));
    D.Put("a", &B);
    D.Remove("b");
    D.Clear();
  }
  EXPECT_EQ(Alive, 2);
}

TEST(IntegerList, GrowsByTheDocumentedSteps) {
  TIntegerList L;
  std::vector<int> Capacities{L.Capacity()};
  for (int i = 0; i < 80; ++i) {
    (void)L.Add(i);
    if (L.Capacity() != Capacities.back())
      Capacities.push_back(L.Capacity());
  }
  EXPECT_EQ(Capacities, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95}));
  L.Delete(0);
  EXPECT_EQ(L.Items(0), 1);
  EXPECT_EQ(L.Count(), 79);
}

TEST(IntegerList, BoundsErrorsNameTheOffendingValue) {
  TIntegerList L;
  (void)L.Add(5);
  EXPECT_EQ(MessageOf([&] { (void)L.Items(1); }), "List index out of bounds (1)");
  EXPECT_EQ(MessageOf([&] { L.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf([&] { L.SetCapacity(0); }), "List capacity out of bounds (0)");
  EXPECT_EQ(MessageOf([&] { L.SetCapacity(TIntegerList::MaxListSize + 1); }),
            "List capacity out of bounds (134217728)");
  EXPECT_EQ(MessageOf([&] { L.SetCount(-2); }), "List count out of bounds (-2)");
  L.SetCount(3);
  EXPECT_EQ(L.Items(2), 0);
  L.Clear();
  EXPECT_EQ(L.Capacity(), 0);
}
