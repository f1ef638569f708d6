#include <gtest/gtest.h>
#include "tests/container/ContainerTestSupport.h"

using namespace Test_ns;
using Base_ns::String_cl;
using Base_ns::SysError_cl;
using Id = RecPack_cl::Identifier_cl;

namespace {

void ExpectListError(const SysError_cl& e, int code, const wchar_t* message, const wchar_t* cls = L"RecPack_cl")
{
    EXPECT_EQ(e.Code(), code);
    EXPECT_EQ(e.Message(), message);
    EXPECT_EQ(e.ClassName(), cls);
    EXPECT_EQ(e.File(), L"DList");
    EXPECT_GT(e.Line(), 0);
}

} // namespace

TEST(DListSerialTest, NumbersStartAtOneAreNeverReusedAndRestartAfterClear)
{
    RecPack_cl pack;
    EXPECT_EQ(pack.LastSerial(), 0u);
    uint32_t a = pack.Add(L"a").Serial();
    uint32_t b = pack.Add(L"b").Serial();
    Id c = pack.Add(L"c");
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_EQ(c.Serial(), 3u);

    // Erasing the newest node must not hand its number out again.
    pack.Erase(c);
    EXPECT_EQ(pack.Add(L"d").Serial(), 4u);
    EXPECT_EQ(pack.LastSerial(), 4u);
    EXPECT_EQ(pack.InsertNewBefore(pack.First()).Serial(), 5u);
    EXPECT_EQ(pack.PushBackNew().Serial(), 6u);

    pack.Clear();
    EXPECT_EQ(pack.LastSerial(), 0u);
    EXPECT_EQ(pack.Count(), 0);
    EXPECT_EQ(pack.Add(L"e").Serial(), 1u);
}

TEST(DListSerialTest, FromSerialFindsBindsAndRefusesUnknownNumbers)
{
    RecPack_cl pack;
    pack.Add(L"a", 10);
    Id b = pack.Add(L"b", 20);
    pack.Add(L"c", 30);

    Id none = pack.FromSerial(0);  // no error for 0
    EXPECT_TRUE(none.IsEmpty());

    Id found = pack.FromSerial(2);
    EXPECT_EQ(found->value, 20);
    EXPECT_TRUE(found == b);
    EXPECT_EQ(b.References(), 2);

    found.Reset();
    pack.Erase(b);
    SysError_cl e = CatchSys([&] { pack.FromSerial(2); });
    ExpectListError(e, 23, L"序列号不正确。");
    e = CatchSys([&] { pack.FromSerial(99); });
    EXPECT_EQ(e.Code(), 23);
}

TEST(DListEraseTest, OnlyIdentifierMayEraseAndIsEmptiedAfterwards)
{
    RecPack_cl pack;
    pack.Add(L"a");
    Id b = pack.Add(L"b");
    pack.Add(L"c");
    pack.ClearModifiedFlags();

    Id other = b;
    SysError_cl e = CatchSys([&] { pack.Erase(b); });
    ExpectListError(e, 27, L"该节点还在使用，无法删除。");
    EXPECT_EQ(pack.Count(), 3);
    EXPECT_EQ(Names(pack), L"a,b,c");
    EXPECT_FALSE(b.IsEmpty());
    EXPECT_EQ(b.References(), 2);
    EXPECT_EQ(pack.Modified(), 0);
    EXPECT_EQ(pack.freed, 0);

    other.Reset();
    pack.Erase(b);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.Serial(), 0u);
    EXPECT_EQ(pack.Count(), 2);
    EXPECT_EQ(Names(pack), L"a,c");
    EXPECT_EQ(pack.Modified(), 1);
    EXPECT_EQ(pack.freed, 1);

    // Head and tail go as cleanly as a middle node.
    Id head = pack.First();
    pack.Erase(head);
    Id tail = pack.Last();
    pack.Erase(tail);
    EXPECT_EQ(pack.Count(), 0);
    EXPECT_TRUE(pack.First().IsEmpty());
    EXPECT_TRUE(pack.Last().IsEmpty());
    EXPECT_EQ(pack.freed, 3);
}

