#pragma once
// The keyed string lists that hold the game's lists.
//
// TFStringList keeps (text, object, hash) items; when sorted it orders them by StrHash of the
// text and then by case-insensitive text, so a lookup compares mostly integers. TDStringList
// keeps (text, object, key) items ordered by an integer key chosen by the caller.
//
// Both are templates over the object pointer type: a raw `T*` makes a list that only refers to
// its objects, a `std::unique_ptr<T>` one that owns them (Delete, Clear, replacing an object and
// the destructor free them). Object(i) always hands out the raw `T*`.
//
// Misuse raises EStringListError with a fixed text and leaves the list unchanged.
// No operation sends change notifications.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/errors.h"
#include "core/text/str_utils.h"

namespace tovix {

// Hash of the bytes of `text`: h = (h << 4) + c; the bits of h & $0F000000 shifted down by 24
// are cleared. Case-sensitive, so callers store lower-cased keys. The sorted lists' order
// depends on exactly this function; compare the result as a signed number.
int32_t StrHash(std::string_view text);

enum class TDuplicates {
  Ignore,  // adding an existing text returns the existing item
  Accept,  // equal texts are kept side by side
  Error,   // adding an existing text raises
};

namespace string_list_detail {

[[noreturn]] void ThrowIndexError(int index);
[[noreturn]] void ThrowSortedError();
[[noreturn]] void ThrowDuplicateError();
[[noreturn]] void ThrowCapacityError(int capacity);
// Capacity after growing a full array of `capacity` items.
int GrownCapacity(int capacity);

template <class P>
struct PtrTraits;

template <class T>
struct PtrTraits<T*> {
  using Object = T;
  static T* Get(T* p) { return p; }
};

template <class T, class D>
struct PtrTraits<std::unique_ptr<T, D>> {
  using Object = T;
  static T* Get(const std::unique_ptr<T, D>& p) { return p.get(); }
};

}  // namespace string_list_detail

// One item as a range-for loop sees it: `for (auto [text, object] : list)`.
template <class T>
struct TStringListEntry {
  const std::string& Text;
  T* Object;
};

// What both lists share: the item array, index checks, growth and object access.
template <class Ptr>
class TStringListBase {
 public:
  using ObjectType = typename string_list_detail::PtrTraits<Ptr>::Object;
  using Entry = TStringListEntry<ObjectType>;

 protected:
  struct Item {
    std::string text;
    Ptr object{};
    int32_t value = 0;  // the hash or the key
  };
  using Items = std::vector<Item>;

 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = Entry;

    const_iterator() = default;
    explicit const_iterator(typename Items::const_iterator it) : it_(it) {}
    Entry operator*() const {
      return Entry{it_->text, string_list_detail::PtrTraits<Ptr>::Get(it_->object)};
    }
    const_iterator& operator++() {
      ++it_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++it_;
      return old;
    }
    bool operator==(const const_iterator& other) const { return it_ == other.it_; }

   private:
    typename Items::const_iterator it_{};
  };

