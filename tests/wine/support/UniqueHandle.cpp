#include "support/UniqueHandle.h"

#include <string>

namespace quenlow::testing {

void ThrowLastError(std::string_view what)
{
    const DWORD error = ::GetLastError();
    throw std::system_error(static_cast<int>(error), std::system_category(), std::string(what));
}

} // namespace quenlow::testing
