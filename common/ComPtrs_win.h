#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <utility>

// Owners for the COM values that ComPtr does not cover: BSTR, VARIANT and SAFEARRAY.
namespace quenlow {

// The most characters a BSTR holds: its length prefix counts the bytes in 32 bits.
inline constexpr std::size_t kLongestBstr = 0x7FFFFFFE;

class UniqueBstr {
public:
    UniqueBstr() = default;
    // Throws std::bad_alloc when the system cannot allocate the string.
    explicit UniqueBstr(std::wstring_view text);
    ~UniqueBstr() { ::SysFreeString(m_bstr); }

    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept
    {
        if (this != &other) {
            ::SysFreeString(m_bstr);
            m_bstr = std::exchange(other.m_bstr, nullptr);
        }
        return *this;
    }

    BSTR get() const noexcept { return m_bstr; }
    // Frees the current string and hands out its slot for an out-parameter.
    BSTR* put() noexcept
    {
        ::SysFreeString(std::exchange(m_bstr, nullptr));
        return &m_bstr;
    }
    // The text, which may hold embedded NULs; a null BSTR is the empty text.
    std::wstring str() const { return m_bstr ? std::wstring(m_bstr, ::SysStringLen(m_bstr)) : std::wstring(); }

private:
    BSTR m_bstr = nullptr;
};

class UniqueVariant {
public:
    UniqueVariant() noexcept { ::VariantInit(&m_variant); }
    ~UniqueVariant() { ::VariantClear(&m_variant); }

    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    // A VARIANT owns its contents by value: moving it is copying the structure and emptying the source.
    UniqueVariant(UniqueVariant&& other) noexcept : m_variant(other.m_variant) { ::VariantInit(&other.m_variant); }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept
    {
        if (this != &other) {
            ::VariantClear(&m_variant);
            m_variant = other.m_variant;
            ::VariantInit(&other.m_variant);
        }
        return *this;
    }

    const VARIANT& get() const noexcept { return m_variant; }
    VARIANT* addressof() noexcept { return &m_variant; }
    // Clears the current value and hands out the variant for an out-parameter.
    VARIANT* put() noexcept
    {
        ::VariantClear(&m_variant);
        return &m_variant;
    }
    VARTYPE type() const noexcept { return m_variant.vt; }

private:
    VARIANT m_variant;
};

class UniqueSafeArray {
public:
    UniqueSafeArray() = default;
    ~UniqueSafeArray()
    {
        if (m_array) {
            ::SafeArrayDestroy(m_array);
        }
    }

    UniqueSafeArray(const UniqueSafeArray&) = delete;
    UniqueSafeArray& operator=(const UniqueSafeArray&) = delete;

    SAFEARRAY* get() const noexcept { return m_array; }
    // Destroys the current array and hands out its slot for an out-parameter.
    SAFEARRAY** put() noexcept
    {
        if (m_array) {
            ::SafeArrayDestroy(std::exchange(m_array, nullptr));
        }
        return &m_array;
    }

private:
    SAFEARRAY* m_array = nullptr;
};

inline UniqueBstr::UniqueBstr(std::wstring_view text)
{
    if (text.size() > kLongestBstr) {
        throw std::bad_alloc();
    }
    m_bstr = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!m_bstr) {
        throw std::bad_alloc();
    }
}

} // namespace quenlow
