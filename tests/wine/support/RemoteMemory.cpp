#include "support/RemoteMemory.h"
#include "common/HResultText_win.h"

#include <stdexcept>

namespace quenlow::testing {

RemoteMemory::RemoteMemory(DWORD processId, std::size_t size)
    : m_process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)),
      m_size(size)
{
    if (!m_process) {
        ThrowLastError(L"OpenProcess");
    }
    m_address = ::VirtualAllocEx(m_process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!m_address) {
        ThrowLastError(L"VirtualAllocEx");
    }
}

RemoteMemory::~RemoteMemory()
{
    // The process may have ended meanwhile; then its memory went with it.
    ::VirtualFreeEx(m_process.get(), m_address, 0, MEM_RELEASE);
}

void RemoteMemory::Write(std::size_t offset, const void* data, std::size_t size)
{
    if (offset > m_size || size > m_size - offset) {
        throw std::out_of_range("RemoteMemory::Write beyond the block");
    }
    SIZE_T written = 0;
    if (!::WriteProcessMemory(m_process.get(), AddressAt(offset), data, size, &written) || written != size) {
        ThrowLastError(L"WriteProcessMemory");
    }
}

void RemoteMemory::Read(std::size_t offset, void* data, std::size_t size) const
{
    if (offset > m_size || size > m_size - offset) {
        throw std::out_of_range("RemoteMemory::Read beyond the block");
    }
    SIZE_T read = 0;
    if (!::ReadProcessMemory(m_process.get(), AddressAt(offset), data, size, &read) || read != size) {
        ThrowLastError(L"ReadProcessMemory");
    }
}

} // namespace quenlow::testing