  TStringListBase() = default;
  // A list moved from or into has changed (see Version).
  TStringListBase(TStringListBase&& other) noexcept
      : items_(std::move(other.items_)), version_(other.version_ + 1) {
    ++other.version_;
  }
  TStringListBase& operator=(TStringListBase&& other) noexcept {
    items_ = std::move(other.items_);
    version_ = std::max(version_, other.version_) + 1;
    ++other.version_;
    return *this;
  }
  // A copy of an owning list would free its objects twice; lists are moved, never copied.
  TStringListBase(const TStringListBase&) = delete;
  TStringListBase& operator=(const TStringListBase&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  // Goes up with every change of the items (texts, objects, order or count), so that a table
  // built from the list can tell whether it still holds.
  uint64_t Version() const { return version_; }

  // Resizes the item array to `capacity` items. Fewer items than the list holds would drop
  // items, so that raises "List capacity out of bounds (%d)" and changes nothing.
  void SetCapacity(int capacity) {
    if (capacity < Count()) string_list_detail::ThrowCapacityError(capacity);
    if (capacity == Capacity()) return;
    Items resized;
    resized.reserve(static_cast<std::size_t>(capacity));
    std::move(items_.begin(), items_.end(), std::back_inserter(resized));
    items_.swap(resized);
    ++version_;
  }

  const std::string& Strings(int index) const { return items_[CheckedIndex(index)].text; }
  ObjectType* Object(int index) const {
    return string_list_detail::PtrTraits<Ptr>::Get(items_[CheckedIndex(index)].object);
  }
  // Stores `object` with the item; an owning list frees the object it held before.
  void PutObject(int index, Ptr object) {
    items_[CheckedIndex(index)].object = std::move(object);
    ++version_;
  }

  // Removes the item; an owning list frees its object.
  void Delete(int index) {
    items_.erase(items_.begin() + CheckedIndex(index));
    ++version_;
  }

  // Removes the item and hands its object to the caller (an owning list gives up ownership).
  Ptr Extract(int index) {
    auto at = items_.begin() + CheckedIndex(index);
    Ptr object = std::move(at->object);
    items_.erase(at);
    ++version_;
    return object;
  }

  // Removes every item (an owning list frees the objects) and releases the array.
  void Clear() {
    Items().swap(items_);
    ++version_;
  }

  const_iterator begin() const { return const_iterator(items_.cbegin()); }
  const_iterator end() const { return const_iterator(items_.cend()); }

 protected:
  ~TStringListBase() = default;

  std::size_t CheckedIndex(int index) const {
    if (index < 0 || index >= Count()) string_list_detail::ThrowIndexError(index);
    return static_cast<std::size_t>(index);
  }

  // Inserts at `index` (0..Count), growing by the list's own steps first.
  void InsertItem(int index, std::string text, Ptr object, int32_t value) {
    if (Count() == Capacity()) {
      const int grown = string_list_detail::GrownCapacity(Capacity());
      items_.reserve(static_cast<std::size_t>(grown));
    }
    items_.insert(items_.begin() + index, Item{std::move(text), std::move(object), value});
    ++version_;
  }

  Items items_;
  uint64_t version_ = 0;
};

// String list with a hash per item; sorted by (hash, text) when `Sorted` is on.
template <class Ptr>
class TFStringList : public TStringListBase<Ptr> {
  using Base = TStringListBase<Ptr>;
  using Base::items_;
  using typename Base::Item;

 public:
  TFStringList() = default;
  TFStringList(bool sorted, TDuplicates duplicates) : sorted_(sorted), duplicates_(duplicates) {}

