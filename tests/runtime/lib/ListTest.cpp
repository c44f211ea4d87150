// Lists: shared storage, read-only lists, Null elements, index errors and sorting.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "runtime/core/Record.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtMap.h"
#include "tests/runtime/Raises.h"

namespace zemtra {
namespace {

using testing::raised;
using testing::texts;

// An uninitialized list raises with the platform's class name; Initialize2 shares the other
// list's sequence rather than copying it.
TEST(ListTest, UninitializedListsRaiseAndInitialize2SharesTheSequence) {
    RtList list;
    EXPECT_EQ(raised([&] { list.Add(Value(u"a")); }).reason(),
              u"Object was not initialized (NSArray)");
    const auto first = RtList::create();
    list.Initialize2(first);
    first->Add(Value(u"a"));
    list.Add(Value(u"b"));
    EXPECT_EQ(texts(*first), (std::vector<String>{u"a", u"b"}));
}

TEST(ListTest, NullIsStoredAsTheMarkerAndFoundByIndexOf) {
    const auto list = RtList::of({Value(u"x")});
    list->Add(Value());
    list->InsertAt(0, Value());
    list->Set(1, Value());
    EXPECT_EQ(list->IndexOf(Value()), 0);
    EXPECT_TRUE(list->Get(2).isNull());
    for (const Value& item : list->sequence().items) EXPECT_TRUE(item.isNullMarker());
    EXPECT_EQ(list->IndexOf(Value(u"x")), -1);
    // Boxed numbers are found by value, whatever their tag.
    list->Add(Value::ofInt(1));
    EXPECT_EQ(list->IndexOf(Value::ofDouble(1.0)), 3);
}

TEST(ListTest, IndexErrorsRaiseAndLeaveTheListUnchanged) {
    const auto list = RtList::of({Value(u"a"), Value(u"b")});
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { list->Get(-1); }, [&] { list->Get(2); }, [&] { list->Set(2, Value(u"x")); },
             [&] { list->RemoveAt(-1); }, [&] { list->InsertAt(3, Value(u"x")); },
             [&] { list->AddAllAt(-1, RtList::of({Value(u"x")})); }}) {
        EXPECT_EQ(raised(operation).name(), u"RangeError");
    }
    EXPECT_EQ(texts(*list), (std::vector<String>{u"a", u"b"}));
    list->InsertAt(2, Value(u"c"));
    list->RemoveAt(0);
    EXPECT_EQ(texts(*list), (std::vector<String>{u"b", u"c"}));
}

TEST(ListTest, AddAllKeepsOrderAndCopesWithAddingItself) {
    const auto list = RtList::of({Value(u"a"), Value(u"d")});
    list->AddAllAt(1, RtList::of({Value(u"b"), Value(u"c")}));
    EXPECT_EQ(texts(*list), (std::vector<String>{u"a", u"b", u"c", u"d"}));
    list->AddAll(list);
    EXPECT_EQ(texts(*list), (std::vector<String>{u"a", u"b", u"c", u"d", u"a", u"b", u"c", u"d"}));
}

// Each repetition is cut where it starts: held twice, a list must not be described 2^depth times.
TEST(ListTest, AListHoldingItselfIsDescribedWithTheRepetitionCut) {
    const auto list = RtList::of({Value(u"a")});
    list->Add(Value(list));
    list->Add(Value(list));
    EXPECT_EQ(list->description(),
              u"<RtList: (\n    a,\n    <RtList: (...)>,\n    <RtList: (...)>\n)>");
    list->Clear();  // breaks the reference cycle
}

TEST(ListTest, ListsHoldingThemselvesCompareStructurallyWithoutEndlessRecursion) {
    const auto first = RtList::of({Value(u"a")});
    const auto second = RtList::of({Value(u"a")});
    first->Add(Value(first));
    second->Add(Value(second));
    EXPECT_TRUE(first->isEqual(Value(second)));
    // Two lists holding each other have the same endless shape as one holding itself.
    const auto third = RtList::of({Value(u"a")});
    const auto fourth = RtList::of({Value(u"a"), Value(third)});
    third->Add(Value(fourth));
    EXPECT_TRUE(third->isEqual(Value(first)));
    // A difference behind the cycle still counts.
    const auto other = RtList::of({Value(u"b")});
    other->Add(Value(other));
    EXPECT_FALSE(first->isEqual(Value(other)));
    for (const auto& list : {first, second, third, fourth, other}) list->Clear();
}

