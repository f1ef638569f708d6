#pragma once
// Holds one reference on a COM object and releases it once.
#include <utility>

namespace Base_ns {

template <class T>
class ComPtr_tl {
public:
    ComPtr_tl() = default;
    // Takes over a reference the caller already owns.
    explicit ComPtr_tl(T* p) : m_p(p) {}
    ~ComPtr_tl() { Reset(); }
    ComPtr_tl(ComPtr_tl&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr_tl& operator=(ComPtr_tl&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ComPtr_tl(const ComPtr_tl&) = delete;
    ComPtr_tl& operator=(const ComPtr_tl&) = delete;

    // For out parameters of COM calls; whatever was held is released first.
    T** Out()
    {
        Reset();
        return &m_p;
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset()
    {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

} // namespace Base_ns
