#pragma once
// Common root of the text streams; a stream works on a byte container it
// does not own (common/io/ContainerFile.h).
#include "common/io/ContainerFile.h"

namespace IO_ns {

class Stream_cl {
public:
    virtual ~Stream_cl() = default;

protected:
    Stream_cl() = default;
    Stream_cl(const Stream_cl&) = delete;
    Stream_cl& operator=(const Stream_cl&) = delete;
};

} // namespace IO_ns
