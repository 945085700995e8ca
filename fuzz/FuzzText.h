#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quenlow::fuzz {

// Turns fuzzer bytes into a wide text. Well-formed UTF-8 reads as usual, so command words and
// quotes can be written plainly in seeds and dictionaries; the decoder is lenient beyond that
// (overlong forms, surrogates and values past U+10FFFF up to 31 bits are kept, a byte that starts
// no complete sequence stands for itself), so every byte string is some text and any wchar_t
// value a caller might pass, NUL included, can be reached.
std::wstring DecodeText(const std::uint8_t* data, std::size_t size);

// The text with every character that is not printable ASCII written as \x{...}, for reports.
std::string Describe(std::wstring_view text);

// Reports a broken invariant with the input that broke it and aborts, so that libFuzzer
// keeps the input as a crash artifact.
[[noreturn]] void Fail(const char* what, std::wstring_view input);

inline void Check(bool holds, const char* what, std::wstring_view input)
{
    if (!holds) {
        Fail(what, input);
    }
}

} // namespace quenlow::fuzz
