#pragma once
// A plain doubly linked list of values. Its identifiers are light positions:
// they hold no reference, so they are only for walking a list that nobody
// changes meanwhile.
#include <cstdint>
#include <iterator>
#include <new>
#include <utility>
#include "common/base/Error.h"

namespace Container_ns {

namespace ListDetail_ns {

inline constexpr const wchar_t* kSource = L"Common\\Tools\\v1.2.0\\Container\\List";

inline constexpr Base_ns::ErrorEntry_st kListErrors[] = {
    {21, L"内存不足。"},
    {22, L"没有定义复制函数。"},
    {23, L"没有定义比较函数。"},
};

inline constexpr Base_ns::ErrorEntry_st kIdentifierErrors[] = {
    {1, L"空ID不能操作。"},
};

enum Line_en : int32_t {
    LineIdEmpty = 41,
    LineNoMemory = 96,
};

} // namespace ListDetail_ns

template<class T>
class List_tl {
    struct Node_st {
        Node_st() : value(), prev(nullptr), next(nullptr) {}
        T value;
        Node_st* prev;
        Node_st* next;
    };

public:
    class Identifier_cl {
    public:
        Identifier_cl() : m_list(nullptr), m_node(nullptr) {}

        virtual const wchar_t* ClassName() const { return L"Identifier_cl"; }

        bool IsEmpty() const { return m_node == nullptr; }
        Identifier_cl Next() const
        {
            Check();
            return Identifier_cl(m_list, m_node->next);
        }
        Identifier_cl Prev() const
        {
            Check();
            return Identifier_cl(m_list, m_node->prev);
        }
        T& Data() const
        {
            Check();
            return m_node->value;
        }
        T* operator->() const { return &Data(); }
        T& operator*() const { return Data(); }
        List_tl* List() const { return m_list; }

        bool operator==(const Identifier_cl& other) const { return m_node == other.m_node; }
        bool operator!=(const Identifier_cl& other) const { return m_node != other.m_node; }

    private:
        friend class List_tl;
        Identifier_cl(List_tl* list, Node_st* node) : m_list(node ? list : nullptr), m_node(node) {}

        void Check() const
        {
            if (m_node) return;
            throw Base_ns::SysError_cl(ListDetail_ns::LineIdEmpty, ListDetail_ns::kSource, ClassName(), 1,
                                       ListDetail_ns::kIdentifierErrors,
                                       int(std::size(ListDetail_ns::kIdentifierErrors)), L"");
        }

        List_tl* m_list;
        Node_st* m_node;
    };

    // Forward iteration for range-for over the values.
    template<class V, class N>
    class Iterator_tl {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = V*;
        using reference = V&;

        Iterator_tl() : m_node(nullptr) {}
        explicit Iterator_tl(N* node) : m_node(node) {}
        V& operator*() const { return m_node->value; }
        V* operator->() const { return &m_node->value; }
        Iterator_tl& operator++()
        {
            m_node = m_node->next;
            return *this;
        }
        Iterator_tl operator++(int)
        {
            Iterator_tl old = *this;
            m_node = m_node->next;
            return old;
        }
        bool operator==(const Iterator_tl& other) const { return m_node == other.m_node; }
        bool operator!=(const Iterator_tl& other) const { return m_node != other.m_node; }

    private:
        N* m_node;
    };
    using iterator = Iterator_tl<T, Node_st>;
    using const_iterator = Iterator_tl<const T, const Node_st>;

    List_tl() : m_head(nullptr), m_tail(nullptr), m_count(0) {}
    List_tl(const List_tl& other) : m_head(nullptr), m_tail(nullptr), m_count(0)
    {
        try {
            for (const Node_st* n = other.m_head; n; n = n->next) PushBack(n->value);
        } catch (...) {
            Clear();
            throw;
        }
    }
    List_tl& operator=(const List_tl& other)
    {
        if (this != &other) {
            List_tl copy(other);
            Swap(copy);
        }
        return *this;
    }
    virtual ~List_tl() { Clear(); }

    virtual const wchar_t* ClassName() const { return L"List_tl"; }

    Identifier_cl PushBack(const T& value)
    {
        Node_st* node = new (std::nothrow) Node_st;
        if (!node) {
            throw Base_ns::SysError_cl(ListDetail_ns::LineNoMemory, ListDetail_ns::kSource, ClassName(), 21,
                                       ListDetail_ns::kListErrors,
                                       int(std::size(ListDetail_ns::kListErrors)), L"");
        }
        try {
            node->value = value;
        } catch (...) {
            delete node;
            throw;
        }
        node->prev = m_tail;
        if (m_tail) {
            m_tail->next = node;
        } else {
            m_head = node;
        }
        m_tail = node;
        ++m_count;
        return Identifier_cl(this, node);
    }

    Identifier_cl First() const { return Identifier_cl(const_cast<List_tl*>(this), m_head); }
    Identifier_cl Last() const { return Identifier_cl(const_cast<List_tl*>(this), m_tail); }

    void Clear()
    {
        Node_st* n = m_head;
        m_head = m_tail = nullptr;
        m_count = 0;
        while (n) {
            Node_st* next = n->next;
            delete n;
            n = next;
        }
    }

    int Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }

    void Swap(List_tl& other)
    {
        std::swap(m_head, other.m_head);
        std::swap(m_tail, other.m_tail);
        std::swap(m_count, other.m_count);
    }

    iterator begin() { return iterator(m_head); }
    iterator end() { return iterator(); }
    const_iterator begin() const { return const_iterator(m_head); }
    const_iterator end() const { return const_iterator(); }

private:
    Node_st* m_head;
    Node_st* m_tail;
    int32_t m_count;
};

} // namespace Container_ns
