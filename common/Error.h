#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace quenlow {

// An error that no procedure of the program traps: it ends up in the common report
// (number and readable description) and the process ends. The number is an HRESULT
// or WBEM status when the error comes from COM or WMI.
class Error : public std::exception {
public:
    Error(std::int32_t number, std::wstring description);

    std::int32_t Number() const noexcept { return m_number; }
    const std::wstring& Description() const noexcept { return m_description; }
    // "0x80041017: Invalid query", in UTF-8.
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    std::int32_t m_number;
    std::wstring m_description;
    std::string m_what;
};

// "0x80041017" for a failure code (negative as HRESULT), plain decimal otherwise.
std::wstring FormatErrorNumber(std::int32_t number);

// The text of the report shown for an untrapped error.
std::wstring UntrappedErrorText(std::int32_t number, const std::wstring& description);

} // namespace quenlow
