#pragma once
// An ordered container of records reached only through access identifiers.
// Each node carries a serial number unique within its container (never 0) and
// a count of the identifiers bound to it; a node that is still pointed at can
// be neither erased nor cleared, so an identifier never names freed data.
// Serial numbers are what list views and combo boxes keep as item data:
// FromSerial turns them back into identifiers.
//
// Stores derive from an instantiation and implement NewData/DeleteData; their
// typed handles derive from the nested Identifier_cl:
//
//   class ProjectId_cl : public DList_tl<Project_st>::Identifier_cl {
//   public:
//       using Identifier_cl::Identifier_cl;
//       ProjectId_cl() = default;
//       ProjectId_cl(const Identifier_cl& id) : Identifier_cl(id) {}
//       const wchar_t* ClassName() const override { return L"ProjectId_cl"; }
//   };
//
// (The converting constructor must be written out: C++ never inherits a base
// class's copy constructor as a conversion.)
#include <atomic>
#include <cstdint>
#include <iterator>
#include <new>
#include "common/base/Error.h"
#include "common/base/String.h"

// GCC 12 cannot see that a node (or counter) is freed only when its count
// reaches zero and reports every later read on another path as a use after
// free; the counting is what guarantees it.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif

namespace Container_ns {

namespace DListDetail_ns {

inline constexpr const wchar_t* kSource = L"Common\\Tools\\v1.2.0\\Container\\DList";

inline constexpr Base_ns::ErrorEntry_st kListErrors[] = {
    {21, L"不能给其它树所属的访问ID注册。"},
    {22, L"因为序列号不正确无法注册访问ID。"},
    {23, L"序列号不正确。"},
    {24, L"访问ID没有注册。"},
    {25, L"访问ID不属于该树。"},
    {26, L"内存不足。"},
    {27, L"该节点还在使用，无法删除。"},
    {28, L"这里不能使用空ID。"},
    {29, L"指向节点的访问ID没有全部释放之前不能删除数据。(数据已经被破坏)"},
    {30, L"无法取得节点与指定节点的相对索引。"},
    {31, L"没有找到相对索引的节点。"},
    {32, L"排序的比较函数为空。"},
    {33, L"排序时数据异常。"},
    {34, L"生成数据失败。"},
};

inline constexpr Base_ns::ErrorEntry_st kIdentifierErrors[] = {
    {1, L"这里不能使用空ID。"},
    {2, L"没有注册的ID不能直接使用。"},
};

// Lines at which each condition is raised, fixed so that log records of the
// same fault always read alike.
enum Line_en : int32_t {
    LineIdEmpty = 118,
    LineIdUnregistered = 121,
    LineRegisterOther = 402,
    LineRegisterSerial = 413,
    LineFromSerial = 447,
    LineForeignId = 468,
    LineNoMemory = 512,
    LineNoData = 523,
    LineEraseInUse = 581,
    LineFreeReferenced = 617,
};

} // namespace DListDetail_ns

template<class T>
class DList_tl {
    struct Node_st {
        T* data;
        Node_st* prev;
        Node_st* next;
        uint32_t serial;
        // Identifiers are copied and dropped on more than one thread (a job's
        // worker holds its plan while the window reads the plans), so the
        // count changes atomically; the list itself has one writer at a time.
        std::atomic<int32_t> references;
        int32_t reserved;
        int32_t modified;
        // Set when the container died while identifiers still named the node:
        // the record is gone, the node lives until its last identifier lets go.
        // The container and the last identifier may be on two threads: the
        // one that takes the flag back (exchange) frees the node, never both.
        std::atomic<bool> orphaned;
    };

public:
    class Identifier_cl {
    public:
        Identifier_cl() : m_list(nullptr), m_node(nullptr), m_serial(0) {}
        Identifier_cl(const Identifier_cl& other)
            : m_list(other.m_list), m_node(other.m_node), m_serial(other.m_serial)
        {
            if (m_node) ++m_node->references;
        }
        Identifier_cl& operator=(const Identifier_cl& other)
        {
            if (this != &other) {
                // Take the new reference before dropping the old one, so
                // re-assigning the same node never passes through zero.
                if (other.m_node) ++other.m_node->references;
                Drop();
                m_list = other.m_list;
                m_node = other.m_node;
                m_serial = other.m_serial;
            }
            return *this;
        }
        ~Identifier_cl() { Drop(); }

