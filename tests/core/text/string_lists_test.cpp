#include "core/text/string_lists.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tovix {
namespace {

using RawList = TFStringList<int*>;

std::vector<std::string> Texts(const RawList& list) {
  std::vector<std::string> out;
  for (auto [text, object] : list) out.push_back(text);
  return out;
}

template <class Row>
std::string RowName(const testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

// --- StrHash ---------------------------------------------------------------------------------

TEST(StrHash, KnownValues) {
  EXPECT_EQ(StrHash(""), 0);
  EXPECT_EQ(StrHash("a"), 97);
  EXPECT_EQ(StrHash("A"), 65);  // case-sensitive
  EXPECT_EQ(StrHash("ab"), 1650);
  EXPECT_EQ(StrHash("mars"), 473235);
  EXPECT_EQ(StrHash("earth"), 7047592);
  EXPECT_EQ(StrHash("abcdefghij"), -1699322272);  // bits above 27 survive the mask
  EXPECT_EQ(StrHash("\xE9"), 233);                // bytes count unsigned
}

// --- Sorted TFStringList ---------------------------------------------------------------------

TEST(TFStringListSorted, OrdersByHashThenTextIgnoringCase) {
  // "ab", "bR" and "`r" share the hash 1650; the tie is broken by text with a-z folded to
  // upper case, which puts "`" (96) after "B" (66).
  ASSERT_EQ(StrHash("bR"), StrHash("ab"));
  ASSERT_EQ(StrHash("`r"), StrHash("ab"));
  RawList list(true, TDuplicates::Error);
  for (const char* text : {"b", "`r", "a", "bR", "abcdefghij", "ab", "mars"}) list.Add(text);
  EXPECT_EQ(Texts(list),
            (std::vector<std::string>{"abcdefghij", "a", "b", "ab", "bR", "`r", "mars"}));
  int index = -1;
  EXPECT_TRUE(list.Find("bR", index));
  EXPECT_EQ(index, 4);
  EXPECT_FALSE(list.Find("BR", index));  // another hash: keys are stored lower-cased
  EXPECT_EQ(list.IndexOf("zzz"), -1);
  EXPECT_FALSE(list.Find("c", index));
  EXPECT_EQ(index, 3);  // insertion point between "b" (98) and "ab" (1650)
}

TEST(TFStringListSorted, FindWithAcceptGoesToLeftmostEqualItem) {
  std::vector<int> ids(7);
  RawList list(true, TDuplicates::Accept);
  for (int i = 0; i < 7; ++i) list.AddObject("mars", &ids[static_cast<std::size_t>(i)]);
  // Each new equal item goes in front of the earlier ones.
  EXPECT_EQ(list.Object(0), &ids[6]);
  EXPECT_EQ(list.Object(6), &ids[0]);
  int index = -1;
  EXPECT_TRUE(list.Find("mars", index));
  EXPECT_EQ(index, 0);
  // Without Accept the search stops at the first equal item it meets, the middle one.
  list.SetDuplicates(TDuplicates::Ignore);
  EXPECT_TRUE(list.Find("mars", index));
  EXPECT_EQ(index, 3);
}

struct MisuseRow {
  const char* name;
  bool sorted;
  std::function<void(RawList&)> op;
  std::string message;
};

class TFStringListMisuse : public testing::TestWithParam<MisuseRow> {};

TEST_P(TFStringListMisuse, RaisesAndLeavesListUnchanged) {
  int object = 0;
  RawList list;
  list.AddObject("x", &object);
  list.Add("mars");
  list.Add("b");
  list.SetSorted(GetParam().sorted);
  const auto before = Texts(list);
  try {
    GetParam().op(list);
    FAIL() << "no exception";
  } catch (const EStringListError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
  EXPECT_EQ(Texts(list), before);
  EXPECT_EQ(list.Object(list.IndexOf("x")), &object);
}

const std::string kSorted = "Operation not allowed on sorted list";
std::string Bounds(int index) {
  return "List index out of bounds (" + std::to_string(index) + ")";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TFStringListMisuse,
    testing::Values(
        MisuseRow{"DuplicateOnErrorList", true,
                  [](RawList& l) {
                    l.SetDuplicates(TDuplicates::Error);
                    l.Add("mars");
                  },
                  "String list does not allow duplicates"},
        MisuseRow{"PutOnSorted", true, [](RawList& l) { l.Put(0, "y"); }, kSorted},
        // The sorted check comes before the index check.
        MisuseRow{"InsertOnSortedBadIndex", true, [](RawList& l) { l.Insert(9, "y"); }, kSorted},
        MisuseRow{"InsertPastCount", false, [](RawList& l) { l.Insert(4, "y"); }, Bounds(4)},
        MisuseRow{"ExchangeSecondBad", false, [](RawList& l) { l.Exchange(0, 7); }, Bounds(7)},
        // Shrinking below the count would drop items.
        MisuseRow{"CapacityBelowCount", false, [](RawList& l) { l.SetCapacity(2); },
                  "List capacity out of bounds (2)"}),
    RowName<MisuseRow>);

// --- Unsorted TFStringList -------------------------------------------------------------------

TEST(TFStringListUnsorted, EditsByPositionAndSortsOnDemand) {
  int a = 1;
  int b = 2;
  RawList list;
  list.Add("mars");
  list.InsertObject(0, "b", &a);
  list.Insert(2, "b");
  list.AddObject("zeta", &b);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"b", "mars", "b", "zeta"}));
  EXPECT_EQ(list.IndexOf("MARS"), 1);  // linear search ignores case
  EXPECT_EQ(list.IndexOf("b"), 0);
  list.Put(3, "a");
  EXPECT_EQ(list.Hash(3), 97);
  EXPECT_EQ(list.Object(3), &b);
  list.Exchange(0, 3);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "mars", "b", "b"}));
  EXPECT_EQ(list.Object(0), &b);
  EXPECT_EQ(list.Object(3), &a);

  // Equal items keep their order: the "b" holding &a stays behind the other one.
  list.SetSorted(true);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "b", "mars"}));
  EXPECT_EQ(list.Object(2), &a);
  EXPECT_EQ(list.IndexOf("mars"), 3);
}

