#include "common/SystemErrorText.h"

namespace quenlow {

// Only Windows has words for its error codes; the number alone is reported elsewhere.
std::wstring SystemErrorText(std::uint32_t)
{
    return {};
}

} // namespace quenlow
