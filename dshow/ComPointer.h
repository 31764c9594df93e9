// One COM reference held for the life of a scope or an object, released on destruction.
#pragma once
#include <utility>

namespace krvx {
namespace dshow {

template <typename T>
class ComPointer {
public:
    ComPointer() = default;
    // Takes over a reference the caller already holds.
    explicit ComPointer(T* owned) : m_pointer(owned) {}
    ~ComPointer() { Reset(); }
    ComPointer(const ComPointer& other) : m_pointer(other.m_pointer) {
        if (m_pointer) m_pointer->AddRef();
    }
    ComPointer(ComPointer&& other) noexcept : m_pointer(other.m_pointer) { other.m_pointer = nullptr; }
    ComPointer& operator=(ComPointer other) noexcept {
        std::swap(m_pointer, other.m_pointer);
        return *this;
    }

    // Adds a reference of its own to `pointer`.
    static ComPointer Share(T* pointer) {
        if (pointer) pointer->AddRef();
        return ComPointer(pointer);
    }

    void Reset() {
        if (m_pointer) m_pointer->Release();
        m_pointer = nullptr;
    }
    // For out-parameters: releases what is held and returns the slot to fill.
    T** Receive() {
        Reset();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // Hands the reference to the caller.
    T* Detach() {
        T* pointer = m_pointer;
        m_pointer = nullptr;
        return pointer;
    }

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

private:
    T* m_pointer = nullptr;
};

}  // namespace dshow
}  // namespace krvx
