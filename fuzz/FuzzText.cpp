#include "FuzzText.h"

#include <cstdio>
#include <cstdlib>

namespace quenlow::fuzz {

namespace {

// How many continuation bytes a lead byte announces; 0 for a byte that starts no sequence.
std::size_t ContinuationsAfter(std::uint8_t lead)
{
    if (lead < 0xC0 || lead > 0xFD) {
        return 0;
    }
    std::size_t count = 1;
    for (std::uint8_t bit = 0x20; (lead & bit) != 0; bit = static_cast<std::uint8_t>(bit >> 1)) {
        ++count;
    }
    return count;
}

} // namespace

std::wstring DecodeText(const std::uint8_t* data, std::size_t size)
{
    std::wstring text;
    text.reserve(size);
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t lead = data[i];
        const std::size_t continuations = ContinuationsAfter(lead);
        std::uint32_t value = lead & (0x7Fu >> (continuations + 1));
        bool complete = continuations > 0 && i + continuations < size;
        for (std::size_t k = 1; complete && k <= continuations; ++k) {
            const std::uint8_t next = data[i + k];
            complete = (next & 0xC0u) == 0x80u;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (complete) {
            text += static_cast<wchar_t>(value);
            i += continuations + 1;
        } else {
            text += static_cast<wchar_t>(lead);
            ++i;
        }
    }
    return text;
}

std::string Describe(std::wstring_view text)
{
    std::string out;
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code >= 0x20 && code < 0x7F && c != L'\\') {
            out += static_cast<char>(code);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\x{%X}", code);
            out += buffer;
        }
    }
    return out;
}

void Fail(const char* what, std::wstring_view input)
{
    std::fprintf(stderr, "\nBroken invariant: %s\nInput (%zu characters): \"%s\"\n", what, input.size(),
                 Describe(input).c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace quenlow::fuzz