  bool Sorted() const { return sorted_; }
  // Switching sorting on sorts the items first.
  void SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    if (sorted) Sort();
    sorted_ = sorted;
  }
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }

  int32_t Hash(int index) const { return items_[this->CheckedIndex(index)].value; }

  // Binary search by (hash, text); meaningful on a sorted list. Returns whether `text` is
  // there; `index` receives the item found, or the insertion point when it is not. With
  // Accept the search goes on to the leftmost equal item; otherwise it stops at the first equal
  // item it meets.
  bool Find(std::string_view text, int& index) const {
    return FindHashed(StrHash(text), text, index);
  }

  // Unsorted: appends. Sorted: inserts at its place; an existing text is returned (Ignore),
  // raises "String list does not allow duplicates" (Error) or is inserted beside (Accept).
  // The new item has no object. Returns the item's index.
  int Add(std::string text) { return AddObject(std::move(text), Ptr{}); }

  // Add, then the object is stored with the resulting item. When Ignore returns an existing item,
  // that item takes the new object (an owning list frees the old one); callers that must keep
  // the first object look the text up first.
  int AddObject(std::string text, Ptr object) {
    const int32_t hash = StrHash(text);
    int index = this->Count();
    if (sorted_) {
      if (FindHashed(hash, text, index)) {
        if (duplicates_ == TDuplicates::Ignore) {
          items_[static_cast<std::size_t>(index)].object = std::move(object);
          ++this->version_;
          return index;
        }
        if (duplicates_ == TDuplicates::Error) string_list_detail::ThrowDuplicateError();
      }
    }
    this->InsertItem(index, std::move(text), std::move(object), hash);
    return index;
  }

  // Inserts before `index` (0..Count). Not allowed on a sorted list.
  void Insert(int index, std::string text) { InsertObject(index, std::move(text), Ptr{}); }
  void InsertObject(int index, std::string text, Ptr object) {
    if (sorted_) string_list_detail::ThrowSortedError();
    if (index < 0 || index > this->Count()) string_list_detail::ThrowIndexError(index);
    const int32_t hash = StrHash(text);
    this->InsertItem(index, std::move(text), std::move(object), hash);
  }

  // Replaces the text of an item (its hash follows). Not allowed on a sorted list.
  void Put(int index, std::string text) {
    if (sorted_) string_list_detail::ThrowSortedError();
    Item& item = items_[this->CheckedIndex(index)];
    item.value = StrHash(text);
    item.text = std::move(text);
    ++this->version_;
  }

  // Index of `text` or -1: binary search when sorted, else the first item equal ignoring case.
  int IndexOf(std::string_view text) const {
    if (sorted_) {
      int index = 0;
      return Find(text, index) ? index : -1;
    }
    for (int i = 0; i < this->Count(); ++i) {
      if (CompareText(items_[static_cast<std::size_t>(i)].text, text) == 0) return i;
    }
    return -1;
  }

  // Swaps two whole items.
  void Exchange(int index1, int index2) {
    const std::size_t a = this->CheckedIndex(index1);
    const std::size_t b = this->CheckedIndex(index2);
    std::swap(items_[a], items_[b]);
    ++this->version_;
  }

  // Orders the items by (hash, text) when the list is not kept sorted. Equal items keep their
  // relative order.
  void Sort() {
    if (sorted_ || this->Count() < 2) return;
    std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
      return Compare(a.value, a.text, b.value, b.text) < 0;
    });
    ++this->version_;
  }

 private:
  static int Compare(int32_t hash1, std::string_view text1, int32_t hash2, std::string_view text2) {
    if (hash1 != hash2) return hash1 < hash2 ? -1 : 1;
    return CompareText(text1, text2);
  }

  bool FindHashed(int32_t hash, std::string_view text, int& index) const {
    bool found = false;
    int low = 0;
    int high = this->Count() - 1;
    while (low <= high) {
      const int mid = low + (high - low) / 2;
      const Item& item = items_[static_cast<std::size_t>(mid)];
      const int c = Compare(item.value, item.text, hash, text);
      if (c < 0) {
        low = mid + 1;
      } else {
        high = mid - 1;
        if (c == 0) {
          found = true;
          if (duplicates_ != TDuplicates::Accept) low = mid;
        }
      }
    }
    index = low;
    return found;
  }

  bool sorted_ = false;
  TDuplicates duplicates_ = TDuplicates::Ignore;
};

// String list ordered by an integer key, equal keys newest first. Items enter only through
// AddWithKey.
template <class Ptr>
class TDStringList : public TStringListBase<Ptr> {
  using Base = TStringListBase<Ptr>;
  using Base::items_;
  using typename Base::Item;

 public:
  int32_t Key(int index) const { return items_[this->CheckedIndex(index)].value; }

  // Inserts before the first item whose key is at least `key`; returns the new item's index.
  int AddWithKey(int32_t key, std::string text, Ptr object = Ptr{}) {
    const int index = LowerBound(key);
    this->InsertItem(index, std::move(text), std::move(object), key);
    return index;
  }

  // `index` receives the first item whose key is at least `key`; true when its key is `key`.
  bool FindKey(int32_t key, int& index) const {
    index = LowerBound(key);
    return index < this->Count() && items_[static_cast<std::size_t>(index)].value == key;
  }