// Lists that share one another many times over compare once per pair, not once per path: forty
// levels, each holding the next twice, would otherwise take 2^40 comparisons.
TEST(ListTest, SharedListsCompareOncePerPair) {
    auto first = RtList::of({Value(u"leaf")});
    auto second = RtList::of({Value(u"leaf")});
    auto different = RtList::of({Value(u"other")});
    for (int level = 0; level < 40; ++level) {
        first = RtList::of({Value(first), Value(first)});
        second = RtList::of({Value(second), Value(second)});
        different = RtList::of({Value(different), Value(different)});
    }
    EXPECT_TRUE(first->isEqual(Value(second)));
    EXPECT_FALSE(first->isEqual(Value(different)));
    // A pair found equal in one comparison is not taken for equal in the next.
    EXPECT_FALSE(RtList::of({Value(first), Value(u"a")})
                     ->isEqual(Value(RtList::of({Value(second), Value(u"b")}))));
}

TEST(ListTest, ReadOnlyListsRejectEveryChange) {
    const auto list = RtList::wrapping(
        std::make_shared<ValueSequence>(std::vector<Value>{Value(u"b"), Value(u"a")}, false));
    EXPECT_TRUE(list->IsReadOnly());
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { list->Add(Value(u"x")); }, [&] { list->Set(0, Value(u"x")); },
             [&] { list->RemoveAt(0); }, [&] { list->Clear(); },
             [&] { list->InsertAt(0, Value()); }, [&] { list->Sort(true); },
             [&] { list->AddAll(RtList::of({Value(u"x")})); }}) {
        EXPECT_EQ(raised(operation).name(), u"ReadOnlyError");
    }
    EXPECT_EQ(texts(*list), (std::vector<String>{u"b", u"a"}));
}

// Numbers numerically (10 after 9), exact across tags above 2^53, NaN last; texts by code unit
// with canonical equivalents equal (a stable sort keeps their order); another kind raises
// before anything moves.
TEST(ListSortTest, NumbersAndTextsSortByTheirOwnOrder) {
    const auto numbers = RtList::of({Value::ofInt(10), Value::ofDouble(std::nan("")),
                                     Value::ofDouble(9.5), Value::ofLong(9007199254740993),
                                     Value::ofDouble(9007199254740992.0), Value::ofShort(-4)});
    numbers->Sort(true);
    EXPECT_EQ(texts(*numbers), (std::vector<String>{u"-4", u"9.5", u"10", u"9007199254740992",
                                                    u"9007199254740993", u"nan"}));
    numbers->Sort(false);
    EXPECT_EQ(texts(*numbers)[0], u"nan");

    const auto list =
        RtList::of({Value(u"b"), Value(u"a"), Value(u"B"), Value(u"\u00e9"), Value(u"e\u0301z")});
    list->Sort(true);
    EXPECT_EQ(texts(*list), (std::vector<String>{u"B", u"a", u"b", u"\u00e9", u"e\u0301z"}));
    const auto folded = RtList::of({Value(u"b"), Value(u"A"), Value(u"a")});
    folded->SortCaseInsensitive(false);
    EXPECT_EQ(folded->Get(0).description(), u"b");

    const auto mixed =
        RtList::of({Value::ofInt(3), Value::ofInt(1), Value(u"two"), Value::ofInt(0)});
    EXPECT_EQ(raised([&] { mixed->Sort(true); }).reason(), u"Cannot compare two with 3");
    EXPECT_EQ(texts(*mixed), (std::vector<String>{u"3", u"1", u"two", u"0"}));
    EXPECT_FALSE(raised([] { RtList::of({Value(u"a"), Value()})->Sort(true); }).reason().empty());
}

class Period final : public Object, public Record {
  public:
    Period(int32_t days, String name) : days_(days), name_(std::move(name)) {}
    void visitFields(FieldVisitor& visitor) const override {
        visitor.field(u"_days", days_);
        visitor.field(u"_name", Value(name_));
    }
    String description() const override { return name_; }

  private:
    int32_t days_;
    String name_;
};

TEST(ListSortTest, RecordsSortByANamedField) {
    const auto list = RtList::of({Value(std::make_shared<Period>(30, u"b")),
                                  Value(std::make_shared<Period>(7, u"C")),
                                  Value(std::make_shared<Period>(365, u"a"))});
    list->SortType(u"days", true);
    EXPECT_EQ(texts(*list), (std::vector<String>{u"C", u"b", u"a"}));
    list->SortType(u"_name", true);

    EXPECT_EQ(texts(*list), (std::vector<String>{u"C", u"a", u"b"}));
    EXPECT_EQ(raised([&] { list->SortType(u"weeks", true); }).reason(),
              u"Cannot read field weeks of C");
}

}  // namespace
}  // namespace zemtra