TEST(DListClearTest, ReferencedNodeStopsClearBeforeAnythingIsFreed)
{
    RecPack_cl pack;
    pack.Add(L"a", 1);
    pack.Add(L"b", 2);
    Id c = pack.Add(L"c", 3);
    pack.Add(L"d", 4);

    SysError_cl e = CatchSys([&] { pack.Clear(); });
    ExpectListError(e, 29, L"指向节点的访问ID没有全部释放之前不能删除数据。(数据已经被破坏)");
    // Every node is still reachable and whole, including those before c.
    EXPECT_EQ(pack.freed, 0);
    EXPECT_EQ(pack.Count(), 4);
    EXPECT_EQ(Names(pack), L"a,b,c,d");
    EXPECT_EQ(pack.At(0)->value, 1);
    EXPECT_EQ(c->value, 3);
    EXPECT_EQ(pack.LastSerial(), 4u);

    c.Reset();
    pack.ClearModifiedFlags();
    pack.Clear();
    EXPECT_EQ(pack.freed, 4);
    EXPECT_EQ(pack.made, 4);
    EXPECT_EQ(pack.Count(), 0);
    EXPECT_EQ(pack.Modified(), 1);
}

TEST(DListIdentifierTest, ReferencesFollowCopiesAssignmentsAndDestruction)
{
    RecPack_cl pack;
    Id a = pack.Add(L"a");
    Id b = pack.Add(L"b");
    EXPECT_EQ(a.References(), 1);
    {
        Id copy = a;
        EXPECT_EQ(a.References(), 2);
        copy = copy;  // self-assignment keeps the one reference
        EXPECT_EQ(a.References(), 2);
        copy = b;
        EXPECT_EQ(a.References(), 1);
        EXPECT_EQ(b.References(), 2);
        copy = a;  // re-pointing between two ids of the same node
        Id same = a;
        copy = same;
        EXPECT_EQ(a.References(), 3);
    }
    EXPECT_EQ(a.References(), 1);
    EXPECT_EQ(b.References(), 1);

    // Walking creates and drops ids without leaving references behind.
    for (Id id = pack.First(); !id.IsEmpty(); id = id.Next()) {
    }
    EXPECT_EQ(a.References(), 1);
    EXPECT_EQ(b.References(), 1);
    a.Reset();
    b.Reset();
    pack.Clear();
    EXPECT_EQ(pack.freed, 2);
}

TEST(DListIdentifierTest, PositionsNeighboursAndEquality)
{
    RecPack_cl pack, other;
    Id empty, empty2;
    EXPECT_EQ(empty.Index(), -1);
    EXPECT_TRUE(empty == empty2);
    EXPECT_TRUE(pack.At(0).IsEmpty());

    Id a = pack.Add(L"a");
    Id b = pack.Add(L"b");
    Id c = pack.Add(L"c");
    EXPECT_EQ(a.Index(), 0);
    EXPECT_EQ(c.Index(), 2);
    EXPECT_TRUE(c.Next().IsEmpty());
    EXPECT_TRUE(a.Prev().IsEmpty());
    EXPECT_TRUE(a.Next() == b);
    EXPECT_TRUE(pack.At(2) == c);
    EXPECT_TRUE(pack.At(3).IsEmpty());
    EXPECT_TRUE(empty != a);
    // The same serial in another container is another node.
    Id x = other.Add(L"a");
    EXPECT_EQ(x.Serial(), a.Serial());
    EXPECT_FALSE(a == x);
}

