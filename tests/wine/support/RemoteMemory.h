#pragma once

#include "common/UniqueHandle_win.h"

#include <windows.h>

#include <cstddef>

namespace quenlow::testing {

// Memory in another process, for the control messages whose pointers the system does not carry
// across processes (a ListView's): the control reads and writes it in its own address space.
// Freed when the object ends.
class RemoteMemory {
public:
    RemoteMemory(DWORD processId, std::size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    // The address in the other process, to put into a message or a structure.
    void* Address() const noexcept { return m_address; }
    // The address of a byte inside the block, in the other process.
    void* AddressAt(std::size_t offset) const noexcept { return static_cast<char*>(m_address) + offset; }

    void Write(std::size_t offset, const void* data, std::size_t size);
    void Read(std::size_t offset, void* data, std::size_t size) const;

    template <typename T>
    void WriteObject(std::size_t offset, const T& value)
    {
        Write(offset, &value, sizeof(T));
    }
    template <typename T>
    T ReadObject(std::size_t offset) const
    {
        T value{};
        Read(offset, &value, sizeof(T));
        return value;
    }

private:
    UniqueHandle m_process;
    void* m_address = nullptr;
    std::size_t m_size = 0;
};

} // namespace quenlow::testing
