#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FuzzChecks::listFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
