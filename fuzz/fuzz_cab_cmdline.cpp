// Any bytes as the command line of the CAB component, run for real in a
// sandbox: a known return code, a terminated message, the parser and Cab()
// agreeing on what is malformed, and nothing written outside the sandbox.
#include "FuzzSupport.h"

#include "CommandLine.h"
#include "Cp932Codec.h"
#include "cab32.h"

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// root/outer/box: the command runs in box and may reach outer (one "..");
// root must hold nothing but outer afterwards.
class Sandbox {
public:
    Sandbox()
        : m_root(fuzz::scratchFolder("fuzz_cab_cmdline"))
        , m_outer(m_root + "/outer")
        , m_box(m_outer + "/box")
    {
        rebuild();
        m_pristine = fuzz::snapshot(m_outer);
    }

    const std::string& box() const { return m_box; }

    // Checks what a call of line left and puts the sandbox back as it was.
    void checkAndReset(const std::string& line)
    {
        FUZZ_CHECK(fuzz::snapshot(m_root) == rootListing());
        // Temporary files of the component carry ".~<pid>." in their name;
        // a line that names such a file itself proves nothing.
        const std::string marker = ".~" + std::to_string(::getpid()) + ".";
        if (line.find(marker) == std::string::npos)
            FUZZ_CHECK(fuzz::namesContaining(m_outer, marker).empty());
        if (fuzz::snapshot(m_outer) != m_pristine)
            rebuild();
    }

private:
    std::vector<std::string> rootListing() const
    {
        std::vector<std::string> listing { "outer dir" };
        for (const std::string& line : fuzz::snapshot(m_outer))
            listing.push_back("outer/" + line);
        return listing;
    }

    void rebuild()
    {
        fuzz::removeTree(m_outer);
        fs::create_directories(m_box + "/src/sub");
        fuzz::writeFile(m_box + "/src/a.txt", "alpha\r\n", 7);
        fuzz::writeFile(m_box + "/src/sub/b.csv", "1,2,3\r\n", 7);
        // Names go into the cabinet as CP932 (表, trail byte 0x5C) or UTF-8 (ü).
        fuzz::writeFile(m_box + "/src/\xE8\xA1\xA8.txt", "cp932", 5);
        fuzz::writeFile(m_box + "/src/sub/\xC3\xBC.txt", "utf-8", 5);
        fuzz::writeFile(m_outer + "/beside.txt", "beside", 6);
        const fuzz::InFolder inBox(m_box);
        char message[256];
        FUZZ_CHECK(
            Cab(nullptr, "-a -r -i -mz pack.cab src *.*", message, sizeof message) == CAB32_OK);
    }

    std::string m_root;
    std::string m_outer;
    std::string m_box;
    std::vector<std::string> m_pristine;
};

// True when path, taken from box, stays inside outer.
bool staysInside(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return false;
    int depth = 1; // box is one below outer
    for (const auto& part : fs::path(path)) {
        const std::string step = part.string();
        if (step == "..")
            --depth;
        else if (!step.empty() && step != ".")
            ++depth;
        if (depth < 0)
            return false;
    }
    return true;
}

bool isKnownCode(int rc)
{
    return rc == CAB32_OK || (rc >= CAB32_ERROR_COMMAND && rc <= CAB32_ERROR_INTERNAL);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Sandbox sandbox;
    // Cab() reads up to the first NUL.
    std::string line(reinterpret_cast<const char*>(data), size);
    line.resize(line.find('\0') == std::string::npos ? line.size() : line.find('\0'));

    cab32::Cp932Codec codec;
    cab32::Command command;
    const bool parsed = cab32::parseCommand(line, codec, command).ok();
    // The archive and the folder are the paths written to; the file names
    // after them only select.
    if (parsed && !(staysInside(command.archive) && staysInside(command.folder)))
        return 0;

    // A message buffer of a size the input decides, so cutting is exercised.
    const std::size_t messageSize = size % 48;
    std::vector<char> message(messageSize, '\x7f');
    int rc = 0;
    {
        const fuzz::InFolder inBox(sandbox.box());
        rc = Cab(nullptr, line.c_str(), messageSize ? message.data() : nullptr, messageSize);
    }
    FUZZ_CHECK(isKnownCode(rc));
    FUZZ_CHECK((rc == CAB32_ERROR_COMMAND) == !parsed);
    if (messageSize > 0)
        FUZZ_CHECK(std::string(message.data(), messageSize).find('\0') != std::string::npos);
    sandbox.checkAndReset(line);
    return 0;
}