// Find, Add, IndexOf and Delete against a plain multiset of texts, in every duplicate mode: a
// second equal item is not added with Ignore (Add gives the first one's index), added with
// Accept (Find then gives the leftmost one) and refused with Error; the order stays by hash
// and text.
TEST(TFStringListRandomised, AgreesWithReferenceModel) {
  std::mt19937 rng(20240601);
  std::vector<std::string> pool;
  for (int i = 0; i < 150; ++i) {
    std::string s(rng() % 13, ' ');
    for (char& c : s) c = "abcdefghijklmnopqrstuvwxyz_"[rng() % 27];
    pool.push_back(s);
  }
  for (TDuplicates mode : {TDuplicates::Ignore, TDuplicates::Accept, TDuplicates::Error}) {
    RawList list(true, mode);
    std::map<std::string, int> ref;
    for (int step = 0; step < 4000; ++step) {
      const std::string& text = pool[rng() % pool.size()];
      const bool present = ref.count(text) != 0;
      if (rng() % 3 != 0) {
        if (mode == TDuplicates::Error && present) {
          EXPECT_THROW(list.Add(text), EStringListError);
        } else {
          const int at = list.Add(text);
          ASSERT_EQ(list.Strings(at), text);
          if (mode == TDuplicates::Accept || !present) ++ref[text];
        }
      } else if (list.Count() > 0) {
        const int at = static_cast<int>(rng() % static_cast<unsigned>(list.Count()));
        const std::string gone = list.Strings(at);
        list.Delete(at);
        if (--ref[gone] == 0) ref.erase(gone);
      }
      int index = -1;
      ASSERT_EQ(list.Find(text, index), ref.count(text) != 0);
      if (ref.count(text) != 0) {
        ASSERT_EQ(list.IndexOf(text), index);
        if (mode == TDuplicates::Accept) {
          ASSERT_TRUE(index == 0 || list.Strings(index - 1) != text);
        }
      }
    }
    int total = 0;
    for (const auto& [text, n] : ref) total += n;
    ASSERT_EQ(list.Count(), total);
    for (int i = 0; i + 1 < list.Count(); ++i) {
      ASSERT_EQ(list.Hash(i), StrHash(list.Strings(i)));
      // Lower-case texts and "_": the folding comparison equals the plain one here.
      ASSERT_LE(std::make_pair(list.Hash(i), list.Strings(i)),
                std::make_pair(list.Hash(i + 1), list.Strings(i + 1)));
    }
  }
}

// The index finds what IndexOf finds for the text lower-cased, while the list changes under it
// (it must notice every kind of change), in every duplicate mode, with texts in any case on
// both sides: a text stored with capitals is found by IndexOf only when its hash happens to be
// that of its lower-cased form. Texts of up to 20 bytes are compared eight at a time; each comes
// with a twin that differs only in bit 5 of its bytes, which folds the case of letters alone.
TEST(TFStringListIndex, AgreesWithIndexOfTheLowerCasedText) {
  std::mt19937 rng(20261207);
  std::vector<std::string> pool;
  for (int i = 0; i < 60; ++i) {
    std::string s(1 + rng() % (i % 2 ? 8 : 20), ' ');
    for (char& c : s) c = "abcXYZ_\xe9@[\xc1"[rng() % 11];
    pool.push_back(s);
    for (char& c : s) c = static_cast<char>(c ^ 0x20);
    pool.push_back(s);
  }
  for (TDuplicates mode : {TDuplicates::Ignore, TDuplicates::Accept}) {
    RawList list(true, mode);
    TFStringListIndex<int*> index(list);
    int one = 1;
    for (int step = 0; step < 6000; ++step) {
      const std::string& text = pool[rng() % pool.size()];
      switch (rng() % 8) {
        case 0:
          list.Add(rng() % 2 ? text : LowerCase(text));
          break;
        case 1:
          if (list.Count() > 0) list.Delete(static_cast<int>(rng() % list.Count()));
          break;
        case 2:
          if (list.Count() > 0) list.PutObject(static_cast<int>(rng() % list.Count()), &one);
          break;
        default:
          break;  // lookups only: the index is built and used
      }
      const int expected = list.IndexOf(LowerCase(text));
      ASSERT_EQ(index.Find(text), expected) << text << " step " << step;
      ASSERT_EQ(index.FindObject(text, FoldedTextHash(text)),
                expected < 0 ? nullptr : list.Object(expected))
          << text << " step " << step;
    }
    RawList other(true, mode);
    other.Add("moved");
    list = std::move(other);
    EXPECT_EQ(index.Find("MOVED"), 0);
  }
  RawList unsorted(false, TDuplicates::Accept);
  unsorted.Add("b");
  unsorted.Add("A");
  TFStringListIndex<int*> byText(unsorted);
  EXPECT_EQ(byText.Find("a"), 1);
}

