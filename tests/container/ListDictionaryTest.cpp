#include <gtest/gtest.h>
#include "common/container/Dictionary.h"
#include "common/container/List.h"
#include "tests/container/ContainerTestSupport.h"

using namespace Test_ns;
using Base_ns::String_cl;
using Base_ns::SysError_cl;
using Container_ns::Dictionary_tl;
using Container_ns::List_tl;

namespace {

String_cl Joined(const List_tl<String_cl>& list)
{
    String_cl out;
    for (auto id = list.First(); !id.IsEmpty(); id = id.Next()) out += *id + L";";
    return out;
}

} // namespace

TEST(ListTest, KeepsValuesInOrderAndWalksBothWays)
{
    List_tl<String_cl> list;
    EXPECT_TRUE(list.First().IsEmpty());
    EXPECT_EQ(list.Count(), 0);
    list.PushBack(L"a");
    auto b = list.PushBack(L"b");
    list.PushBack(L"c");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Joined(list), L"a;b;c;");
    EXPECT_EQ(b.Prev().Data(), L"a");
    EXPECT_EQ(b.Next()->size(), 1u);
    EXPECT_TRUE(list.Last().Next().IsEmpty());
    EXPECT_TRUE(list.First().Prev().IsEmpty());
    b.Data() = L"B";
    String_cl ranged;
    for (const String_cl& s : list) ranged += s;
    EXPECT_EQ(ranged, L"aBc");

    // Copies are deep.
    List_tl<String_cl> copy(list);
    copy.First().Data() = L"x";
    EXPECT_EQ(Joined(list), L"a;B;c;");
    EXPECT_EQ(Joined(copy), L"x;B;c;");

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.First().IsEmpty());
    list.PushBack(L"d");
    EXPECT_EQ(Joined(list), L"d;");
    list = copy;
    EXPECT_EQ(Joined(list), L"x;B;c;");
}

TEST(ListTest, EmptyIdentifierCannotBeUsed)
{
    List_tl<int> list;
    List_tl<int>::Identifier_cl id = list.First();
    SysError_cl e = CatchSys([&] { id.Data(); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), L"空ID不能操作。");
    EXPECT_EQ(e.ClassName(), L"Identifier_cl");
    EXPECT_EQ(e.File(), L"List");
    EXPECT_EQ(CatchSys([&] { id.Next(); }).Code(), 1);
}

TEST(DictionaryTest, FirstValueWinsAndKeysAreOrdinal)
{
    Dictionary_tl<int> d;
    EXPECT_TRUE(d.Insert(L"DEBUG|WIN32", 1));
    EXPECT_FALSE(d.Insert(L"DEBUG|WIN32", 2));
    EXPECT_EQ(d.Get(L"DEBUG|WIN32"), 1);
    // Case matters: another key.
    EXPECT_EQ(d.Find(L"Debug|Win32"), nullptr);
    EXPECT_TRUE(d.Insert(L"Debug|Win32", 3));
    EXPECT_TRUE(d.Insert(L"中文", 4));
    EXPECT_TRUE(d.Insert(L"Z", 5));
    EXPECT_EQ(d.Count(), 4);

    // Code-unit order: upper case before lower case, CJK after ASCII.
    String_cl order;
    for (const auto& pair : d) order += pair.first + L",";
    EXPECT_EQ(order, L"DEBUG|WIN32,Debug|Win32,Z,中文,");

    *d.Find(L"Z") = 50;
    const Dictionary_tl<int>& cd = d;
    EXPECT_EQ(*cd.Find(L"Z"), 50);
    EXPECT_EQ(cd.Find(L"z"), nullptr);
}

TEST(DictionaryTest, GetOfAbsentKeyRaises)
{
    Dictionary_tl<String_cl> d;
    d.Insert(L"a", L"x");
    SysError_cl e = CatchSys([&] { d.Get(L"b"); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), L"根据关键字无法找到数据。");
    EXPECT_EQ(e.ClassName(), L"Dictionary_tl");
    EXPECT_EQ(e.File(), L"Dictionary");
    EXPECT_EQ(e.Note(), L"b");
    EXPECT_EQ(d.Get(L"a"), L"x");
}
