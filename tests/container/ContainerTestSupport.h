#pragma once
// A small store over DList_tl for the container tests: it counts the records
// it makes and frees, so tests can see that nothing leaks or is freed twice,
// and it can be told to fail in NewData.
#include <gtest/gtest.h>
#include <functional>
#include "common/base/Error.h"
#include "common/base/String.h"
#include "common/container/DList.h"

namespace Test_ns {

struct Rec_st {
    Base_ns::String_cl name;
    int value = 0;
};

class RecPack_cl : public Container_ns::DList_tl<Rec_st> {
public:
    ~RecPack_cl() override
    {
        // Identifiers may outlive a store in tests; only clear what can be.
        bool referenced = false;
        for (Identifier_cl id = First(); !id.IsEmpty(); id = id.Next())
            if (id.References() > 1) referenced = true;
        if (!referenced) Clear();
    }
    Rec_st* NewData() override
    {
        if (failNew) return nullptr;
        ++made;
        return new Rec_st;
    }
    void DeleteData(Rec_st* data) override
    {
        ++freed;
        delete data;
    }
    const wchar_t* ClassName() const override { return L"RecPack_cl"; }

    Identifier_cl Add(const wchar_t* name, int value = 0) { return PushBack(Rec_st{name, value}); }

    bool failNew = false;
    int made = 0;
    int freed = 0;
};

class RecId_cl : public Container_ns::DList_tl<Rec_st>::Identifier_cl {
public:
    using Base_cl = Container_ns::DList_tl<Rec_st>::Identifier_cl;
    RecId_cl() = default;
    RecId_cl(const Base_cl& other) : Base_cl(other) {}
    const wchar_t* ClassName() const override { return L"RecId_cl"; }
};

// The error the call raised; a failure (and an empty record) when it raised none.
template<class E = Base_ns::SysError_cl>
E CatchError(const std::function<void()>& call)
{
    try {
        call();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return E(0, L"", L"", 0, nullptr, 0, L"");
}
inline Base_ns::SysError_cl CatchSys(const std::function<void()>& call) { return CatchError(call); }

// The names of the records in list order, joined with ",".
inline Base_ns::String_cl Names(const Container_ns::DList_tl<Rec_st>& list)
{
    Base_ns::String_cl out;
    for (auto id = list.First(); !id.IsEmpty(); id = id.Next()) {
        if (!out.empty()) out += L",";
        out += id->name;
    }
    return out;
}

} // namespace Test_ns
