// Arrays: bounds, strides, storage kinds, Null conversion, and the list view over an array.
#include <climits>

#include <gtest/gtest.h>

#include "runtime/core/RtCore.h"
#include "runtime/lib/ClassRegistry.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtList.h"
#include "tests/runtime/Raises.h"

namespace zemtra {
namespace {

using testing::raised;

std::shared_ptr<RtArray> objectArray(std::vector<int32_t> sizes, const Value& defaultValue) {
    auto array = std::make_shared<RtArray>();
    array->initObjects(sizes, defaultValue, u"");
    return array;
}

// Every access form must reject the slot with the same reason, and a failed write changes nothing.
TEST(ArrayTest, EveryAccessFormRejectsASlotOutsideAndChangesNothing) {
    for (const int32_t index : {-1, 4, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        const auto words = objectArray({4}, Value(u"w"));
        const auto bytes = RtArray::ofBytes({1, 2, 3, 4});
        const String reason = u"Out of bounds. Index=" + decimal(index) + u" Length=4";
        for (const auto& access : std::vector<std::function<void()>>{
                 [&] { words->getObjectFast(index); },
                 [&] { words->setObjectFast(index, Value(u"x")); },
                 [&] { words->getObjectFastN(index); },
                 [&] { words->setObjectFastN(index, Value::ofInt(1)); }, [&] { words->Get(index); },
                 [&] { words->getObject({index}); },
                 [&] { words->setObject({index}, Value(u"x")); },
                 [&] { bytes->setByteFast(index, Value::ofInt(9)); }, [&] { bytes->Get(index); }}) {
            EXPECT_EQ(raised(access).reason(), reason);
        }
        for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(words->getObjectFast(i).description(), u"w");
        EXPECT_EQ(bytes->bytesData()->bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    }
}

TEST(ArrayTest, StridesLayOutRowsWithTheLastIndexFastest) {
    // A 2-by-3 array indexed [row][column] is created with the sizes (3, 2).
    const auto grid = objectArray({3, 2}, Value::ofInt(0));
    EXPECT_EQ(grid->Length(), 6);
    EXPECT_EQ(grid->ranks(), (std::vector<int32_t>{3, 1}));
    grid->setObject({1, 2}, Value(u"corner"));
    EXPECT_EQ(grid->getObjectFast(5).description(), u"corner");
    grid->setObject2FastN(1, 0, Value::ofInt(7));
    EXPECT_EQ(grid->getObjectFastN(3).number()->toInt(), 7);
    const auto cube = objectArray({2, 3, 4}, Value::ofInt(0));
    cube->setObject({3, 2, 1}, Value(u"x"));  // 6*3 + 2*2 + 1
    EXPECT_EQ(cube->getObjectFast(23).description(), u"x");
}

TEST(ArrayTest, SlotArithmeticCannotWrapAroundToAValidSlot) {
    const auto grid = objectArray({3, 2}, Value::ofInt(0));
    // 3 * 1431655765 + 2 is 1 in 32-bit arithmetic.
    EXPECT_EQ(raised([&] {
                  grid->getObject({1431655765, 2});
              }).reason(),
              u"Out of bounds. Index=4294967297 Length=6");
    EXPECT_FALSE(raised([&] { grid->getObject({1, 2, 0}); }).reason().empty());
}

TEST(ArrayTest, InvalidSizesRaiseAndLeaveTheArrayAsItWas) {
    const auto array = objectArray({2}, Value(u"kept"));
    EXPECT_EQ(raised([&] { array->initObjects({-1}, Value(u""), u""); }).reason(),
              u"Invalid array size: -1");
    EXPECT_FALSE(raised([&] { array->initBytes({65536, 65536}); }).reason().empty());
    EXPECT_EQ(array->Length(), 2);
    EXPECT_EQ(array->getObjectFast(1).description(), u"kept");
}

// The word list and the memory (arrays of 2075 texts and 1100 numbers) are filled in the module's
// file tests; here a class name fills the slots.
TEST(ArrayTest, ClassNamesMakeOneInstancePerSlot) {
    auto lists = std::make_shared<RtArray>();
    lists->initObjects({3}, Value(), u"RtList");
    const auto first = lists->getObjectFast(0).as<RtList>();
    ASSERT_TRUE(first);
    EXPECT_NE(first, lists->getObjectFast(1).as<RtList>());
    EXPECT_EQ(raised([&] { lists->initObjects({3}, Value(), u"NoSuchClass"); }).reason(),
              u"Unknown class: NoSuchClass");
}

TEST(ArrayTest, NullTravelsAsTheMarkerOnlyThroughTheObjectOperations) {
    const auto array = objectArray({2}, Value(u""));
    array->setObjectFast(0, Value());
    EXPECT_TRUE(array->getObjectFast(0).isNull());
    EXPECT_TRUE(array->getObjectFastN(0).isNullMarker());
    array->setObjectFastN(1, Value::ofFloat(1.5f));
    EXPECT_EQ(array->getObjectFastN(1).number()->tag(), 'f');

    const auto literal = RtArray::ofValues({Value(u"a"), Value(), Value::ofInt(3)});
    EXPECT_TRUE(literal->objectsData()->items[1].isNullMarker());
    EXPECT_TRUE(literal->getObjectFast(1).isNull());
}

TEST(ArrayTest, ByteArraysKeepLowBitsAndReadUnsignedThroughGet) {
    auto bytes = std::make_shared<RtArray>();
    const Value numbers[] = {Value::ofInt(255), Value::ofInt(263), Value::ofInt(-1), Value(u"65")};
    bytes->initBytesWithData(numbers);
    EXPECT_EQ(bytes->bytesData()->bytes, (std::vector<uint8_t>{255, 7, 255, 65}));
    EXPECT_EQ(bytes->Get(0).number()->toInt(), 255);
    EXPECT_EQ(bytes->getByteFast(0), -1);
    bytes->setByteFast(1, Value::ofInt(300));
    EXPECT_EQ(bytes->getByteFast(1), 44);

    auto grid = std::make_shared<RtArray>();
    grid->initBytes({4, 2});
    grid->setByte({1, 3}, Value::ofInt(9));
    EXPECT_EQ(grid->bytesData()->bytes[7], 9);

    // Object operations see no slots in a byte array, and byte operations none in an object array.
    EXPECT_EQ(raised([&] { bytes->getObjectFast(0); }).reason(),
              u"Out of bounds. Index=0 Length=0");
    EXPECT_EQ(raised([&] { objectArray({1}, Value(u""))->getByteFast(0); }).reason(),
              u"Out of bounds. Index=0 Length=0");
}

TEST(ArrayTest, ArrayToListSharesTheStorageBothWays) {
    const auto array = objectArray({3}, Value(u""));
    const auto list = ArrayToList(*array).as<RtList>();
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->IsReadOnly());
    list->Set(1, Value(u"from list"));
    EXPECT_EQ(array->getObjectFast(1).description(), u"from list");
    array->setObjectFast(2, Value());
    EXPECT_TRUE(list->Get(2).isNull());
    list->Add(Value(u"grown"));
    EXPECT_EQ(array->getObjectFast(3).description(), u"grown");

    EXPECT_EQ(raised([] { ArrayToList(*RtArray::ofBytes({1})); }).reason(),
              u"Cannot convert array of bytes to List.");
    EXPECT_TRUE(ArrayToList(RtArray()).isNull());
}

}  // namespace
}  // namespace zemtra
