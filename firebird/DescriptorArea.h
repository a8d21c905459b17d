#pragma once

// Internal to the database layer: an XSQLDA with a buffer and a null flag for each variable.
#include <ibase.h>

#include <cstddef>
#include <vector>

namespace kestrin::firebird {

class DescriptorArea {
public:
    explicit DescriptorArea(short count = 1) { Resize(count); }

    XSQLDA* get() { return reinterpret_cast<XSQLDA*>(area_.data()); }
    const XSQLDA* get() const { return reinterpret_cast<const XSQLDA*>(area_.data()); }
    int Count() const { return get()->sqld; }
    XSQLVAR& Var(int index) { return get()->sqlvar[index]; }
    const XSQLVAR& Var(int index) const { return get()->sqlvar[index]; }

    void Resize(short count);
    // Points every variable at a buffer fitting its described type.
    void AllocateBuffers();
    // Replaces a parameter's buffer with one holding these bytes of this type.
    void SetValue(int index, short type, short length, const void* bytes, std::size_t size);
    void SetNull(int index);

private:
    std::vector<char> area_;
    std::vector<std::vector<char>> buffers_;
    std::vector<short> nulls_;
};

} // namespace kestrin::firebird