  // `index` as FindKey; `count` the number of items from there whose key is `key`.
  void FindKeyRange(int32_t key, int& index, int& count) const {
    index = LowerBound(key);
    const auto first = items_.begin() + index;
    const auto last = std::upper_bound(first, items_.end(), key,
                                       [](int32_t k, const Item& item) { return k < item.value; });
    count = static_cast<int>(last - first);
  }

  // The order is the keys', so texts cannot be placed by position.
  int Add(std::string_view /*text*/) { string_list_detail::ThrowSortedError(); }
  void Insert(int /*index*/, std::string_view /*text*/) { string_list_detail::ThrowSortedError(); }
  void Put(int /*index*/, std::string_view /*text*/) { string_list_detail::ThrowSortedError(); }

 private:
  int LowerBound(int32_t key) const {
    const auto it = std::lower_bound(items_.begin(), items_.end(), key,
                                     [](const Item& item, int32_t k) { return item.value < k; });
    return static_cast<int>(it - items_.begin());
  }
};

// A hash of a text in which A-Z and a-z count alike, eight bytes at a time: what
// TFStringListIndex files texts under, so that a text hashed beforehand (on another thread) is
// looked up without hashing it again. Setting bit 5 of every byte folds the letters' case, and
// makes some other bytes alike too ("@" and "`"), which only costs a comparison more.
inline uint64_t FoldedTextHash(std::string_view text) {
  constexpr uint64_t kFold = 0x2020202020202020u;
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
  const char* p = text.data();
  size_t n = text.size();
  uint64_t hash = n * kMultiplier;
  for (; n > 8; n -= 8, p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    hash = std::rotl((hash ^ (word | kFold)) * kMultiplier, 29);
  }
  // The last one to eight bytes.
  const uint64_t word = FirstEightBytes(std::string_view(p, n));
  hash = (hash ^ (word | kFold)) * kMultiplier;
  return hash ^ (hash >> 31);
}

// Looks texts up in a sorted TFStringList whatever their case, without lower-casing them first:
// Find(text) gives what IndexOf(LowerCase(text)) gives. It is a hash table of the list's texts,
// built again when a lookup finds the list changed. While the list changes between nearly every
// two lookups (a table that adds an item per row), lookups go to the list itself and the table
// is built only every few lookups.
template <class Ptr>
class TFStringListIndex {
 public:
  // `list` must outlive the index.
  explicit TFStringListIndex(const TFStringList<Ptr>& list) : list_(list) {}

  using ObjectType = typename TStringListBase<Ptr>::ObjectType;

  // The index of the item, or -1.
  int Find(std::string_view text) { return Find(text, FoldedTextHash(text)); }
  // The same for a text whose FoldedTextHash is `hash`.
  int Find(std::string_view text, uint64_t hash) {
    if (!list_.Sorted()) return FindInList(text);
    if (!built_ || version_ != list_.Version()) {
      if (++staleLookups_ < kStaleLookups) return FindInList(text);
      Build();
    }
    return FindBuilt(text, hash);
  }
  // The object of the item Find finds; nullptr when there is none.
  ObjectType* FindObject(std::string_view text, uint64_t hash) {
    const int index = Find(text, hash);
    return index < 0 ? nullptr : ObjectOf(index);
  }
  // The object of item `index` of the list.
  ObjectType* ObjectOf(int index) const {
    return built_ && version_ == list_.Version() ? objects_[static_cast<size_t>(index)]
                                                 : list_.Object(index);
  }

 private:
  static constexpr int kStaleLookups = 16;

  // A text of the list: the high half of its hash, its item, and its bytes in keys_. The texts
  // are kept together, apart from the list, so that a look-up reads little memory.
  struct Slot {
    uint32_t hash = 0;
    int32_t index = -1;
    uint32_t keyStart = 0;
    uint32_t keySize = 0;
  };

