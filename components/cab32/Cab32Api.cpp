// The two exported entry points. Nothing may leave them as an exception.
#include "cab32.h"

#include "Cp932Codec.h"
#include "Operations.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace cab32 {
namespace {

void report(const Result& result, char* output, unsigned long size)
{
    if (output == nullptr || size == 0)
        return;
    std::string text = describe(result.status);
    if (!result.subject.empty()) {
        Cp932Codec codec;
        auto subject = codec.toCp932Exact(result.subject);
        text += ": " + subject.value_or(result.subject);
    }
    size_t length = std::min<size_t>(text.size(), size - 1);
    // Never cut a double-byte character in half.
    size_t whole = 0;
    for (size_t i = 0; i < length;) {
        auto b = static_cast<unsigned char>(text[i]);
        size_t width = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        if (i + width > length)
            break;
        i += width;
        whole = i;
    }
    length = whole;
    std::memcpy(output, text.data(), length);
    output[length] = '\0';
}

} // namespace
} // namespace cab32

extern "C" CAB32_API int Cab(void* hwnd, const char* cmdLine, char* output, unsigned long size)
{
    return CabStoppable(hwnd, cmdLine, output, size, nullptr, nullptr);
}

extern "C" CAB32_API int CabStoppable(void* hwnd, const char* cmdLine, char* output, unsigned long size,
                                      CabStopFn stop, void* context)
{
    (void)hwnd;
    cab32::Result result;
    try {
        result = cab32::runCommand(cmdLine, cab32::StopCheck{stop, context});
    } catch (const std::bad_alloc&) {
        result = cab32::fail(cab32::Status::Memory);
    } catch (...) {
        result = cab32::fail(cab32::Status::Internal);
    }
    try {
        cab32::report(result, output, size);
    } catch (...) {
        if (output != nullptr && size > 0)
            output[0] = '\0';
    }
    return static_cast<int>(result.status);
}

extern "C" CAB32_API int CabCheckArchive(const char* fileName, int mode)
{
    if (fileName == nullptr)
        return 0;
    try {
        cab32::Cp932Codec codec;
        auto path = codec.toUtf8(fileName);
        return path && cab32::isReadableCabinet(*path, mode == 2) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