TEST(DListIdentifierTest, EmptyAndUnregisteredIdentifiersAreRefused)
{
    RecPack_cl pack;
    Id a = pack.Add(L"a");
    Id empty;
    SysError_cl e = CatchSys([&] { empty.Data(); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), L"这里不能使用空ID。");
    EXPECT_EQ(e.ClassName(), L"DList_tl::Identifier_cl");
    EXPECT_EQ(e.File(), L"DList");
    EXPECT_EQ(CatchSys([&] { pack.Erase(empty); }).Code(), 1);
    EXPECT_EQ(pack.Count(), 1);

    // An unregistered identifier neither holds its node nor may be used.
    Id loose = a;
    loose.Unregister();
    EXPECT_EQ(a.References(), 1);
    e = CatchSys([&] { loose.Data(); });
    EXPECT_EQ(e.Code(), 2);
    EXPECT_EQ(e.Message(), L"没有注册的ID不能直接使用。");
    EXPECT_EQ(CatchSys([&] { loose.Serial(); }).Code(), 2);
    EXPECT_EQ(CatchSys([&] { loose.Index(); }).Code(), 2);
    EXPECT_EQ(CatchSys([&] { (void)(a == loose); }).Code(), 2);
    pack.RegisterId(loose);
    EXPECT_EQ(a.References(), 2);
    loose.Unregister();
    Id other = pack.Add(L"b");
    RecPack_cl another;
    EXPECT_EQ(CatchSys([&] { another.RegisterId(loose); }).Code(), 21);
    pack.Erase(a);
    ExpectListError(CatchSys([&] { pack.RegisterId(loose); }), 22, L"因为序列号不正确无法注册访问ID。");

    // Typed handles convert from the base and report their own class.
    RecId_cl typed = other;
    EXPECT_EQ(typed->name, L"b");
    EXPECT_EQ(other.References(), 2);
    typed.Reset();
    EXPECT_EQ(CatchSys([&] { typed->value = 1; }).ClassName(), L"RecId_cl");
}

TEST(DListForeignTest, IdentifierOfAnotherContainerIsRefusedWithoutDamage)
{
    RecPack_cl pack, other;
    Id a = pack.Add(L"a");
    pack.Add(L"b");
    Id x = other.Add(L"x");
    other.Add(L"y");

    EXPECT_EQ(CatchSys([&] { pack.Erase(x); }).Code(), 25);
    EXPECT_EQ(CatchSys([&] { pack.MoveBefore(x, a); }).Code(), 25);
    EXPECT_EQ(CatchSys([&] { pack.MoveBefore(a, x); }).Code(), 25);
    EXPECT_EQ(CatchSys([&] { pack.InsertBefore(x, Rec_st{L"n", 0}); }).Code(), 25);
    EXPECT_EQ(CatchSys([&] { pack.MarkModified(x); }).Code(), 25);
    EXPECT_EQ(Names(pack), L"a,b");
    EXPECT_EQ(Names(other), L"x,y");
    EXPECT_EQ(pack.Count(), 2);
    EXPECT_EQ(other.Count(), 2);
}

TEST(DListOrderTest, InsertionsAndMovesRelinkBothDirections)
{
    RecPack_cl pack;
    Id a = pack.Add(L"a");
    Id c = pack.Add(L"c");
    pack.InsertBefore(c, Rec_st{L"b", 0});
    Id z = pack.InsertBefore(a, Rec_st{L"z", 0});
    EXPECT_EQ(Names(pack), L"z,a,b,c");
    EXPECT_TRUE(pack.First() == z);
    Id n = pack.InsertNewBefore(z);
    EXPECT_EQ(n->name, L"");
    EXPECT_EQ(n->value, 0);
    EXPECT_TRUE(pack.First() == n);
    pack.Erase(n);

    pack.MoveBefore(z, c);  // head towards the tail
    EXPECT_EQ(Names(pack), L"a,b,z,c");
    pack.MoveBefore(c, a);  // tail to the head
    EXPECT_EQ(Names(pack), L"c,a,b,z");
    pack.MoveBefore(a, a);  // onto itself: nothing to do
    EXPECT_EQ(Names(pack), L"c,a,b,z");
    EXPECT_EQ(pack.Count(), 4);
    // Both directions of the links agree.
    String_cl backwards;
    for (Id id = pack.Last(); !id.IsEmpty(); id = id.Prev()) backwards += id->name;
    EXPECT_EQ(backwards, L"zbac");
    EXPECT_TRUE(pack.Last() == z);
}