  int FindBuilt(std::string_view text, uint64_t hash) const {
    const auto high = static_cast<uint32_t>(hash >> 32);
    for (size_t i = SlotOf(hash); slots_[i].index >= 0; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.hash == high && SameFolded(Key(slot), text)) return slot.index;
    }
    return -1;
  }
  std::string_view Key(const Slot& slot) const {
    return std::string_view(keys_.data() + slot.keyStart, slot.keySize);
  }

  // The slot from the hash's high bits: short texts of digits, the names of unnamed planets,
  // differ in the low bits of FNV-1a too little.
  size_t SlotOf(uint64_t hash) const {
    return static_cast<size_t>((hash * 0x9E3779B97F4A7C15u) >> shift_);
  }

  // SameText, eight bytes at a time: a look-up compares a name of the report with a key of the
  // list, which differ in case in most rows.
  static bool SameFolded(std::string_view a, std::string_view b) {
    size_t n = a.size();
    if (n != b.size()) return false;
    const char* p = a.data();
    const char* q = b.data();
    for (; n > 8; n -= 8, p += 8, q += 8) {
      uint64_t x;
      uint64_t y;
      std::memcpy(&x, p, 8);
      std::memcpy(&y, q, 8);
      if (x != y && LowerCase8(x) != LowerCase8(y)) return false;
    }
    const uint64_t x = FirstEightBytes(std::string_view(p, n));
    const uint64_t y = FirstEightBytes(std::string_view(q, n));
    return x == y || LowerCase8(x) == LowerCase8(y);
  }
  // LoCase of each of eight bytes.
  static uint64_t LowerCase8(uint64_t x) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    const uint64_t seven = x & (0x7F * kOnes);
    // Bit 7 of a byte: its low seven bits are at least "A", and above "Z"; no carry crosses.
    const uint64_t fromA = seven + (0x80 - 'A') * kOnes;
    const uint64_t pastZ = seven + (0x80 - 'Z' - 1) * kOnes;
    const uint64_t upper = fromA & ~pastZ & ~x & (0x80 * kOnes);
    return x | upper >> 2;
  }

  int FindInList(std::string_view text) {
    lower_.assign(text);
    for (char& c : lower_) c = LoCase(c);
    return list_.IndexOf(lower_);
  }

  void Build() {
    const int count = list_.Count();
    size_t size = 16;
    while (size < static_cast<size_t>(count) * 2) size *= 2;
    slots_.assign(size, Slot{});
    mask_ = size - 1;
    shift_ = 64 - std::countr_zero(size);
    keys_.clear();
    objects_.resize(static_cast<size_t>(count));
    for (int item = 0; item < count; ++item) {
      const std::string& text = list_.Strings(item);
      objects_[static_cast<size_t>(item)] = list_.Object(item);
      // IndexOf(LowerCase(t)) only finds an item filed under the hash of its lower-cased text.
      const bool upper =
          std::any_of(text.begin(), text.end(), [](char c) { return c != LoCase(c); });
      if (upper && StrHash(LowerCase(text)) != list_.Hash(item)) continue;
      const uint64_t hash = FoldedTextHash(text);
      // Equal texts (a list that accepts them): the first is found.
      if (FindBuilt(text, hash) >= 0) continue;
      size_t i = SlotOf(hash);
      while (slots_[i].index >= 0) i = (i + 1) & mask_;
      slots_[i] = Slot{static_cast<uint32_t>(hash >> 32), item, static_cast<uint32_t>(keys_.size()),
                       static_cast<uint32_t>(text.size())};
      keys_ += text;
    }
    built_ = true;
    version_ = list_.Version();
    staleLookups_ = 0;
  }

  const TFStringList<Ptr>& list_;
  std::vector<Slot> slots_;
  std::string keys_;
  std::vector<ObjectType*> objects_;
  size_t mask_ = 0;
  int shift_ = 64;
  bool built_ = false;
  uint64_t version_ = 0;
  int staleLookups_ = 0;
  std::string lower_;
};

}  // namespace tovix