        virtual const wchar_t* ClassName() const { return L"DList_tl::Identifier_cl"; }

        Identifier_cl Next() const
        {
            Validate();
            return Identifier_cl(m_list, m_node->next);
        }
        Identifier_cl Prev() const
        {
            Validate();
            return Identifier_cl(m_list, m_node->prev);
        }
        uint32_t Serial() const
        {
            if (m_node) return m_node->serial;
            if (m_serial != 0) Raise(2, DListDetail_ns::LineIdUnregistered);
            return 0;
        }
        int Index() const
        {
            if (!m_node) {
                if (m_serial != 0) Raise(2, DListDetail_ns::LineIdUnregistered);
                return -1;
            }
            Validate();
            int index = 0;
            for (const Node_st* n = m_node->prev; n; n = n->prev) ++index;
            return index;
        }
        bool IsEmpty() const { return m_node == nullptr && m_serial == 0; }
        bool IsBound() const { return m_node != nullptr; }
        bool operator==(const Identifier_cl& other) const
        {
            CheckComparable();
            other.CheckComparable();
            return m_node == other.m_node && m_list == other.m_list;
        }
        bool operator!=(const Identifier_cl& other) const { return !(*this == other); }

        T& Data() const
        {
            Validate();
            return *m_node->data;
        }
        T* operator->() const { return &Data(); }
        T& operator*() const { return Data(); }

        // The container of a bound or unregistered identifier; null when empty.
        DList_tl* List() const { return m_list; }
        // Identifiers bound to the node, this one included; 0 unless bound.
        int References() const { return m_node ? m_node->references.load() : 0; }

        // Lets go of the node but remembers its container and serial number,
        // so that holding it no longer stops an Erase; DList_tl::RegisterId
        // binds it again.
        void Unregister()
        {
            if (!m_node) return;
            Drop();
            m_node = nullptr;
        }
        // Back to the empty state.
        void Reset()
        {
            Drop();
            m_list = nullptr;
            m_node = nullptr;
            m_serial = 0;
        }

    private:
        friend class DList_tl;

        Identifier_cl(DList_tl* list, Node_st* node)
            : m_list(node ? list : nullptr), m_node(node), m_serial(node ? node->serial : 0)
        {
            if (m_node) ++m_node->references;
        }

        void Drop()
        {
            if (!m_node) return;
            if (--m_node->references == 0 && m_node->orphaned.exchange(false)) delete m_node;
        }

        // Bound → accepted; unregistered → 2; empty → 1. A node whose
        // container is gone counts as unregistered: it names nothing any more.
        void Validate() const
        {
            if (m_node && !m_node->orphaned) return;
            if (m_serial != 0) Raise(2, DListDetail_ns::LineIdUnregistered);
            Raise(1, DListDetail_ns::LineIdEmpty);
        }
        void CheckComparable() const
        {
            if (!m_node && m_serial != 0) Raise(2, DListDetail_ns::LineIdUnregistered);
        }
        [[noreturn]] void Raise(int32_t code, int32_t line) const
        {
            throw Base_ns::SysError_cl(line, DListDetail_ns::kSource, ClassName(), code,
                                       DListDetail_ns::kIdentifierErrors,
                                       int(std::size(DListDetail_ns::kIdentifierErrors)), L"");
        }

        DList_tl* m_list;
        Node_st* m_node;
        uint32_t m_serial;
    };

    DList_tl() : m_head(nullptr), m_tail(nullptr), m_count(0), m_lastSerial(0), m_modified(1) {}
    DList_tl(const DList_tl&) = delete;
    // Deep copy keeping serial numbers (Assign), so that records holding a
    // store are copied with it.
    DList_tl& operator=(const DList_tl& other)
    {
        Assign(other);
        return *this;
    }

