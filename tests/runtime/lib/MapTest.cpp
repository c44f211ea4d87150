// Maps: key equality, read-only maps, uninitialized maps, convertToMap: and createMap:.
#include <algorithm>

#include <gtest/gtest.h>

#include "runtime/core/RtCore.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtMap.h"
#include "runtime/lib/ValueDictionary.h"
#include "tests/runtime/Raises.h"

namespace zemtra {
namespace {

using testing::raised;

std::shared_ptr<ValueDictionary> dictionary(
    std::initializer_list<std::pair<const Value, Value>> entries) {
    return std::make_shared<ValueDictionary>(ValueTable(entries));
}

TEST(MapTest, EqualKeysAreOneEntryAcrossNumberTagsAndNullValuesAreKept) {
    const auto map = RtMap::create();
    map->Put(Value::ofInt(1), Value(u"int"));
    map->Put(Value::ofDouble(1.0), Value(u"double"));
    map->Put(Value(u"k"), Value());
    EXPECT_EQ(map->Size(), 2);
    EXPECT_EQ(map->Get(Value::ofLong(1)).description(), u"double");
    // A Null value is an entry, told apart from a missing key by ContainsKey only.
    EXPECT_TRUE(map->ContainsKey(Value(u"k")));
    EXPECT_FALSE(map->ContainsKey(Value(u"absent")));
    EXPECT_TRUE(map->Get(Value(u"k")).isNull());
    EXPECT_EQ(map->GetDefault(Value(u"k"), Value(u"dflt")).description(), u"dflt");
    map->Remove(Value::ofInt(1));
    EXPECT_EQ(map->Size(), 1);
    EXPECT_TRUE(map->Values()->Get(0).isNull());
}

TEST(MapTest, UninitializedMapRaisesOnlyForPutAndGet) {
    RtMap map;
    EXPECT_EQ(raised([&] { map.Get(Value(u"k")); }).reason(), u"Object not initialized (Map)");
    map.Remove(Value(u"k"));
    map.Clear();
    EXPECT_FALSE(map.ContainsKey(Value(u"k")));
    EXPECT_EQ(map.Keys()->Size(), 0);
}

TEST(MapTest, KeysAndValuesListTheEntriesInOneOrder) {
    const auto map = RtMap::create();
    for (int32_t i = 0; i < 50; ++i) map->Put(Value(decimal(i)), Value::ofInt(i));
    const auto keys = map->Keys();
    const auto values = map->Values();
    ASSERT_EQ(keys->Size(), 50);
    for (int32_t i = 0; i < 50; ++i)
        EXPECT_EQ(keys->Get(i).description(), values->Get(i).description());
    // The lists are copies: changing them leaves the map alone.
    keys->Clear();
    EXPECT_EQ(map->Size(), 50);
}

// A converted dictionary is read-only all the way down and is handed back as it was; a modifiable
// map gives a snapshot.
TEST(MapTest, ConvertedDictionariesAreReadOnlyMapsAndToDictionaryGivesSnapshots) {
    const auto inner = dictionary({{Value(u"depth"), Value::ofInt(2)}});
    const auto source =
        dictionary({{Value(u"a"), Value::ofInt(1)}, {Value(u"inner"), Value(inner)}});
    const auto map = RtMap::convertToMap(source);
    EXPECT_TRUE(map->IsReadOnly());
    map->Put(Value(u"b"), Value::ofInt(2));
    map->Remove(Value(u"a"));
    map->Clear();
    EXPECT_EQ(map->Size(), 2);
    EXPECT_TRUE(map->Values()->IsReadOnly());
    const auto nested = map->Get(Value(u"inner")).as<RtMap>();
    ASSERT_TRUE(nested);
    EXPECT_TRUE(nested->IsReadOnly());
    EXPECT_EQ(nested->description(), u"(read only map) {\n    depth = 2;\n}");
    EXPECT_TRUE(source->find(Value(u"inner"))->as<ValueDictionary>()) << "the source is untouched";
    EXPECT_EQ(nested->ToDictionary().object(), inner);

    const auto modifiable = RtMap::create();
    modifiable->Put(Value(u"a"), Value::ofInt(1));
    const auto snapshot = modifiable->ToDictionary().as<ValueDictionary>();
    modifiable->Put(Value(u"b"), Value::ofInt(2));
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->entries.size(), 1u);
}

TEST(MapTest, CreateMapPairsAlternatingElementsAndIgnoresALoneLastKey) {
    const Value elements[] = {Value(u"a"), Value::ofInt(1), Value(u"b"), Value::ofInt(2),
                              Value(u"lone")};
    const auto map = createMap(elements);
    EXPECT_EQ(map->Size(), 2);
    EXPECT_EQ(map->Get(Value(u"b")).description(), u"2");
}

// Describing stays cheap for any shape of collections: lists that share one another many times
// over (each held twice by the one before: 2^24 paths) and maps nested far deeper than any stack
// allows are cut short, while the outer levels still read as usual.
TEST(MapTest, SharedOrDeeplyNestedCollectionsDescribeInBoundedWork) {
    auto shared = RtList::of({Value(u"leaf")});
    for (int level = 0; level < 24; ++level) shared = RtList::of({Value(shared), Value(shared)});
    const String sharedText = shared->description();
    EXPECT_TRUE(sharedText.starts_with(u"<RtList: (\n    <RtList: (\n"));
    EXPECT_LT(sharedText.size(), 10'000'000u);

    auto nested = std::make_shared<ValueDictionary>();
    for (int level = 0; level < 50'000; ++level) {
        auto outer = std::make_shared<ValueDictionary>();
        outer->entries.insert_or_assign(Value(u"in"), Value(std::move(nested)));
        nested = std::move(outer);
    }
    EXPECT_TRUE(nested->description().starts_with(u"{\n    in = {\n"));
    // Dropping the chain one level at a time: its own destructors would recurse as deep.
    while (nested) {
        const Value* inner = nested->find(Value(u"in"));
        auto next = inner ? inner->as<ValueDictionary>() : nullptr;
        nested->entries.clear();
        nested = std::move(next);
    }
}

TEST(MapTest, DictionariesHoldingThemselvesCompareWithoutEndlessRecursion) {
    const auto first = std::make_shared<ValueDictionary>();
    const auto second = std::make_shared<ValueDictionary>();
    first->entries.insert_or_assign(Value(u"self"), Value(first));
    second->entries.insert_or_assign(Value(u"self"), Value(second));
    EXPECT_TRUE(Value(first).equals(Value(second)));
    // Through a list that holds the dictionary back.
    const auto list = RtList::of({Value(first)});
    second->entries.insert_or_assign(Value(u"self"), Value(list));
    first->entries.insert_or_assign(Value(u"self"), Value(RtList::of({Value(second)})));
    EXPECT_TRUE(Value(first).equals(Value(second)));
    second->entries.insert_or_assign(Value(u"more"), Value::ofInt(2));
    EXPECT_FALSE(Value(first).equals(Value(second)));
    first->entries.clear();
    second->entries.clear();
}

}  // namespace
}  // namespace zemtra
