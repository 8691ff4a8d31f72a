// What every case of the front end's tests shares: the program under test, the texts its runs
// print, and a fixture that runs it in a scratch folder of its own.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/zok_process.h"

namespace fs = std::filesystem;

// The program names itself as it is called.
#ifdef _WIN32
inline const std::string kProgram = "zok-cli: ";
#else
inline const std::string kProgram = "zok: ";
#endif
inline const std::string kDone = "操作完毕。";
inline const std::string kMismatch = "两次输入密码不一致或为空！";
inline const std::string kOpenFailed = "打开文件出错！";
inline const std::string kReadFailed = "读取文件出错！";
inline const std::string kWrongPassword = "密码错误！";
inline const std::string kQuestion = "与输出文件同名的文件已经存在，是否覆盖？";
inline const std::string kTooLarge = "文件过大（不能超过 2 GB）！";
inline const std::string kNoMemory = "内存不足！";

inline size_t ContainerSize(size_t plainSize) {
    const size_t body = plainSize == 0 ? 4 : (plainSize + 3) / 4 * 4;
    return 12 + body;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class CliTest : public ::testing::Test {
  protected:
    ZokResult Zok(const std::vector<std::string>& args, const std::string& input = "pw\n",
                  const Settings& settings = kChinese) {
        return RunZok(args, input, folder_.Root(), settings);
    }
    fs::path At(const std::string& name) const { return folder_ / name; }
    std::string Full(const std::string& name) const {
        const std::u8string text = At(name).u8string();
        return std::string(text.begin(), text.end());
    }

    ScratchFolder folder_;
};
