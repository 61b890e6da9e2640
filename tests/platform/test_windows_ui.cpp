// The system menu, its commands as the window gets them, and the version
// resources, read back through the system's own calls on a real window and
// the built executables.
#include "platform/NativeUi.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using platform::MenuEntry;
using platform::NativeWindow;
using platform::SystemMenu;

// What the window's own procedure saw of WM_SYSCOMMAND.
std::vector<WPARAM> g_ownCommands;

LRESULT CALLBACK ownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSCOMMAND)
        g_ownCommands.push_back(wParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A plain top-level window with a system menu, never shown.
class TestWindow {
public:
    TestWindow()
    {
        static const ATOM atom = [] {
            WNDCLASSW windowClass {};
            windowClass.lpfnWndProc = &ownProcedure;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TamberloxTestWindow";
            return ::RegisterClassW(&windowClass);
        }();
        m_window = ::CreateWindowExW(0, MAKEINTATOM(atom), L"test", WS_OVERLAPPEDWINDOW, 0, 0,
            200, 100, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow()
    {
        if (m_window != nullptr)
            ::DestroyWindow(m_window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    NativeWindow id() const { return reinterpret_cast<NativeWindow>(m_window); }
    HWND hwnd() const { return m_window; }

private:
    HWND m_window = nullptr;
};

class SystemMenuTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_ownCommands.clear();
        ASSERT_NE(window.hwnd(), nullptr);
    }

    TestWindow window;
};

const std::vector<MenuEntry> kEntries {
    { true, 0, {} },
    { false, 256, QStringLiteral("バージョン情報") },
    { false, 257, QStringLiteral("設定") },
};

TEST_F(SystemMenuTest, AppendedEntriesFollowTheSystemsOwnInOrder)
{
    const std::vector<MenuEntry> before = SystemMenu::entries(window.id());
    ASSERT_FALSE(before.empty());  // the system's own: move, size, close...
    ASSERT_TRUE(SystemMenu::append(window.id(), kEntries));

    const std::vector<MenuEntry> after = SystemMenu::entries(window.id());
    ASSERT_EQ(after.size(), before.size() + 3);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i].id, before[i].id) << i;
    for (size_t i = 0; i < kEntries.size(); ++i) {
        const MenuEntry& entry = after[before.size() + i];
        EXPECT_EQ(entry.separator, kEntries[i].separator) << i;
        if (!entry.separator) {
            EXPECT_EQ(entry.id, kEntries[i].id) << i;
            EXPECT_EQ(entry.text, kEntries[i].text) << i;
        }
    }
    // The close command the system put there stays where it was.
    bool hasClose = false;
    for (const MenuEntry& entry : before)
        hasClose = hasClose || entry.id == SC_CLOSE;
    EXPECT_TRUE(hasClose);
}

TEST_F(SystemMenuTest, NoWindowHasNoMenuToAppendTo)
{
    EXPECT_FALSE(SystemMenu::append(0, kEntries));
    EXPECT_TRUE(SystemMenu::entries(0).empty());
}

TEST_F(SystemMenuTest, SentCommandReachesTheWindowWhole)
{
    SystemMenu::sendCommand(window.id(), 257);
    // The system's low four bits and any high word arrive as they are.
    SystemMenu::sendCommand(window.id(), 0x10000 | 256);
    EXPECT_EQ(g_ownCommands, (std::vector<WPARAM> { 257, 0x10000 | 256 }));
}

TEST_F(SystemMenuTest, CommandOfReadsOnlyThisWindowsSystemCommands)
{
    const QByteArray type("windows_generic_MSG");
    MSG message {};
    message.hwnd = window.hwnd();
    message.message = WM_SYSCOMMAND;
    message.wParam = 0x10000 | 256;
    EXPECT_EQ(SystemMenu::commandOf(window.id(), type, &message), quintptr(0x10000 | 256));
    message.wParam = SC_CLOSE;
    EXPECT_EQ(SystemMenu::commandOf(window.id(), type, &message), quintptr(SC_CLOSE));

    // Another window's, another message, the dispatcher's copy, none.
    TestWindow other;
    EXPECT_EQ(SystemMenu::commandOf(other.id(), type, &message), std::nullopt);
    EXPECT_EQ(SystemMenu::commandOf(window.id(), "windows_dispatcher_MSG", &message), std::nullopt);
    EXPECT_EQ(SystemMenu::commandOf(window.id(), type, nullptr), std::nullopt);
    message.message = WM_COMMAND;
    EXPECT_EQ(SystemMenu::commandOf(window.id(), type, &message), std::nullopt);
}

// Version resources, read as Explorer reads them.
struct Resource {
    const char* file;
    const char16_t* description;
    bool hasIcon;
    bool hasManifest;
};

class VersionResource : public testing::TestWithParam<Resource> {
protected:
    static std::wstring path(const char* file)
    {
        return QDir(QCoreApplication::applicationDirPath())
            .filePath(QString::fromLatin1(file))
            .toStdWString();
    }

    static std::wstring stringValue(const std::string& data, const wchar_t* name)
    {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
        if (!::VerQueryValueW(data.data(), key.c_str(), &value, &length) || length == 0)
            return L"<none>";
        return std::wstring(static_cast<const wchar_t*>(value), length - 1);
    }
};

TEST_P(VersionResource, CarriesTheProjectVersionAndItsJapaneseDescription)
{
    const std::wstring file = path(GetParam().file);
    const auto version = platform::fileVersion(QString::fromStdWString(file));
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(*version,
        (std::array<int, 4> { TAMBERLOX_VERSION_MAJOR, TAMBERLOX_VERSION_MINOR, 0,
            TAMBERLOX_VERSION_PATCH }));

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(file.c_str(), 0, size, data.data()));

    EXPECT_EQ(stringValue(data, L"FileDescription"),
        reinterpret_cast<const wchar_t*>(GetParam().description));
    EXPECT_EQ(stringValue(data, L"ProductName"), L"Tamberlox");
    EXPECT_EQ(stringValue(data, L"OriginalFilename"),
        QString::fromLatin1(GetParam().file).toStdWString());
    EXPECT_EQ(stringValue(data, L"ProductVersion"), TAMBERLOX_VERSION_TEXT);

    // Japanese, Unicode: the block Explorer looks for first on a Japanese system.
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 1200);
}

