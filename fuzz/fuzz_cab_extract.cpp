// Any bytes as a cabinet, extracted by the CAB component into a folder of a
// sandbox and checked in full: a known return code, nothing written beside
// the target folder, no temporary file left, no leak (LeakSanitizer).
#include "FuzzSupport.h"

#include "cab32.h"

#include <string>
#include <unistd.h>
#include <vector>

namespace {

class Sandbox {
public:
    Sandbox()
        : m_root(fuzz::scratchFolder("fuzz_cab_extract"))
    {
        fuzz::writeFile(m_root + "/beside.txt", "beside", 6);
    }

    // The sandbox holds the cabinet, the untouched neighbour and at most the
    // target folder; the target folder goes after each call.
    void checkAndReset(const std::string& cabinet)
    {
        const std::vector<std::string> listing = fuzz::snapshot(m_root);
        for (const std::string& line : listing) {
            const bool known = line.rfind("out", 0) == 0 || line == "in.cab file " + m_cabinetSize
                || line == "beside.txt file 6";
            if (!known)
                fuzz::violated(("written outside the target: " + fuzz::printable(line)).c_str(),
                    __FILE__, __LINE__);
        }
        // Names the cabinet gives itself may look like a temporary name.
        const std::string marker = ".~" + std::to_string(::getpid()) + ".";
        if (cabinet.find(marker) == std::string::npos)
            FUZZ_CHECK(fuzz::namesContaining(m_root, marker).empty());
        fuzz::removeTree(m_root + "/out");
    }

    const std::string& root() const { return m_root; }

    void put(const std::uint8_t* data, std::size_t size)
    {
        fuzz::writeFile(m_root + "/in.cab", data, size);
        m_cabinetSize = std::to_string(size);
    }

private:
    std::string m_root;
    std::string m_cabinetSize;
};

bool isKnownCode(int rc)
{
    return rc == CAB32_OK || (rc >= CAB32_ERROR_NOT_FOUND && rc <= CAB32_ERROR_INTERNAL);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Sandbox sandbox;
    sandbox.put(data, size);
    // Both ways the program and a user extract: replacing, and refusing to.
    const char* command = size % 2 ? "-x -i in.cab out" : "-x -o -i \"in.cab\" \"out/sub\" *.*";
    char message[128];
    int rc = 0;
    int headersRead = 0;
    int fullyRead = 0;
    {
        const fuzz::InFolder inSandbox(sandbox.root());
        rc = Cab(nullptr, command, message, sizeof message);
        headersRead = CabCheckArchive("in.cab", 1);
        fullyRead = CabCheckArchive("in.cab", 2);
    }
    FUZZ_CHECK(isKnownCode(rc));
    FUZZ_CHECK(rc != CAB32_ERROR_COMMAND && rc != CAB32_ERROR_METHOD && rc != CAB32_ERROR_NO_FILES);
    // Every file was selected, so an extraction that worked read every file
    // with good checksums; a full check implies good headers.
    if (rc == CAB32_OK)
        FUZZ_CHECK(headersRead == 1 && fullyRead == 1);
    if (fullyRead)
        FUZZ_CHECK(headersRead == 1);
    sandbox.checkAndReset(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