    // The derived part that implements DeleteData is already gone here, so the
    // records still held are freed with delete (NewData makes them with new);
    // a store that allocates otherwise clears itself in its own destructor.
    // Nodes that identifiers still name are handed over to those identifiers.
    virtual ~DList_tl()
    {
        Node_st* n = m_head;
        while (n) {
            Node_st* next = n->next;
            delete n->data;
            n->data = nullptr;
            n->prev = n->next = nullptr;
            // Flag first, count after: an identifier dropped in between
            // sees the flag, one dropped before leaves a count of 0 here.
            n->orphaned = true;
            if (n->references == 0 && n->orphaned.exchange(false)) delete n;
            n = next;
        }
    }

    virtual T* NewData() = 0;
    virtual void DeleteData(T* data) = 0;
    virtual const wchar_t* ClassName() const { return L"DList_tl"; }

    Identifier_cl PushBack(const T& record)
    {
        Node_st* node = MakeFilledNode(record);
        LinkBefore(node, nullptr);
        return Identifier_cl(this, node);
    }
    Identifier_cl PushBackNew()
    {
        Node_st* node = MakeNode();
        LinkBefore(node, nullptr);
        return Identifier_cl(this, node);
    }
    Identifier_cl InsertBefore(const Identifier_cl& where, const T& record)
    {
        CheckOwn(where);
        Node_st* node = MakeFilledNode(record);
        LinkBefore(node, where.m_node);
        return Identifier_cl(this, node);
    }
    Identifier_cl InsertNewBefore(const Identifier_cl& where)
    {
        CheckOwn(where);
        Node_st* node = MakeNode();
        LinkBefore(node, where.m_node);
        return Identifier_cl(this, node);
    }

    void MoveBefore(const Identifier_cl& moved, const Identifier_cl& target)
    {
        CheckOwn(moved);
        CheckOwn(target);
        Node_st* node = moved.m_node;
        if (node == target.m_node) return;  // already where it is asked to be
        Unlink(node);
        LinkBefore(node, target.m_node);
    }

    void Erase(Identifier_cl& id)
    {
        CheckOwn(id);
        Node_st* node = id.m_node;
        if (node->references > 1) Raise(27, DListDetail_ns::LineEraseInUse);
        Unlink(node);
        m_modified = 1;
        id.Reset();
        FreeNode(node);
    }

    // Every node is checked before any is freed, so a refused Clear leaves the
    // container whole instead of half freed.
    void Clear()
    {
        for (Node_st* n = m_head; n; n = n->next)
            if (n->references > 0) Raise(29, DListDetail_ns::LineFreeReferenced);
        Node_st* n = m_head;
        m_head = m_tail = nullptr;
        m_count = 0;
        m_lastSerial = 0;
        m_modified = 1;
        while (n) {
            Node_st* next = n->next;
            FreeNode(n);
            n = next;
        }
    }

    void Assign(const DList_tl& other)
    {
        if (&other == this) return;
        Clear();
        for (const Node_st* src = other.m_head; src; src = src->next) {
            Node_st* node = MakeNode();
            // The copy keeps the source's number instead of the one just taken.
            --m_lastSerial;
            node->serial = src->serial;
            try {
                *node->data = *src->data;
            } catch (...) {
                DeleteData(node->data);
                delete node;
                throw;
            }
            if (m_lastSerial < src->serial) m_lastSerial = src->serial;
            LinkBefore(node, nullptr);
        }
    }

    Identifier_cl First() const { return Identifier_cl(Self(), m_head); }
    Identifier_cl Last() const { return Identifier_cl(Self(), m_tail); }
    Identifier_cl At(int index) const
    {
        if (index < 0 || index >= m_count) return Identifier_cl();
        Node_st* n = m_head;
        while (index-- > 0) n = n->next;
        return Identifier_cl(Self(), n);
    }
    Identifier_cl FromSerial(uint32_t serial) const
    {
        if (serial == 0) return Identifier_cl();
        for (Node_st* n = m_head; n; n = n->next)
            if (n->serial == serial) return Identifier_cl(Self(), n);
        Raise(23, DListDetail_ns::LineFromSerial, Base_ns::String_cl::FromUnsigned(serial));
    }

