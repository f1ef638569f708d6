#pragma once
// A fixed-size array whose storage several holders can share. A single holder
// has no counter; copying a holder allocates one and both point at it, and
// the storage goes when the last holder releases it.
#include <cstdint>
#include <iterator>
#include <utility>
#include "common/base/Error.h"

// GCC 12 cannot see that a node (or counter) is freed only when its count
// reaches zero and reports every later read on another path as a use after
// free; the counting is what guarantees it.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif

namespace Base_ns {

namespace TrusteeshipDetail_ns {

inline constexpr const wchar_t* kSource = L"Common\\Tools\\v1.2.0\\base\\Trusteeship";

inline constexpr ErrorEntry_st kErrors[] = {
    {1, L"内存未被申请。"},
    {2, L"数组的大小不能设置为零或负数。"},
    {3, L"错误的数据索引。"},
    {4, L"空数据不可能有引用计数。"},
    {5, L"内存在被多处使用时是无法扩展大小的。"},
};

enum Line_en : int32_t {
    LineAllocateSize = 52,
    LineNotAllocated = 88,
    LineBadIndex = 91,
    LineCountWithoutData = 117,
    LineBadCount = 136,
};

} // namespace TrusteeshipDetail_ns

template<class T>
class Trusteeship_tl {
public:
    Trusteeship_tl() : m_data(nullptr), m_size(0), m_references(nullptr) {}
    // The copy shares the storage.
    Trusteeship_tl(const Trusteeship_tl& other) : m_data(nullptr), m_size(0), m_references(nullptr)
    {
        Share(other);
    }
    Trusteeship_tl(Trusteeship_tl&& other) noexcept
        : m_data(other.m_data), m_size(other.m_size), m_references(other.m_references)
    {
        other.m_data = nullptr;
        other.m_size = 0;
        other.m_references = nullptr;
    }
    Trusteeship_tl& operator=(const Trusteeship_tl& other)
    {
        if (this != &other && m_data != other.m_data) {
            Release();
            Share(other);
        }
        return *this;
    }
    Trusteeship_tl& operator=(Trusteeship_tl&& other)
    {
        if (this != &other) {
            Release();
            std::swap(m_data, other.m_data);
            std::swap(m_size, other.m_size);
            std::swap(m_references, other.m_references);
        }
        return *this;
    }
    // Release only fails on a counter that this class never produces; a
    // destructor must not throw, so such a state is left as it is.
    ~Trusteeship_tl()
    {
        try {
            Release();
        } catch (const Error_cl&) {
        }
    }

    // Drops what this holder had and gives it n fresh, uninitialised elements
    // of its own.
    void Allocate(int n)
    {
        if (n <= 0) Raise(2, TrusteeshipDetail_ns::LineAllocateSize);
        Release();
        m_data = new T[n];
        m_size = n;
    }

    void Release()
    {
        if (!m_data) {
            if (m_references) Raise(4, TrusteeshipDetail_ns::LineCountWithoutData);
            return;
        }
        if (!m_references) {
            delete[] m_data;
        } else if (*m_references == 1) {
            delete[] m_data;
            delete m_references;
        } else if (*m_references >= 2) {
            --*m_references;
        } else {
            Raise(5, TrusteeshipDetail_ns::LineBadCount);
        }
        m_data = nullptr;
        m_size = 0;
        m_references = nullptr;
    }

    T& operator[](int i) { return m_data[CheckedIndex(i)]; }
    const T& operator[](int i) const { return m_data[CheckedIndex(i)]; }

    const wchar_t* ClassName() const { return L"Trusteeship_tl"; }
    int Size() const { return m_size; }
    bool IsEmpty() const { return m_data == nullptr; }
    // Holders sharing the storage: 0 when nothing is allocated.
    int Holders() const { return m_data ? (m_references ? *m_references : 1) : 0; }

private:
    void Share(const Trusteeship_tl& other)
    {
        if (!other.m_data) return;
        if (!other.m_references) other.m_references = new int32_t(1);
        ++*other.m_references;
        m_data = other.m_data;
        m_size = other.m_size;
        m_references = other.m_references;
    }

    int CheckedIndex(int i) const
    {
        if (!m_data) Raise(1, TrusteeshipDetail_ns::LineNotAllocated);
        if (i < 0 || i >= m_size) Raise(3, TrusteeshipDetail_ns::LineBadIndex, String_cl::FromInt(i));
        return i;
    }

    [[noreturn]] void Raise(int32_t code, int32_t line, const String_cl& note = String_cl()) const
    {
        throw SysError_cl(line, TrusteeshipDetail_ns::kSource, ClassName(), code,
                          TrusteeshipDetail_ns::kErrors, int(std::size(TrusteeshipDetail_ns::kErrors)), note);
    }

    T* m_data;
    int32_t m_size;
    // Set up by copying from a const holder, hence mutable.
    mutable int32_t* m_references;
};

} // namespace Base_ns

#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif
