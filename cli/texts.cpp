#include "cli/texts.h"

#include "ui/text_table.h"

namespace {

using CliTextEntry = TextEntry<CliText>;

constexpr CliTextEntry kEnglishTexts[] = {
    {CliText::kHelp,
     u"Usage: {} encrypt [OPTION]... FILE...\n"
     u"       {} decrypt [OPTION]... FILE...\n"
     u"       {} shred [-q] FILE...\n"
     u"       {} check [OPTION]... FILE...\n"
     u"       {} recover [OPTION]... [-o OUT] FILE\n"
     u"       {} --help | --version\n"
     u"Warning: the ZOK format is weak; do not rely on it to keep a file secret.\n"
     u"\n"
     u"Encrypts, decrypts or shreds each FILE in turn, exactly as the ZOK window does.\n"
     u"\n"
     u"  encrypt   write an encrypted container of FILE\n"
     u"  decrypt   restore the original from a container\n"
     u"  shred     overwrite FILE with a pattern, cut it to zero length and delete it\n"
     u"  check     tell what FILE is for the password: a container, or a file that an\n"
     u"            interrupted in-place save left; reads FILE and writes nothing\n"
     u"  recover   restore what an interrupted in-place save left into OUT (default\n"
     u"            FILE.recovered); FILE itself is never changed\n"
     u"\n"
     u"  -o, --output=OUT        write the result to OUT instead (a single FILE only);\n"
     u"                          \"-o -\" (Linux) writes it to standard output\n"
     u"      --in-place          write over FILE itself (\"overwrite source file\"); otherwise\n"
     u"                          the output goes beside it: name.ext -> name_ZOK.ext,\n"
     u"                          name -> name_Adv\n"
     u"  -y, --yes               overwrite an existing output file without asking\n"
     u"  -q, --quiet             print error messages only\n"
     u"      --password-file=PF  read the password from the first line of the file PF\n"
     u"      --password-fd=N     read the password as one line from descriptor N (Linux)\n"
     u"      --password-stdin    read the password as one line from standard input\n"
     u"  -h, --help              print this help;  -V, --version  print the version\n"
     u"      --                  end of options: every later argument is a FILE\n"
     u"\n"
     u"A FILE of \"-\" (Linux) is standard input, read whole; the result goes to standard\n"
     u"output (encrypted data never to a terminal). Encryption takes files of at most\n"
     u"2 GiB - 16 bytes; the other commands take files under 2 GiB.\n"
     u"\n"
     u"Without another source the password is asked on the terminal, twice without echo\n"
     u"(three tries to make the two agree), and used for every FILE; passwords are UTF-8 and\n"
     u"at most 129 UTF-16 units of one count. An existing output file is overwritten only\n"
     u"after a yes on the terminal, or with --yes; without a terminal the answer is no.\n"
     u"Status lines and error messages go to standard error, with a progress bar when it is a\n"
     u"terminal; with several FILEs each line names its FILE. Paths are limited to 259 UTF-16\n"
     u"units. The language follows LC_ALL, LC_MESSAGES or LANG: Chinese for a value starting\n"
     u"with \"zh\", English otherwise.\n"
     u"\n"},
    {CliText::kNoCommand, u"no command given"},
    {CliText::kUnknownCommand, u"unknown command '{}'"},
    {CliText::kUnknownOption, u"unknown option '{}'"},
    {CliText::kOptionNeedsValue, u"option '{}' needs a value"},
    {CliText::kOptionTakesNoValue, u"option '{}' takes no value"},
    {CliText::kBadDescriptor, u"'{}' is not a descriptor number"},
    {CliText::kTwoPasswordSources, u"more than one password source given"},
    {CliText::kOutputWithInPlace, u"--output and --in-place exclude each other"},
    {CliText::kOutputWithSeveralFiles, u"--output takes a single FILE"},
    {CliText::kOutputToStandardOutput,
     u"'-o -' (standard output) is not available here: name an output file"},
    {CliText::kStandardInputNotAlone, u"'-' (standard input) must be the only FILE"},
    {CliText::kStandardInputTwice, u"standard input cannot carry both the password and FILE '-'"},
    {CliText::kStandardInputInPlace, u"'-' writes to standard output: --in-place does not apply"},
    {CliText::kShredStandardInput, u"shred needs a named FILE, not '-'"},
    {CliText::kEncryptToTerminal,
     u"encrypted data is not written to a terminal (redirect standard output or use --output)"},
    {CliText::kEmptyFileName, u"empty file name"},
    {CliText::kNoFileGiven, u"no file given"},
    {CliText::kNoTerminal,
     u"no terminal to ask for the password (use --password-file or --password-stdin)"},
    {CliText::kPasswordNotUtf8, u"the password is not valid UTF-8"},
    {CliText::kPasswordHasNul, u"the password contains a NUL character"},
    {CliText::kPasswordTooLong, u"the password line is longer than {} bytes"},
    {CliText::kArgumentNotUtf8, u"an argument is not valid UTF-8"},
    {CliText::kTryHelp, u"Try '{} --help'."},
    {CliText::kExitStatusHeading,
     u"Exit status (with several FILEs every FILE is tried; the first failure decides):"},
    {CliText::kExitMeansSuccess, u"all done"},
    {CliText::kExitMeansFailure, u"another failure (a run could not start)"},
    {CliText::kExitMeansUsage, u"usage error; nothing was run"},
    {CliText::kExitMeansWrongPassword, u"wrong password, or the entries differ or are empty"},
    {CliText::kExitMeansNotContainer, u"not a container, or damaged"},
    {CliText::kExitMeansCannotAccess, u"cannot open, read, write or delete"},
    {CliText::kExitMeansTooLarge, u"too large, or out of memory"},
    {CliText::kExitMeansDeclined, u"overwrite declined"},
    {CliText::kExitMeansRecoverable,
     u"check: a wreck of an in-place save that recover restores; recover: restored with\n"
     u"         some bytes unknown"},
    {CliText::kExitMeansSignal, u"ended by signal N: {} (a save under way is finished first)"},
    {CliText::kPasswordUnreadable, u"cannot read the password from '{}'"},
    {CliText::kPasswordStdinUnreadable, u"cannot read the password from standard input"},
    {CliText::kStandardInputUnreadable, u"cannot read standard input"},
    {CliText::kStandardOutputUnwritable, u"cannot write standard output"},
    {CliText::kPasswordPrompt, u"Password: "},
    {CliText::kConfirmPrompt, u"Confirm password: "},
    {CliText::kEntriesDiffer, u"The entries differ; try again."},
    {CliText::kQuestionKeys, u" [y/N] "},
    {CliText::kAnsweredYes, u"y"},
    {CliText::kAnsweredNo, u"n"},
    {CliText::kNotOverwritten, u"not overwritten (--yes overwrites without asking)"},
    {CliText::kNoCurrentDirectory, u"the current directory cannot be determined"},
    {CliText::kPathTooLongForField, u"path longer than 259 UTF-16 units"},
    {CliText::kNameNotText, u"the name is not valid UTF-8, so it cannot be opened"},
    {CliText::kOutputWritten, u"Done. Output: {}"},
    {CliText::kNoFileMatches, u"no file matches '{}'"},
    {CliText::kRecoverOneFile, u"recover takes a single FILE"},
    {CliText::kRecoveryStandardInput, u"check and recover need a named FILE, not '-'"},
    {CliText::kRecoverToStandardOutput,
     u"recover writes into a named OUT, not to standard output ('-')"},
    {CliText::kCheckSound, u"a container this password opens, of {} bytes decrypted"},
    {CliText::kCheckWrongPassword, u"wrong password, or not a container"},
    {CliText::kCheckNotContainer, u"not a container, or damaged"},
    {CliText::kCheckCutNotLocated,
     u"an interrupted in-place encryption whose body stops somewhere in bytes {}; the bytes do "
     u"not show where, so it cannot be restored with certainty"},
    {CliText::kCheckMixedPages,
     u"an interrupted in-place save with pages of both kinds out of order (a power cut during "
     u"its flush); it cannot be restored with certainty"},
    {CliText::kCheckInterruptedDecryption,
     u"an interrupted in-place decryption, plain up to byte {}"},
    {CliText::kCheckEncryptionWithoutHeader,
     u"an interrupted in-place encryption, its body whole and its header never written"},
    {CliText::kCheckInterruptedEncryption, u"an interrupted in-place encryption, cut at byte {}"},
    {CliText::kCheckRestoresAll, u"; recover restores every byte"},
    {CliText::kCheckRestoresAllBut, u"; recover restores all but {} bytes"},
    {CliText::kRecoverOverSource, u"recover never writes over FILE itself; name another OUT"},
    {CliText::kRecoverNotNeeded, u"; nothing to recover (decrypt it)"},
    {CliText::kRecoveredTo, u"restored into {}"},
    {CliText::kRecoveredUnknownBytes, u"; {} bytes are unknown and written as zeros"},
    {CliText::kRecoveredAtOffsets, u", at offsets {}"},
    {CliText::kRecoveredLengthUncertain,
     u"the original is {} bytes long, and the restored file keeps the longest: zero bytes at "
     u"its end may be padding rather than the original's"},
    {CliText::kCheckSmallSave,
     u"an interrupted in-place encryption or decryption of a file of at most 12 bytes"},
    {CliText::kCheckReservationTail,
     u"not a container of this password; if its encryption in place stopped before the first "
     u"write, it is the original followed by 12 to 15 zero bytes, which recover leaves out"},
    {CliText::kCheckUnconfirmedWreck,
     u"not a container of this password, unless an in-place save of a file of at most 4 bytes "
     u"was stopped: then its first bytes are that file, which recover writes out; nothing in "
     u"it can confirm which"},
    {CliText::kCheckBytesAfter, u"; {} bytes follow the container; they are not part of it"},
    {CliText::kCheckLengthRange, u"; its length is one of {} bytes (restored at the longest)"},
    {CliText::kCheckTornRange,
     u"; if a power cut rather than a stopped program cut the save short, bytes {} may also be "
     u"wrong"},
    {CliText::kDecryptBytesAfter,
     u"{} bytes that followed the container were left out: they are not part of it"},
    {CliText::kDecryptHint,
     u"this is an interrupted in-place save: '{} recover' restores it into a separate file"},
    {CliText::kPartlyWritten,
     u"the file was partly written; '{}' restores it into a separate file"},
    {CliText::kReasonFrame, u" ({})"},
    {CliText::kReasonNoSuchFile, u"No such file or directory"},
    {CliText::kReasonIsDirectory, u"Is a directory"},
    {CliText::kReasonPermissionDenied, u"Permission denied"},
    {CliText::kReasonSymbolicLink, u"Is a symbolic link, which is not followed"},
    {CliText::kReasonNotRegularFile, u"Not a regular file"},
    {CliText::kReasonInUse, u"In use by another run"},
    {CliText::kReasonNoSpace, u"No space left on device"},
    {CliText::kReasonReadOnlyFileSystem, u"Read-only file system"},
    {CliText::kReasonNameTooLong, u"File name too long"},
    {CliText::kReasonNotDirectory, u"Not a directory"},
    {CliText::kReasonInputOutput, u"Input/output error"},
    {CliText::kReasonBrokenPipe, u"Broken pipe"},
};
static_assert(HasEveryIdentifierInOrder<kCliTextCount>(kEnglishTexts),
              "one text per identifier, in identifier order");

// The prompts are the window's own labels; the keys to type stay y and n.
constexpr CliTextEntry kChineseTexts[] = {
    {CliText::kHelp,
     u"用法：{} encrypt [选项]... 文件...\n"
     u"      {} decrypt [选项]... 文件...\n"
     u"      {} shred [-q] 文件...\n"
     u"      {} check [选项]... 文件...\n"
     u"      {} recover [选项]... [-o 输出] 文件\n"
     u"      {} --help | --version\n"
     u"警告：ZOK 格式很弱，不能靠它为文件保密。\n"
     u"\n"
     u"依次加密、解密或粉碎每个文件，与 ZOK 窗口的做法完全相同。\n"
     u"\n"
     u"  encrypt   把文件加密为容器\n"
     u"  decrypt   从容器还原原文件\n"
     u"  shred     用固定图案覆盖文件，截为零长度后删除\n"
     u"  check     判断文件对该密码是什么：加密文件，或被中断的原地保存留下的文件；只读不写\n"
     u"  recover   把被中断的原地保存留下的内容恢复到“输出”（默认为 文件.recovered）；\n"
     u"            文件本身从不改动\n"
     u"\n"
     u"  -o, --output=输出       把结果写到“输出”（只限一个文件）；\n"
     u"                          “-o -”（仅 Linux）写到标准输出\n"
     u"      --in-place          直接写在文件本身上（“覆盖源文件”）；否则输出写到它旁边：\n"
     u"                          name.ext -> name_ZOK.ext，name -> name_Adv\n"
     u"  -y, --yes               输出文件已存在时不经询问直接覆盖\n"
     u"  -q, --quiet             只显示错误信息\n"
     u"      --password-file=PF  从文件 PF 的第一行读取密码\n"
     u"      --password-fd=N     从文件描述符 N 读取一行作为密码（仅 Linux）\n"
     u"      --password-stdin    从标准输入读取一行作为密码\n"
     u"  -h, --help              显示本帮助；  -V, --version  显示版本\n"
     u"      --                  选项到此结束：其后的每个参数都是文件\n"
     u"\n"
     u"文件为“-”（仅 Linux）时读取整个标准输入，结果写到标准输出（加密结果不写到终端）。\n"
     u"加密的文件最大 2 GiB - 16 字节；其他命令的文件须小于 2 GiB。\n"
     u"\n"
     u"没有其他来源时在终端上询问密码（输入两遍，不回显，最多三次机会使两遍一致），用于每个\n"
     u"文件；密码为 UTF-8 文本，最多计入前 129 个 UTF-16 单元。已存在的输出文件只在终端上\n"
     u"回答 y 或给出 --yes 时覆盖；没有终端时视为回答否。状态行和错误信息写到标准错误，\n"
     u"标准错误是终端时另有进度条；有多个文件时每行都注明文件。路径最长 259 个 UTF-16 单元。\n"
     u"语言取自 LC_ALL、LC_MESSAGES 或 LANG：以“zh”开头的值为中文，其余为英文。\n"
     u"\n"},
    {CliText::kNoCommand, u"未指定命令"},
    {CliText::kUnknownCommand, u"未知命令“{}”"},
    {CliText::kUnknownOption, u"未知选项“{}”"},
    {CliText::kOptionNeedsValue, u"选项“{}”需要一个值"},
    {CliText::kOptionTakesNoValue, u"选项“{}”不带值"},
    {CliText::kBadDescriptor, u"“{}”不是文件描述符编号"},
    {CliText::kTwoPasswordSources, u"给出了不止一个密码来源"},
    {CliText::kOutputWithInPlace, u"--output 与 --in-place 不能同时使用"},
    {CliText::kOutputWithSeveralFiles, u"--output 只能用于一个文件"},
    {CliText::kOutputToStandardOutput, u"此处不能用“-o -”（标准输出）：请指定输出文件"},
    {CliText::kStandardInputNotAlone, u"“-”（标准输入）必须是唯一的文件"},
    {CliText::kStandardInputTwice, u"标准输入不能同时提供密码和文件“-”"},
    {CliText::kStandardInputInPlace, u"“-”的结果写到标准输出：--in-place 不适用"},
    {CliText::kShredStandardInput, u"粉碎需要有名字的文件，不能是“-”"},
    {CliText::kEncryptToTerminal, u"加密结果不写到终端（请重定向标准输出或使用 --output）"},
    {CliText::kEmptyFileName, u"文件名为空"},
    {CliText::kNoFileGiven, u"未指定文件"},
    {CliText::kNoTerminal, u"没有可以询问密码的终端（请用 --password-file 或 --password-stdin）"},
    {CliText::kPasswordNotUtf8, u"密码不是有效的 UTF-8 文本"},
    {CliText::kPasswordHasNul, u"密码含有 NUL 字符"},
    {CliText::kPasswordTooLong, u"密码行超过 {} 个字节"},
    {CliText::kArgumentNotUtf8, u"有参数不是有效的 UTF-8 文本"},
    {CliText::kTryHelp, u"用“{} --help”查看用法。"},
    {CliText::kExitStatusHeading, u"退出状态（有多个文件时每个文件都会处理，取第一个失败）："},
    {CliText::kExitMeansSuccess, u"全部完成"},
    {CliText::kExitMeansFailure, u"其他失败（运行无法开始）"},
    {CliText::kExitMeansUsage, u"用法错误，什么也没有运行"},
    {CliText::kExitMeansWrongPassword, u"密码错误，或两次输入不一致或为空"},
    {CliText::kExitMeansNotContainer, u"不是加密文件或已损坏"},
    {CliText::kExitMeansCannotAccess, u"无法打开、读取、写入或删除"},
    {CliText::kExitMeansTooLarge, u"文件过大或内存不足"},
    {CliText::kExitMeansDeclined, u"拒绝了覆盖"},
    {CliText::kExitMeansRecoverable,
     u"check：recover 能恢复的被中断的原地保存；recover：恢复后仍有字节无法得知"},
    {CliText::kExitMeansSignal, u"被信号 N 结束：{}（正在进行的保存会先完成）"},
    {CliText::kPasswordUnreadable, u"无法从“{}”读取密码"},
    {CliText::kPasswordStdinUnreadable, u"无法从标准输入读取密码"},
    {CliText::kStandardInputUnreadable, u"无法读取标准输入"},
    {CliText::kStandardOutputUnwritable, u"无法写入标准输出"},
    {CliText::kPasswordPrompt, u"加密密码:"},
    {CliText::kConfirmPrompt, u"确认密码:"},
    {CliText::kEntriesDiffer, u"两次输入不一致，请重新输入。"},
    {CliText::kQuestionKeys, u" [y/N] "},
    {CliText::kAnsweredYes, u"是"},
    {CliText::kAnsweredNo, u"否"},
    {CliText::kNotOverwritten, u"未覆盖（--yes 不经询问直接覆盖）"},
    {CliText::kNoCurrentDirectory, u"无法确定当前目录"},
    {CliText::kPathTooLongForField, u"路径超过 259 个 UTF-16 单元"},
    {CliText::kNameNotText, u"文件名不是有效的 UTF-8 文本，无法打开"},
    {CliText::kOutputWritten, u"操作完毕。输出文件：{}"},
    {CliText::kNoFileMatches, u"没有与“{}”匹配的文件"},
    {CliText::kRecoverOneFile, u"recover 只能用于一个文件"},
    {CliText::kRecoveryStandardInput, u"check 和 recover 需要有名字的文件，不能是“-”"},
    {CliText::kRecoverToStandardOutput, u"recover 只写入有名字的输出文件，不能写到标准输出（“-”）"},
    {CliText::kCheckSound, u"本密码能打开的加密文件，解密后 {} 字节"},
    {CliText::kCheckWrongPassword, u"密码错误，或不是加密文件"},
    {CliText::kCheckNotContainer, u"不是加密文件，或已损坏"},
    {CliText::kCheckCutNotLocated,
     u"被中断的原地加密，正文停在第 {} 字节之间的某处；从内容看不出位置，无法可靠地恢复"},
    {CliText::kCheckMixedPages,
     u"被中断的原地保存，两种页面次序错乱（刷写时断电）；无法可靠地恢复"},
    {CliText::kCheckInterruptedDecryption, u"被中断的原地解密，明文到第 {} 字节为止"},
    {CliText::kCheckEncryptionWithoutHeader, u"被中断的原地加密，正文完整，文件头尚未写入"},
    {CliText::kCheckInterruptedEncryption, u"被中断的原地加密，断在第 {} 字节"},
    {CliText::kCheckRestoresAll, u"；recover 能恢复每个字节"},
    {CliText::kCheckRestoresAllBut, u"；recover 能恢复除 {} 个字节外的全部内容"},
    {CliText::kRecoverOverSource, u"recover 从不覆盖文件本身；请另指定输出"},
    {CliText::kRecoverNotNeeded, u"；无需恢复（请解密）"},
    {CliText::kRecoveredTo, u"已恢复到 {}"},
    {CliText::kRecoveredUnknownBytes, u"；{} 个字节无法得知，写为零"},
    {CliText::kRecoveredAtOffsets, u"，位于偏移 {}"},
    {CliText::kRecoveredLengthUncertain,
     u"原文件长 {} 字节，恢复出的文件取最长的长度：末尾的零字节可能是填充，而非原文件的内容"},
    {CliText::kCheckSmallSave, u"被中断的原地加密或解密，原文件不超过 12 字节"},
    {CliText::kCheckReservationTail,
     u"不是本密码的加密文件；如果它的原地加密在写入第一个字节前停止，它就是原文件后面多了 12 到 "
     u"15 个零字节，recover 会去掉它们"},
    {CliText::kCheckUnconfirmedWreck,
     u"不是本密码的加密文件，除非是一个不超过 4 字节的文件在原地保存时被中断：那样的话它开头的"
     u"字节就是原文件，recover 会把它们写出；文件本身无法证实是哪一种"},
    {CliText::kCheckBytesAfter, u"；加密文件后面还有 {} 个字节，它们不属于加密文件"},
    {CliText::kCheckLengthRange, u"；长度是 {} 字节中的一个（按最长的恢复）"},
    {CliText::kCheckTornRange, u"；如果保存是被断电而非程序停止打断的，第 {} 字节也可能有误"},
    {CliText::kDecryptBytesAfter, u"加密文件后面的 {} 个字节不属于它，已略去"},
    {CliText::kDecryptHint, u"这是被中断的原地保存：“{} recover”可把它恢复到另一个文件"},
    {CliText::kPartlyWritten, u"文件已被部分写入；“{}”可把它恢复到另一个文件"},
    {CliText::kReasonFrame, u"（{}）"},
    {CliText::kReasonNoSuchFile, u"没有那个文件或目录"},
    {CliText::kReasonIsDirectory, u"是一个目录"},
    {CliText::kReasonPermissionDenied, u"权限不够"},
    {CliText::kReasonSymbolicLink, u"是符号链接，不会跟随"},
    {CliText::kReasonNotRegularFile, u"不是普通文件"},
    {CliText::kReasonInUse, u"正被另一次运行使用"},
    {CliText::kReasonNoSpace, u"设备上没有空间"},
    {CliText::kReasonReadOnlyFileSystem, u"只读文件系统"},
    {CliText::kReasonNameTooLong, u"文件名过长"},
    {CliText::kReasonNotDirectory, u"不是目录"},
    {CliText::kReasonInputOutput, u"输入/输出错误"},
    {CliText::kReasonBrokenPipe, u"断开的管道"},
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
    for (size_t at = filled.find(u"{}"); at != std::u16string::npos;
         at = filled.find(u"{}", at + value.size())) {
        filled.replace(at, 2, value);
    }
    return filled;
}

std::u16string Number(uint64_t value) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return text;
}