// --- TDStringList ----------------------------------------------------------------------------

TEST(TDStringList, EqualKeysNewestFirst) {
  int first = 1;
  int second = 2;
  TDStringList<int*> list;
  EXPECT_EQ(list.AddWithKey(5, "p5a", &first), 0);
  EXPECT_EQ(list.AddWithKey(3, "p3"), 0);
  EXPECT_EQ(list.AddWithKey(5, "p5b", &second), 1);
  EXPECT_EQ(list.Strings(0), "p3");
  EXPECT_EQ(list.Object(1), &second);
  EXPECT_EQ(list.Object(2), &first);
  EXPECT_EQ(list.Key(2), 5);
  for (const auto& op : std::vector<std::function<void()>>{
           [&] { list.Add("x"); }, [&] { list.Insert(0, "x"); }, [&] { list.Put(0, "x"); }}) {
    EXPECT_THROW(op(), EStringListError);
  }
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(0), "p3");
}

struct RangeRow {
  const char* name;
  int32_t key;
  int index;
  int count;
};

class TDStringListRange : public testing::TestWithParam<RangeRow> {};

TEST_P(TDStringListRange, FindKeyAndRange) {
  TDStringList<int*> list;
  for (int32_t key : {5, 3, 5}) list.AddWithKey(key, "k");
  int index = -1;
  int count = -1;
  list.FindKeyRange(GetParam().key, index, count);
  EXPECT_EQ(index, GetParam().index);
  EXPECT_EQ(count, GetParam().count);
  int findIndex = -1;
  EXPECT_EQ(list.FindKey(GetParam().key, findIndex), GetParam().count > 0);
  EXPECT_EQ(findIndex, GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Keys, TDStringListRange,
                         testing::Values(RangeRow{"TwoEqual", 5, 1, 2}, RangeRow{"Gap", 4, 1, 0},
                                         RangeRow{"Single", 3, 0, 1},
                                         RangeRow{"BelowAll", -100, 0, 0},
                                         RangeRow{"AboveAll", 6, 3, 0}),
                         RowName<RangeRow>);

// --- Owning lists ----------------------------------------------------------------------------

struct Counted {
  explicit Counted(int* freed) : freed_(freed) {}
  ~Counted() { ++*freed_; }
  int* freed_;
};

TEST(OwningLists, FreeTheirObjects) {
  int freed = 0;
  auto make = [&] { return std::make_unique<Counted>(&freed); };
  {
    TFStringList<std::unique_ptr<Counted>> list(true, TDuplicates::Error);
    list.AddObject("a", make());
    list.AddObject("b", make());
    list.AddObject("c", make());
    EXPECT_THROW(list.AddObject("a", make()), EStringListError);
    EXPECT_EQ(freed, 1);  // the refused object
    list.Delete(1);
    EXPECT_EQ(freed, 2);
    list.PutObject(0, make());
    EXPECT_EQ(freed, 3);  // the replaced one
    list.SetDuplicates(TDuplicates::Ignore);
    auto replacement = make();
    Counted* const raw = replacement.get();
    EXPECT_EQ(list.AddObject("c", std::move(replacement)), 1);
    EXPECT_EQ(list.Object(1), raw);  // the existing item took the new object
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(list.Count(), 2);
    // Re-filing an object under a new key hands it over without freeing it.
    std::unique_ptr<Counted> moved = list.Extract(0);
    EXPECT_EQ(list.Count(), 1);
    list.AddObject("zz", std::move(moved));
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(freed, 6);

  freed = 0;
  std::vector<std::unique_ptr<Counted>> held;
  {
    TDStringList<std::unique_ptr<Counted>> owning;
    TDStringList<Counted*> refs;
    for (int key : {2, 1, 3}) {
      held.push_back(make());
      refs.AddWithKey(key, "r", held.back().get());
      owning.AddWithKey(key, "o", make());
    }
    owning.Delete(0);
    EXPECT_EQ(freed, 1);
    owning.Clear();
    EXPECT_EQ(freed, 3);
  }
  EXPECT_EQ(freed, 3);  // the referring list freed nothing
}

}  // namespace
}  // namespace tovix