TEST(DListModifiedTest, FlagsFollowChangesAndClearTogether)
{
    RecPack_cl pack;
    EXPECT_EQ(pack.Modified(), 1);  // a new container counts as changed
    Id a = pack.Add(L"a");
    Id b = pack.Add(L"b");
    Id c = pack.Add(L"c");
    EXPECT_TRUE(pack.NodeModified(a));
    pack.ClearModifiedFlags();
    EXPECT_EQ(pack.Modified(), 0);
    EXPECT_FALSE(pack.NodeModified(a));
    EXPECT_FALSE(pack.NodeModified(c));

    pack.MoveBefore(c, a);
    EXPECT_EQ(pack.Modified(), 1);
    EXPECT_TRUE(pack.NodeModified(c));
    EXPECT_FALSE(pack.NodeModified(a));
    EXPECT_FALSE(pack.NodeModified(b));

    pack.ClearModifiedFlags();
    pack.MarkModified(b);
    EXPECT_TRUE(pack.NodeModified(b));
    EXPECT_EQ(pack.Modified(), 1);
    pack.SetModified(0);
    EXPECT_EQ(pack.Modified(), 0);
    EXPECT_TRUE(pack.NodeModified(b));
}

TEST(DListAssignTest, CopyKeepsSerialsAndContinuesNumbering)
{
    RecPack_cl source;
    for (int i = 1; i <= 7; ++i) source.Add(L"r", i);
    for (int i = 1; i <= 7; ++i) {
        if (i == 3 || i == 7) continue;
        Id id = source.FromSerial(i);
        source.Erase(id);
    }
    ASSERT_EQ(source.Count(), 2);

    RecPack_cl copy;
    copy.Add(L"old");
    copy.Assign(source);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.First().Serial(), 3u);
    EXPECT_EQ(copy.Last().Serial(), 7u);
    EXPECT_EQ(copy.FromSerial(7)->value, 7);
    EXPECT_EQ(copy.LastSerial(), 7u);
    EXPECT_EQ(copy.Add(L"n").Serial(), 8u);
    // The records are copies, not shared.
    copy.First()->value = 100;
    EXPECT_EQ(source.First()->value, 3);

    copy.Assign(copy);
    EXPECT_EQ(copy.Count(), 3);

    // Through assignment of a whole store, as records holding a store do.
    RecPack_cl third;
    static_cast<Container_ns::DList_tl<Rec_st>&>(third) = source;
    EXPECT_EQ(third.LastSerial(), 7u);
    EXPECT_EQ(Names(third), L"r,r");
}

TEST(DListAssignTest, RefusedWhileTargetNodeIsHeld)
{
    RecPack_cl source, target;
    source.Add(L"s");
    Id held = target.Add(L"t");
    EXPECT_EQ(CatchSys([&] { target.Assign(source); }).Code(), 29);
    EXPECT_EQ(Names(target), L"t");
}

TEST(DListFailureTest, FailedNewDataConsumesTheSerialAndAddsNothing)
{
    RecPack_cl pack;
    pack.Add(L"a");
    pack.failNew = true;
    SysError_cl e = CatchSys([&] { pack.Add(L"b"); });
    ExpectListError(e, 34, L"生成数据失败。");
    EXPECT_EQ(CatchSys([&] { pack.PushBackNew(); }).Code(), 34);
    EXPECT_EQ(pack.Count(), 1);
    EXPECT_EQ(Names(pack), L"a");
    pack.failNew = false;
    EXPECT_EQ(pack.Add(L"c").Serial(), 4u);
}

TEST(DListLifetimeTest, IdentifierOutlivingItsContainerIsRefusedNotDangling)
{
    Id survivor;
    {
        RecPack_cl pack;
        pack.Add(L"a");
        survivor = pack.Add(L"b");
        Id copy = survivor;
        EXPECT_EQ(survivor.References(), 2);
    }
    EXPECT_FALSE(survivor.IsEmpty());
    EXPECT_EQ(survivor.References(), 1);
    EXPECT_EQ(CatchSys([&] { survivor.Data(); }).Code(), 2);
    EXPECT_EQ(CatchSys([&] { survivor.Next(); }).Code(), 2);
    Id copy = survivor;
    EXPECT_EQ(copy.References(), 2);
    copy.Reset();
    survivor.Reset();
    EXPECT_TRUE(survivor.IsEmpty());
}
