// The resources inside zok.exe, read from the file itself: the dialog template exactly as
// built (styles, rectangles, order, font), the icon, banner, manifest and version record; and
// those of zok-cli.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/window/window_driver.h"

namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

class Resources : public testing::Test {
  protected:
    void SetUp() override { Open(ProgramPath()); }
    void Open(const std::wstring& program) {
        if (module_ != nullptr)
            FreeLibrary(module_);
        module_ = LoadLibraryExW(program.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr)
            << "cannot load " << std::string(program.begin(), program.end());
    }
    void TearDown() override {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    // The resource's bytes in the Chinese (PRC) language; empty when there is none.
    std::vector<BYTE> Load(LPCWSTR type, LPCWSTR name) {
        HRSRC found = FindResourceExW(module_, type, name, kChinesePrc);
        if (found == nullptr)
            return {};
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        return std::vector<BYTE>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

// Reads the pieces of a DLGTEMPLATEEX in order.
struct Reader {
    const BYTE* at;

    template <typename T>
    T Take() {
        T value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    // A name or ordinal: "#n" for an ordinal, "" for none.
    std::wstring NameOrOrdinal() {
        WORD first = Take<WORD>();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Take<WORD>());
        std::wstring text(1, static_cast<wchar_t>(first));
        for (WORD unit; (unit = Take<WORD>()) != 0;) text += static_cast<wchar_t>(unit);
        return text;
    }
    void AlignToDword(const BYTE* base) {
        while ((at - base) % 4 != 0) ++at;
    }
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

// Class ordinals of the predefined controls.
std::wstring ClassName(const std::wstring& raw) {
    if (raw == L"#128")
        return L"BUTTON";
    if (raw == L"#129")
        return L"EDIT";
    if (raw == L"#130")
        return L"STATIC";
    return Upper(raw);
}

struct ExpectedItem {
    int id;
    const wchar_t* className;
    const wchar_t* title;
    short x, y, cx, cy;
    DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEntry = kChild | ES_LEFT | ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

const ExpectedItem kItems[] = {
    {1, L"EDIT", L"", 30, 65, 305, 12, kChild | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER},
    {2, L"BUTTON", L"浏览", 339, 64, 55, 14, kChild | BS_DEFPUSHBUTTON},
    {9, L"BUTTON", L"加密", 8, 234, 38, 22, kChild | BS_DEFPUSHBUTTON},
    {12, L"BUTTON", L"官方网站", 305, 234, 44, 22, kChild | BS_PUSHBUTTON},
    {14, L"BUTTON", L"退出", 353, 234, 41, 22, kChild | BS_PUSHBUTTON},
    {-1, L"STATIC", L"文件:", 9, 66, 19, 8, kChild | SS_LEFT},
    {-1, L"STATIC", L"加密密码:", 9, 84, 36, 8, kChild | SS_LEFT},
    {3, L"EDIT", L"", 46, 83, 289, 12, kEntry},
    {-1, L"STATIC", L"确认密码:", 9, 102, 36, 8, kChild | SS_LEFT},
    {4, L"EDIT", L"", 46, 101, 289, 12, kEntry},
    {8, L"MSCTLS_PROGRESS32", L"", 8, 216, 385, 11, kChild},
    {7, L"EDIT", L"", 8, 120, 385, 88,
     kChild | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_BORDER | WS_VSCROLL},
    {10, L"BUTTON", L"解密", 50, 234, 38, 22, kChild | BS_PUSHBUTTON},
    {11, L"BUTTON", L"粉碎", 92, 234, 38, 22, kChild | BS_PUSHBUTTON},
    {6, L"BUTTON", L"覆盖源文件", 340, 103, 54, 8, kChild | BS_AUTOCHECKBOX},
    {-1, L"STATIC", L"#1", 0, 0, 321, 44, kChild | SS_BITMAP},
};

TEST_F(Resources, DialogTemplateIsExactlyTheMainWindow) {
    std::vector<BYTE> bytes = Load(RT_DIALOG, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(bytes.empty()) << "no dialog 1 in language 0x0804";
    Reader read{bytes.data()};
    EXPECT_EQ(read.Take<WORD>(), 1);       // version of the extended template
    EXPECT_EQ(read.Take<WORD>(), 0xFFFF);  // its signature
    read.Take<DWORD>();                    // help id
    EXPECT_EQ(read.Take<DWORD>(), static_cast<DWORD>(WS_EX_ACCEPTFILES));
    EXPECT_EQ(read.Take<DWORD>(), 0x90CA08C0u);
    const WORD count = read.Take<WORD>();
    EXPECT_EQ(read.Take<short>(), 0);
    EXPECT_EQ(read.Take<short>(), 0);
    EXPECT_EQ(read.Take<short>(), 400);
    EXPECT_EQ(read.Take<short>(), 262);
    EXPECT_EQ(read.NameOrOrdinal(), L"") << "no menu";
    EXPECT_EQ(read.NameOrOrdinal(), L"") << "the standard dialog class";
    EXPECT_EQ(read.NameOrOrdinal(), kMainCaption);
    EXPECT_EQ(read.Take<WORD>(), 10);    // points
    EXPECT_EQ(read.Take<WORD>(), 400);   // weight
    EXPECT_EQ(read.Take<BYTE>(), 0);     // not italic
    EXPECT_EQ(read.Take<BYTE>(), 0x86);  // GB2312
    EXPECT_EQ(read.NameOrOrdinal(), L"微软雅黑");

    ASSERT_EQ(count, std::size(kItems));
    for (const ExpectedItem& expected : kItems) {
        SCOPED_TRACE(testing::Message()
                     << "control " << expected.id << " at " << expected.x << "," << expected.y);
        read.AlignToDword(bytes.data());
        read.Take<DWORD>();  // help id
        EXPECT_EQ(read.Take<DWORD>(), 0u) << "extended style";
        const DWORD style = read.Take<DWORD>();
        EXPECT_EQ(style, expected.style) << std::hex << style;
        EXPECT_EQ(read.Take<short>(), expected.x);
        EXPECT_EQ(read.Take<short>(), expected.y);
        EXPECT_EQ(read.Take<short>(), expected.cx);
        EXPECT_EQ(read.Take<short>(), expected.cy);
        EXPECT_EQ(static_cast<int>(read.Take<DWORD>()), expected.id);
        EXPECT_EQ(ClassName(read.NameOrOrdinal()), expected.className);
        EXPECT_EQ(read.NameOrOrdinal(), expected.title);
        const WORD extra = read.Take<WORD>();
        EXPECT_EQ(extra, 0);
        read.at += extra;
    }
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<LPWSTR>*>(names)->push_back(name);
    return TRUE;
}

TEST_F(Resources, IconGroupZeroHoldsOne48PixelTrueColourImage) {
    std::vector<LPWSTR> names;
    EnumResourceNamesW(module_, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&names));
    ASSERT_EQ(names.size(), 1u);
    ASSERT_TRUE(IS_INTRESOURCE(names[0]));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(names[0]), 0u) << "the icon group is number 0";

    std::vector<BYTE> group = Load(RT_GROUP_ICON, names[0]);
    ASSERT_GE(group.size(), 6u + 14u);
    Reader read{group.data()};
    read.Take<WORD>();
    EXPECT_EQ(read.Take<WORD>(), 1);  // icons, not cursors
    ASSERT_EQ(read.Take<WORD>(), 1);  // one image
    EXPECT_EQ(read.Take<BYTE>(), 48);
    EXPECT_EQ(read.Take<BYTE>(), 48);
    read.Take<BYTE>();
    read.Take<BYTE>();
    read.Take<WORD>();
    EXPECT_EQ(read.Take<WORD>(), 24);
    read.Take<DWORD>();
    const WORD imageId = read.Take<WORD>();

    std::vector<BYTE> image = Load(RT_ICON, MAKEINTRESOURCEW(imageId));
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 48);
    EXPECT_EQ(header.biHeight, 96);  // picture and mask
    EXPECT_EQ(header.biBitCount, 24);
}

TEST_F(Resources, BannerIs803By126TrueColour) {
    std::vector<BYTE> bitmap = Load(RT_BITMAP, MAKEINTRESOURCEW(1));
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 803);
    EXPECT_EQ(header.biHeight, 126);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
}

TEST_F(Resources, ManifestOnlyAsksForCommonControls6) {
    std::vector<BYTE> bytes = Load(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    for (const char* absent :
         {"requestedExecutionLevel", "trustInfo", "dpiAware", "dpiAwareness", "compatibility"}) {
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
    }
}

TEST_F(Resources, VersionRecordIsChinesePrcUnicode) {
    ASSERT_FALSE(Load(RT_VERSION, MAKEINTRESOURCEW(1)).empty());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    wchar_t* description = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\080404b0\\FileDescription",
                               reinterpret_cast<void**>(&description), &length));
    EXPECT_EQ(std::wstring(description), L"青禾文件加密机");
}

// The fixed part of a program's version record: file and product versions, high and low.
std::vector<DWORD> FixedVersion(const std::wstring& program) {
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (info.empty() || !GetFileVersionInfoW(program.c_str(), 0, info.size(), info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        return {};
    }
    return {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
            fixed->dwProductVersionLS};
}

// zok-cli.exe is a console program as Windows expects one: zok.exe's version and icon, and a
// manifest that asks for no elevation and names the systems it was tested on.
TEST_F(Resources, ConsoleProgramHasTheWindowsVersionIconAndManifest) {
    const std::wstring cli = WindowsPathOf(L"" ZOK_CLI_EXE);
    Open(cli);
    EXPECT_FALSE(Load(RT_GROUP_ICON, MAKEINTRESOURCEW(1)).empty());
    std::vector<BYTE> bytes = Load(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    size_t systems = 0;
    for (size_t at = manifest.find("<supportedOS"); at != std::string::npos;
         at = manifest.find("<supportedOS", at + 1)) {
        ++systems;
    }
    EXPECT_EQ(systems, 5u) << "Vista, 7, 8, 8.1 and 10/11";
    const std::vector<DWORD> version = FixedVersion(cli);
    EXPECT_EQ(version.size(), 4u);
    EXPECT_EQ(version, FixedVersion(ProgramPath()));
}

}  // namespace
