#include "cli/texts.h"

#include "ui/text_table.h"

namespace {

using CliTextEntry = TextEntry<CliText>;

constexpr CliTextEntry kEnglishTexts[] = {
    {CliText::kHelp,
     u"Usage: zok encrypt [--in-place] [--yes] [--password-stdin] FILE...\n"
     u"       zok decrypt [--in-place] [--yes] [--password-stdin] FILE...\n"
     u"       zok shred FILE...\n"
     u"       zok --help | --version\n"
     u"\n"
     u"Encrypts, decrypts or shreds each FILE in turn, exactly as the ZOK window does.\n"
     u"\n"
     u"  encrypt   write an encrypted container of FILE\n"
     u"  decrypt   restore the original from a container\n"
     u"  shred     overwrite FILE with a pattern, cut it to zero length and delete it\n"
     u"\n"
     u"  --in-place        write over FILE itself (\"overwrite source file\"); otherwise the\n"
     u"                    output goes beside it: name.ext -> name_ZOK.ext, name -> name_Adv\n"
     u"  --yes             overwrite an existing output file without asking\n"
     u"  --password-stdin  read the password as one UTF-8 line from standard input\n"
     u"  --                end of options: every later argument is a FILE\n"
     u"\n"
     u"The password is asked once, twice without echo, on the terminal, and used for every\n"
     u"FILE; at most 129 UTF-16 units of it count. An existing output file is overwritten only\n"
     u"after a yes on the terminal, or with --yes; without a terminal the answer is no.\n"
     u"Status lines and error messages go to standard error, with a progress bar when it is a\n"
     u"terminal. Paths are limited to 259 UTF-16 units.\n"
     u"\n"
     u"The language follows LC_ALL, LC_MESSAGES or LANG: Chinese for a value starting with\n"
     u"\"zh\", English otherwise.\n"
     u"\n"
     u"Exit status: 0 when every run completed, 1 when a run failed or an overwrite was\n"
     u"declined, 2 for a usage error.\n"},
    {CliText::kNoCommand, u"no command given"},
    {CliText::kUnknownCommand, u"unknown command '{}'"},
    {CliText::kUnknownOption, u"unknown option '{}'"},
    {CliText::kEmptyFileName, u"empty file name"},
    {CliText::kNoFileGiven, u"no file given"},
    {CliText::kNoTerminal, u"no terminal to ask for the password (use --password-stdin)"},
    {CliText::kPasswordNotUtf8, u"the password is not valid UTF-8"},
    {CliText::kPasswordHasNul, u"the password contains a NUL character"},
    {CliText::kArgumentNotUtf8, u"an argument is not valid UTF-8"},
    {CliText::kTryHelp, u"Try '{} --help'."},
    {CliText::kPasswordPrompt, u"Password: "},
    {CliText::kConfirmPrompt, u"Confirm password: "},
    {CliText::kQuestionKeys, u" [y/N] "},
    {CliText::kAnsweredYes, u"y"},
    {CliText::kAnsweredNo, u"n"},
    {CliText::kNotOverwritten, u"not overwritten (--yes overwrites without asking)"},
    {CliText::kNoCurrentDirectory, u"the current directory cannot be determined"},
    {CliText::kPathTooLong, u"path longer than 259 UTF-16 units"},
};
static_assert(HasEveryIdentifierInOrder<kCliTextCount>(kEnglishTexts),
              "one text per identifier, in identifier order");

// The prompts are the window's own labels; the keys to type stay y and n.
constexpr CliTextEntry kChineseTexts[] = {
    {CliText::kHelp,
     u"用法：zok encrypt [--in-place] [--yes] [--password-stdin] 文件...\n"
     u"      zok decrypt [--in-place] [--yes] [--password-stdin] 文件...\n"
     u"      zok shred 文件...\n"
     u"      zok --help | --version\n"
     u"\n"
     u"依次加密、解密或粉碎每个文件，与 ZOK 窗口的做法完全相同。\n"
     u"\n"
     u"  encrypt   把文件加密为容器\n"
     u"  decrypt   从容器还原原文件\n"
     u"  shred     用固定图案覆盖文件，截为零长度后删除\n"
     u"\n"
     u"  --in-place        直接写在文件本身上（“覆盖源文件”）；否则输出写到它旁边：\n"
     u"                    name.ext -> name_ZOK.ext，name -> name_Adv\n"
     u"  --yes             输出文件已存在时不经询问直接覆盖\n"
     u"  --password-stdin  从标准输入读取一行 UTF-8 文本作为密码\n"
     u"  --                选项到此结束：其后的每个参数都是文件\n"
     u"\n"
     u"密码在终端上询问一次（输入两遍，不回显），用于每个文件；最多计入前 129 个 UTF-16\n"
     u"单元。已存在的输出文件只在终端上回答 y 或给出 --yes 时覆盖；没有终端时视为回答否。\n"
     u"状态行和错误信息写到标准错误，标准错误是终端时另有进度条。路径最长 259 个 UTF-16\n"
     u"单元。\n"
     u"\n"
     u"语言取自 LC_ALL、LC_MESSAGES 或 LANG：以“zh”开头的值为中文，其余为英文。\n"
     u"\n"
     u"退出状态：0 表示每次运行都已完成，1 表示有运行失败或拒绝了覆盖，2 表示用法错误。\n"},
    {CliText::kNoCommand, u"未指定命令"},
    {CliText::kUnknownCommand, u"未知命令“{}”"},
    {CliText::kUnknownOption, u"未知选项“{}”"},
    {CliText::kEmptyFileName, u"文件名为空"},
    {CliText::kNoFileGiven, u"未指定文件"},
    {CliText::kNoTerminal, u"没有可以询问密码的终端（请用 --password-stdin）"},
    {CliText::kPasswordNotUtf8, u"密码不是有效的 UTF-8 文本"},
    {CliText::kPasswordHasNul, u"密码含有 NUL 字符"},
    {CliText::kArgumentNotUtf8, u"有参数不是有效的 UTF-8 文本"},
    {CliText::kTryHelp, u"用“{} --help”查看用法。"},
    {CliText::kPasswordPrompt, u"加密密码:"},
    {CliText::kConfirmPrompt, u"确认密码:"},
    {CliText::kQuestionKeys, u" [y/N] "},
    {CliText::kAnsweredYes, u"是"},
    {CliText::kAnsweredNo, u"否"},
    {CliText::kNotOverwritten, u"未覆盖（--yes 不经询问直接覆盖）"},
    {CliText::kNoCurrentDirectory, u"无法确定当前目录"},
    {CliText::kPathTooLong, u"路径超过 259 个 UTF-16 单元"},
};
static_assert(HasEveryIdentifierInOrder<kCliTextCount>(kChineseTexts),
              "one text per identifier, in identifier order");

// Indexed by Language.
constexpr const CliTextEntry* kTables[] = {kChineseTexts, kEnglishTexts};
static_assert(sizeof kTables / sizeof kTables[0] == kLanguageCount, "one table per language");

}  // namespace

const char16_t* TextIn(Language language, CliText text) {
    return kTables[static_cast<size_t>(language)][static_cast<size_t>(text)].text;
}

std::u16string Filled(std::u16string_view text, std::u16string_view value) {
    std::u16string filled(text);
    const size_t at = filled.find(u"{}");
    if (at != std::u16string::npos)
        filled.replace(at, 2, value);
    return filled;
}
