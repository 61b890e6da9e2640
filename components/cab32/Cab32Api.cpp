// The exported entry points. Nothing may leave them as an exception.
#include "cab32.h"

#include "Cp932Codec.h"
#include "ErrorNote.h"
#include "Listing.h"
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
    if (result.status == Status::Write && t_systemError != 0)
        text += " (errno " + std::to_string(t_systemError) + ")";
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
    cab32::t_systemError = 0;
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

namespace cab32 {
namespace {

// Runs a reading call on a CP932 path; exceptions become codes.
template <typename Body>
int onPath(const char* fileName, Body body)
{
    try {
        Cp932Codec codec;
        if (!codec.valid())
            return CAB32_ERROR_INTERNAL;
        auto path = codec.toUtf8(fileName);
        if (!path)
            return CAB32_ERROR_NOT_FOUND;
        return static_cast<int>(body(*path, codec).status);
    } catch (const std::bad_alloc&) {
        return CAB32_ERROR_MEMORY;
    } catch (...) {
        return CAB32_ERROR_INTERNAL;
    }
}

} // namespace
} // namespace cab32

extern "C" CAB32_API int CabList(const char* fileName, int mode, CabListFn each, CabStopFn stop, void* context)
{
    if (fileName == nullptr || each == nullptr)
        return CAB32_ERROR_COMMAND;
    return cab32::onPath(fileName, [&](const std::string& path, cab32::Cp932Codec& codec) {
        return cab32::listCabinet(path, mode == 2, cab32::StopCheck{stop, context}, codec,
                                  [&](const std::string& name, uint64_t size) {
                                      return each(context, name.c_str(), size) == 0;
                                  });
    });
}

extern "C" CAB32_API int CabReadFile(const char* fileName, const char* name, char* buffer, unsigned long size,
                                     unsigned long long* length, CabStopFn stop, void* context)
{
    if (fileName == nullptr || name == nullptr || (buffer == nullptr && size > 0))
        return CAB32_ERROR_COMMAND;
    return cab32::onPath(fileName, [&](const std::string& path, cab32::Cp932Codec& codec) {
        std::string bytes;
        uint64_t found = 0;
        cab32::Result result
            = cab32::readCabinetFile(path, name, size, cab32::StopCheck{stop, context}, codec, bytes, found);
        if (length != nullptr && (result.ok() || result.status == cab32::Status::Limit))
            *length = found;
        if (result.ok() && !bytes.empty())
            std::memcpy(buffer, bytes.data(), bytes.size());
        return result;
    });
}
