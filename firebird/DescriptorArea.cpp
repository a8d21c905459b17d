#include "firebird/DescriptorArea.h"

#include <algorithm>
#include <cstring>

namespace kestrin::firebird {

void DescriptorArea::Resize(short count) {
    area_.assign(XSQLDA_LENGTH(std::max<short>(count, 1)), 0);
    get()->version = SQLDA_VERSION1;
    get()->sqln = std::max<short>(count, 1);
}

void DescriptorArea::AllocateBuffers() {
    buffers_.assign(static_cast<std::size_t>(Count()), {});
    nulls_.assign(static_cast<std::size_t>(Count()), 0);
    for (int i = 0; i < Count(); ++i) {
        XSQLVAR& var = Var(i);
        const int type = var.sqltype & ~1;
        std::size_t size = var.sqllen;
        if (type == SQL_VARYING) {
            size += sizeof(short);
        }
        buffers_[i].assign(std::max<std::size_t>(size, 8), 0);
        var.sqldata = buffers_[i].data();
        var.sqlind = &nulls_[i];
    }
}

void DescriptorArea::SetValue(int index, short type, short length, const void* bytes,
                              std::size_t size) {
    XSQLVAR& var = Var(index);
    buffers_[index].assign(std::max<std::size_t>(size, 1), 0);
    std::memcpy(buffers_[index].data(), bytes, size);
    var.sqltype = static_cast<short>(type | 1);
    var.sqlscale = 0;
    var.sqlsubtype = 0;
    var.sqllen = length;
    var.sqldata = buffers_[index].data();
    nulls_[index] = 0;
}

void DescriptorArea::SetNull(int index) {
    Var(index).sqltype = static_cast<short>(Var(index).sqltype | 1);
    nulls_[index] = -1;
}

} // namespace kestrin::firebird
