// Any bytes as a cabinet, extracted by the CAB component into a folder of a
// sandbox and checked in full: a known return code, nothing written beside
// the target folder, no temporary file left, no leak (LeakSanitizer). The
// listing (CabList) agrees with what -x wrote, and CabReadFile with the
// first file's content.
#include "FuzzSupport.h"

#include "cab32.h"

#include <algorithm>
#include <string>
#include <unistd.h>
#include <utility>
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
    void checkAndReset(const std::string& cabinet, const std::vector<std::string>& extracted)
    {
        const std::vector<std::string> listing = fuzz::snapshot(m_root);
        for (const std::string& line : extracted)
            FUZZ_CHECK(std::find(listing.begin(), listing.end(), line) != listing.end());
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

using Listed = std::vector<std::pair<std::string, unsigned long long>>;

int collect(void* listed, const char* name, unsigned long long size)
{
    static_cast<Listed*>(listed)->emplace_back(name, size);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Sandbox sandbox;
    sandbox.put(data, size);
    // Both ways the program and a user extract: replacing, and refusing to.
    const char* command = size % 2 ? "-x -i in.cab out" : "-x -o -i \"in.cab\" \"out/sub\" *.*";
    const std::string target = size % 2 ? "out/" : "out/sub/";
    char message[128];
    int rc = 0;
    int headersRead = 0;
    int fullyRead = 0;
    Listed listed;
    Listed checked;
    int listCode = 0;
    int checkedCode = 0;
    std::vector<char> first(65536);
    unsigned long long firstSize = 0;
    int readCode = CAB32_ERROR_NOT_FOUND;
    {
        const fuzz::InFolder inSandbox(sandbox.root());
        rc = Cab(nullptr, command, message, sizeof message);
        headersRead = CabCheckArchive("in.cab", 1);
        fullyRead = CabCheckArchive("in.cab", 2);
        listCode = CabList("in.cab", 1, collect, nullptr, &listed);
        checkedCode = CabList("in.cab", 2, collect, nullptr, &checked);
        if (!listed.empty())
            readCode = CabReadFile("in.cab", listed[0].first.c_str(), first.data(), first.size(),
                &firstSize, nullptr, nullptr);
    }
    FUZZ_CHECK(isKnownCode(rc));
    FUZZ_CHECK(rc != CAB32_ERROR_COMMAND && rc != CAB32_ERROR_METHOD && rc != CAB32_ERROR_NO_FILES);
    // An extraction that worked read good headers; the full check also
    // reads the blocks no file uses, so it may still fail. A full check
    // implies good headers.
    if (rc == CAB32_OK)
        FUZZ_CHECK(headersRead == 1);
    if (fullyRead)
        FUZZ_CHECK(headersRead == 1);
    // The listing checks all that -x checks, and refuses a name given twice
    // even where -o would replace it; a name too long once decoded is the
    // file system's limit, not the cabinet's.
    FUZZ_CHECK(isKnownCode(listCode));
    FUZZ_CHECK((listCode == CAB32_OK) == !listed.empty());
    if (listCode == CAB32_OK)
        FUZZ_CHECK(rc == CAB32_OK || rc == CAB32_ERROR_WRITE || rc == CAB32_ERROR_DAMAGED);
    // Mode 2 is the listing's checks and CabCheckArchive's full check, after
    // which only the file system can fail -x.
    FUZZ_CHECK((checkedCode == CAB32_OK) == (listCode == CAB32_OK && fullyRead == 1));
    if (checkedCode == CAB32_OK)
        FUZZ_CHECK(checked == listed && (rc == CAB32_OK || rc == CAB32_ERROR_WRITE));
    if (rc == CAB32_OK)
        FUZZ_CHECK(listCode == CAB32_OK || listCode == CAB32_ERROR_EXISTS);
    std::vector<std::string> extracted;
    if (rc == CAB32_OK && listCode == CAB32_OK) {
        for (const auto& [name, fileSize] : listed)
            extracted.push_back(target + name + " file " + std::to_string(fileSize));
        FUZZ_CHECK(readCode == (firstSize > first.size() ? CAB32_ERROR_LIMIT : CAB32_OK));
        FUZZ_CHECK(firstSize == listed[0].second);
        if (readCode == CAB32_OK)
            FUZZ_CHECK(fuzz::readFile(sandbox.root() + "/" + target + listed[0].first)
                == std::string(first.data(), firstSize));
    }
    sandbox.checkAndReset(std::string(reinterpret_cast<const char*>(data), size), extracted);
    return 0;
}