TEST_P(VersionResource, ProgramsCarryTheirIconAndManifest)
{
    HMODULE module = ::LoadLibraryExW(path(GetParam().file).c_str(), nullptr,
        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);

    HRSRC icons = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    EXPECT_EQ(icons != nullptr, GetParam().hasIcon);
    if (icons != nullptr) {
        // The icon directory: reserved, type 1, count, then 14-byte rows.
        const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(module, icons)));
        ASSERT_NE(group, nullptr);
        const WORD count = *reinterpret_cast<const WORD*>(group + 4);
        ASSERT_EQ(count, 3);
        std::vector<int> widths;
        for (WORD i = 0; i < count; ++i)
            widths.push_back(group[6 + 14 * i]);
        EXPECT_EQ(widths, (std::vector<int> { 16, 32, 48 }));
    }

    HRSRC manifest = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    EXPECT_EQ(manifest != nullptr, GetParam().hasManifest);
    if (manifest != nullptr) {
        const auto* text = static_cast<const char*>(::LockResource(::LoadResource(module, manifest)));
        const std::string xml(text, ::SizeofResource(module, manifest));
        EXPECT_NE(xml.find(R"(level="asInvoker")"), std::string::npos);
        EXPECT_NE(xml.find(">PerMonitorV2<"), std::string::npos);
        EXPECT_NE(xml.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"),
            std::string::npos);
    }
    ::FreeLibrary(module);
}

std::string builtFileName(const testing::TestParamInfo<Resource>& info)
{
    static const char* const names[] = { "Program", "OpenProgram", "Cab32", "Capicom" };
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(BuiltFiles, VersionResource,
    testing::Values(Resource { "tamberlox.exe", u"トルメア暗号化ﾌｧｲﾙ出力", true, true },
        Resource { "tamberlox-open.exe", u"トルメア暗号化ﾌｧｲﾙを開く", false, true },
        Resource { "cab32.dll", u"CAB 書庫部品", false, false },
        Resource { "capicom.dll", u"パスフレーズ暗号化部品", false, false }),
    builtFileName);

TEST(ProgramVersion, ComesFromTheRunningExecutablesOwnResource)
{
    // This test program's resource says 9.8.0.7, unlike anything built in.
    EXPECT_EQ(platform::programVersion(), (std::array<int, 4> { 9, 8, 0, 7 }));
}

TEST(ProgramVersion, FileWithoutResourceHasNone)
{
    EXPECT_FALSE(platform::fileVersion(QStringLiteral("C:/windows/win.ini")).has_value());
    EXPECT_FALSE(platform::fileVersion(QStringLiteral("C:/no/such/file.exe")).has_value());
}

} // namespace
