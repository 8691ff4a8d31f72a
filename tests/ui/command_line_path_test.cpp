// Path pickup from the whole command line at start-up.
#include "ui/command_line_path.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "fileops/app_state.h"

namespace {

// Path buffer with a guard area behind it, pre-filled so writes past the terminator show.
struct Picked {
    char16_t units[kPathCapacity + 16];
    bool ok;
};

Picked Pick(const std::u16string& commandLine) {
    Picked picked;
    for (char16_t& unit : picked.units) unit = u'#';
    picked.ok = PickPathFromCommandLine(commandLine.c_str(), picked.units);
    return picked;
}

std::u16string Text(const Picked& picked) {
    return std::u16string(picked.units);
}

bool Untouched(const Picked& picked) {
    for (char16_t unit : picked.units) {
        if (unit != u'#')
            return false;
    }
    return true;
}

// A line and the path taken from it.
struct PickRow {
    const char* what;
    std::u16string_view line;
    std::u16string_view path;
};

TEST(CommandLinePath, PathRunsFromBeforeTheSecondColonToTheNextQuote) {
    const PickRow rows[] = {
        {"program by full path, quoted argument", u"\"C:\\Tools\\app.exe\" \"D:\\My Files\\a.txt\"",
         u"D:\\My Files\\a.txt"},
        {"an unquoted argument runs to the end of the line",
         u"\"C:\\Tools\\app.exe\" D:\\My Files\\a.txt --more args",
         u"D:\\My Files\\a.txt --more args"},
        {"the path ends at the first quote after its colon",
         u"\"C:\\app.exe\" \"D:\\a.txt\" \"E:\\b.txt\"", u"D:\\a.txt"},
        // Counted from unit 1 the colons are at 2 and 4; counting unit 0 would start at "X".
        {"the first unit is never counted", u":X:Y:Z", u"Y:Z"},
    };
    for (const PickRow& row : rows) {
        Picked picked = Pick(std::u16string(row.line));
        if (!picked.ok) {
            ADD_FAILURE() << row.what << ": nothing taken";
            continue;
        }
        EXPECT_EQ(Text(picked), row.path) << row.what;
    }
}

TEST(CommandLinePath, RelativeProgramNameSkipsTheFirstArgumentsDrive) {
    // The argument's own colon is the first one: nothing is taken.
    Picked single = Pick(u"app.exe \"D:\\My Files\\a.txt\"");
    EXPECT_FALSE(single.ok);
    EXPECT_TRUE(Untouched(single));

    // A further colon starts the path one unit before it, inside the second argument.
    Picked two = Pick(u"app.exe \"D:\\a.txt\" \"E:\\b.txt\"");
    ASSERT_TRUE(two.ok);
    EXPECT_EQ(Text(two), u"E:\\b.txt");
}

TEST(CommandLinePath, NothingTakenWithoutASecondColon) {
    for (const char16_t* line : {u"", u"\"C:\\Tools\\app.exe\"", u"\"C:\\Tools\\app.exe\" a.txt",
                                 u"app.exe", u"app.exe relative\\a.txt"}) {
        Picked picked = Pick(line);
        EXPECT_FALSE(picked.ok) << std::string(line, line + std::u16string(line).size());
        EXPECT_TRUE(Untouched(picked));
    }
    char16_t path[kPathCapacity] = {u'x', 0};
    EXPECT_FALSE(PickPathFromCommandLine(nullptr, path));
    EXPECT_EQ(path[0], u'x');
}

TEST(CommandLinePath, LongestPathIsTakenWholeAndALongerOneIsRefused) {
    const std::u16string program = u"\"C:\\app.exe\" \"";
    std::u16string longest = u"D:\\" + std::u16string(kPathCapacity - 1 - 3, u'a');
    ASSERT_EQ(longest.size(), kPathCapacity - 1);

    Picked fits = Pick(program + longest + u"\"");
    ASSERT_TRUE(fits.ok);
    EXPECT_EQ(Text(fits), longest);
    EXPECT_EQ(fits.units[kPathCapacity], u'#') << "wrote past the buffer";

    // One unit more must not be cut to 259 units: the cut path could name another file.
    Picked tooLong = Pick(program + longest + u"b\"");
    EXPECT_FALSE(tooLong.ok);
    EXPECT_TRUE(Untouched(tooLong));
    Picked unquoted = Pick(u"\"C:\\app.exe\" " + longest + u"b");
    EXPECT_FALSE(unquoted.ok);
    EXPECT_TRUE(Untouched(unquoted));
}

// Straightforward model on std::u16string, to compare against on random lines.
bool ModelPick(const std::u16string& line, std::u16string* path) {
    if (line.empty())
        return false;
    size_t first = line.find(u':', 1);
    if (first == std::u16string::npos)
        return false;
    size_t second = line.find(u':', first + 1);
    if (second == std::u16string::npos)
        return false;
    size_t quote = line.find(u'"', second + 1);
    size_t end = quote == std::u16string::npos ? line.size() : quote;
    std::u16string taken = line.substr(second - 1, end - (second - 1));
    if (taken.size() > kPathCapacity - 1)
        return false;
    *path = taken;
    return true;
}

TEST(CommandLinePath, AgreesWithTheModelOnRandomLines) {
    std::mt19937 random(20240607);
    const char16_t alphabet[] = {u':', u'"', u' ', u'\\', u'C', u'a', u'\u6587', u'.'};
    for (int round = 0; round < 20000; ++round) {
        std::u16string line(random() % 600, u' ');
        for (char16_t& unit : line) unit = alphabet[random() % (sizeof alphabet / 2)];
        std::u16string expected;
        bool expectedOk = ModelPick(line, &expected);
        Picked picked = Pick(line);
        ASSERT_EQ(picked.ok, expectedOk) << "round " << round;
        if (expectedOk) {
            ASSERT_EQ(Text(picked), expected) << "round " << round;
            for (size_t i = expected.size() + 1; i < sizeof picked.units / 2; ++i)
                ASSERT_EQ(picked.units[i], u'#');
        } else {
            ASSERT_TRUE(Untouched(picked));
        }
    }
}

}  // namespace