    // Binds an unregistered identifier of this container to its node again.
    void RegisterId(Identifier_cl& id) const
    {
        if (id.m_node) {
            if (id.m_list != this) Raise(21, DListDetail_ns::LineRegisterOther);
            return;
        }
        if (id.m_serial == 0) id.Raise(1, DListDetail_ns::LineIdEmpty);
        if (id.m_list != this) Raise(21, DListDetail_ns::LineRegisterOther);
        for (Node_st* n = m_head; n; n = n->next) {
            if (n->serial == id.m_serial) {
                id = Identifier_cl(Self(), n);
                return;
            }
        }
        Raise(22, DListDetail_ns::LineRegisterSerial,
              Base_ns::String_cl::FromUnsigned(id.m_serial));
    }

    int Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    uint32_t LastSerial() const { return m_lastSerial; }

    int Modified() const { return m_modified; }
    void SetModified(int modified) { m_modified = modified; }
    // For a change made to a record through its identifier.
    void MarkModified(const Identifier_cl& id)
    {
        CheckOwn(id);
        id.m_node->modified = 1;
        m_modified = 1;
    }
    bool NodeModified(const Identifier_cl& id) const
    {
        CheckOwn(id);
        return id.m_node->modified != 0;
    }
    void ClearModifiedFlags()
    {
        m_modified = 0;
        for (Node_st* n = m_head; n; n = n->next) n->modified = 0;
    }

private:
    DList_tl* Self() const { return const_cast<DList_tl*>(this); }

    [[noreturn]] void Raise(int32_t code, int32_t line,
                            const Base_ns::String_cl& note = Base_ns::String_cl()) const
    {
        throw Base_ns::SysError_cl(line, DListDetail_ns::kSource, ClassName(), code,
                                   DListDetail_ns::kListErrors,
                                   int(std::size(DListDetail_ns::kListErrors)), note);
    }

    // Validation, and refusal of a node that belongs to another container:
    // relinking it here would corrupt both.
    void CheckOwn(const Identifier_cl& id) const
    {
        id.Validate();
        if (id.m_list != this) Raise(25, DListDetail_ns::LineForeignId);
    }

    Node_st* MakeNode()
    {
        Node_st* node = new (std::nothrow) Node_st;
        if (!node) Raise(26, DListDetail_ns::LineNoMemory);
        node->prev = node->next = nullptr;
        node->serial = ++m_lastSerial;
        node->references = 0;
        node->reserved = 0;
        node->modified = 1;
        node->orphaned = false;
        node->data = nullptr;
        T* data = nullptr;
        try {
            data = NewData();
        } catch (...) {
            delete node;
            throw;
        }
        if (!data) {
            delete node;
            Raise(34, DListDetail_ns::LineNoData);
        }
        node->data = data;
        return node;
    }

    Node_st* MakeFilledNode(const T& record)
    {
        Node_st* node = MakeNode();
        try {
            *node->data = record;
        } catch (...) {
            DeleteData(node->data);
            delete node;
            throw;
        }
        return node;
    }

    // before == null appends at the tail.
    void LinkBefore(Node_st* node, Node_st* before)
    {
        node->next = before;
        node->prev = before ? before->prev : m_tail;
        if (node->prev) {
            node->prev->next = node;
        } else {
            m_head = node;
        }
        if (before) {
            before->prev = node;
        } else {
            m_tail = node;
        }
        ++m_count;
        node->modified = 1;
        m_modified = 1;
    }

    void Unlink(Node_st* node)
    {
        if (node->prev) {
            node->prev->next = node->next;
        } else {
            m_head = node->next;
        }
        if (node->next) {
            node->next->prev = node->prev;
        } else {
            m_tail = node->prev;
        }
        node->prev = node->next = nullptr;
        --m_count;
    }

    void FreeNode(Node_st* node)
    {
        if (node->references > 0) Raise(29, DListDetail_ns::LineFreeReferenced);
        DeleteData(node->data);
        delete node;
    }

    Node_st* m_head;
    Node_st* m_tail;
    int32_t m_count;
    uint32_t m_lastSerial;
    int32_t m_modified;
};

} // namespace Container_ns

#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif
