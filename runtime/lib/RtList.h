// The growable, ordered list of the value model: a wrapper around a sequence (ValueSequence).
//
// Several lists (and object arrays, through ArrayToList) may wrap one sequence; a change through
// any of them is seen by all. A list over a fixed sequence is read-only: every change raises and
// leaves it unchanged. Null elements are stored as the null marker and read back as Null.
// Every operation except Initialize, Initialize2 and IsInitialized raises "Object was not
// initialized (NSArray)" on an uninitialized list; an index outside the list raises a range
// error. Errors leave the list unchanged. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/core/RtObjectWrapper.h"
#include "runtime/lib/ValueSequence.h"

namespace zemtra {

class RtArray;

class RtList final : public RtObjectWrapper {
  public:
    static constexpr StringView kClassName = u"RtList";
    String className() const override { return String(kClassName); }
    const ClassInfo* getClass() const override { return &classInfoOf<ValueSequence>(); }
    const MethodTable* methods() const override;

    // A new initialized, empty list; a list holding the values; a list wrapping `sequence`.
    static std::shared_ptr<RtList> create();
    static std::shared_ptr<RtList> of(std::vector<Value> values);
    static std::shared_ptr<RtList> wrapping(std::shared_ptr<ValueSequence> sequence);

    // Wraps a new, empty, growable sequence.
    void Initialize();
    // Wraps the very sequence that `other` wraps (no copy); an uninitialized or absent `other`
    // leaves this list uninitialized.
    void Initialize2(const std::shared_ptr<RtList>& other);
    bool IsReadOnly() const { return !sequence().growable(); }

    void Clear();
    void Add(const Value& value);
    // Appends every element of `other` in order (a list may add itself: it is then doubled).
    void AddAll(const std::shared_ptr<RtList>& other);
    // Inserts the elements of `other` at index, index+1, ... (0 <= index <= Size).
    void AddAllAt(int32_t index, const std::shared_ptr<RtList>& other);
    int32_t Size() const { return static_cast<int32_t>(sequence().items.size()); }
    void RemoveAt(int32_t index);
    // Inserts before `index`; index == Size appends.
    void InsertAt(int32_t index, const Value& value);
    Value Get(int32_t index) const;
    void Set(int32_t index, const Value& value);
    // Index of the first element equal to the value (Null finds the null marker), -1 when none.
    int32_t IndexOf(const Value& value) const;

    // Sorting. The first element decides the kind: boxed numbers compare numerically (exactly,
    // across integer and floating-point tags; NaN after every other number), anything else as
    // text in character-code order with canonically equivalent texts equal. An element of
    // another kind raises before anything moves. Equal elements may end in any order.
    void Sort(bool ascending);
    void SortCaseInsensitive(bool ascending);
    // Sorts records by the named field (read by name, with or without its leading underscore);
    // the field's value in the first element decides the kind of comparison.
    void SortType(const String& field, bool ascending);
    void SortTypeCaseInsensitive(const String& field, bool ascending);

    // The wrapped sequence (raises when uninitialized); elements hold the null marker for Null.
    ValueSequence& sequence() const { return static_cast<ValueSequence&>(*object()); }

  private:
    std::vector<Value>& growableItems() const;
    void sortBy(const String* field, bool ascending, bool ignoreCase);
};

// RtCore's ArrayToList: (kept here because the runtime core cannot depend on the library): a new
// list over the array's own object storage (shared, no copy). A byte array raises "Cannot convert
// array of bytes to List."; an array without storage gives Null.
Value ArrayToList(const RtArray& array);

}  // namespace zemtra
