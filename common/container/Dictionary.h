#pragma once
// An ordered map from a wide-string key to a value held by value. Keys are
// compared code unit by code unit (ordinal, case-sensitive): callers that want
// case-insensitive keys upper-case them first.
#include <cstdint>
#include <iterator>
#include <map>
#include <utility>
#include "common/base/Error.h"
#include "common/base/String.h"

namespace Container_ns {

namespace DictionaryDetail_ns {

inline constexpr const wchar_t* kSource = L"Common\\Tools\\v1.2.0\\Container\\Dictionary";

inline constexpr Base_ns::ErrorEntry_st kErrors[] = {
    {1, L"根据关键字无法找到数据。"},
};

inline constexpr int32_t kLineMissingKey = 74;

} // namespace DictionaryDetail_ns

template<class V>
class Dictionary_tl {
    // std::wstring's ordering compares wchar_t values, which on Windows are
    // the UTF-16 code units: exactly the ordinal order wanted.
    using Map_t = std::map<Base_ns::String_cl, V>;

public:
    using iterator = typename Map_t::iterator;
    using const_iterator = typename Map_t::const_iterator;

    virtual ~Dictionary_tl() = default;
    virtual const wchar_t* ClassName() const { return L"Dictionary_tl"; }

    // False when the key is present already; the first value is kept.
    bool Insert(const Base_ns::String_cl& key, const V& value) { return m_map.emplace(key, value).second; }

    V* Find(const Base_ns::String_cl& key)
    {
        auto it = m_map.find(key);
        return it == m_map.end() ? nullptr : &it->second;
    }
    const V* Find(const Base_ns::String_cl& key) const
    {
        auto it = m_map.find(key);
        return it == m_map.end() ? nullptr : &it->second;
    }

    V& Get(const Base_ns::String_cl& key) { return const_cast<V&>(std::as_const(*this).Get(key)); }
    const V& Get(const Base_ns::String_cl& key) const
    {
        auto it = m_map.find(key);
        if (it == m_map.end()) {
            throw Base_ns::SysError_cl(DictionaryDetail_ns::kLineMissingKey, DictionaryDetail_ns::kSource,
                                       ClassName(), 1, DictionaryDetail_ns::kErrors,
                                       int(std::size(DictionaryDetail_ns::kErrors)), key);
        }
        return it->second;
    }

    bool Contains(const Base_ns::String_cl& key) const { return m_map.find(key) != m_map.end(); }
    // True when the key was present.
    bool Erase(const Base_ns::String_cl& key) { return m_map.erase(key) != 0; }
    void Clear() { m_map.clear(); }
    int Count() const { return static_cast<int>(m_map.size()); }
    bool IsEmpty() const { return m_map.empty(); }

    iterator begin() { return m_map.begin(); }
    iterator end() { return m_map.end(); }
    const_iterator begin() const { return m_map.begin(); }
    const_iterator end() const { return m_map.end(); }

private:
    Map_t m_map;
};

} // namespace Container_ns
