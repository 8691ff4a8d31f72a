#include "cli/texts.h"

#include "ui/text_table.h"

namespace {

// The words that differ between the two programs: the help names only what the program's own
// system has. Locale variables, FIFOs, sockets and signals are POSIX's; the Windows program
// follows the display language and ends on console events (cli/ending_signals.h). Within the
// help's lines, laid out as printed, formatting is off around each.
#ifdef _WIN32
#define POSIX_OR_WINDOWS(posix, windows) windows
#else
#define POSIX_OR_WINDOWS(posix, windows) posix
#endif

using CliTextEntry = TextEntry<CliText>;

constexpr CliTextEntry kEnglishTexts[] = {
    {CliText::kUsage,
     u"Usage: {} encrypt [OPTION]... FILE...\n"
     u"       {} decrypt [OPTION]... FILE...\n"
     u"       {} shred [-q] [-r] FILE...\n"
     u"       {} check [OPTION]... FILE...\n"
     u"       {} recover [OPTION]... [-o OUT] FILE\n"
     u"       {} passwd [OPTION]... FILE...\n"
     u"       {} --help | --version\n"
     u"Warning: the ZOK format is weak; do not rely on it to keep a file secret.\n"
     u"\n"
     u"Encrypts, decrypts or shreds each FILE in turn, exactly as the ZOK window does.\n"},
    {CliText::kHelpNotes,
     u"A FILE of \"-\" (Linux) is standard input, read whole; the result goes to standard\n"
     u"output (encrypted data never to a terminal). Encryption takes files of at most\n"
     u"2 GiB - 16 bytes; the other commands take files under 2 GiB.\n"
     u"\n"
     u"Without another source the password is asked on the terminal without echo, once,\n"
     u"or twice to encrypt (three tries to make the two agree), and used for every FILE;\n"
     u"passwords are UTF-8 and at most 129 UTF-16 units of one count. An existing output\n"
     u"file is overwritten only after a yes on the terminal, or with --yes; without a\n"
     u"terminal the answer is no. Status lines and error messages go to standard error,\n"
     u"with a progress bar when it is a terminal; with several FILEs each line names its\n"
     // clang-format off
     POSIX_OR_WINDOWS(
     u"FILE. Paths are limited to 259 UTF-16 units. The language follows LC_ALL,\n"
     u"LC_MESSAGES or LANG: Chinese for a value starting with \"zh\", English otherwise.\n",
     u"FILE. Paths are limited to 259 UTF-16 units. The language follows the display\n"
     u"language of Windows: Chinese for a Chinese one, English otherwise.\n")
     // clang-format on
     u"\n"
     u"With -r a folder is walked depth-first in name order, files only. Links, junctions,\n"
     // clang-format off
     POSIX_OR_WINDOWS(
     u"devices, FIFOs and sockets are never followed or opened, and the walk never leaves the\n",
     u"and devices are never followed or opened, and the walk never leaves the\n")
     // clang-format on
     u"folder's file system; each thing left is named in a \"skipped\" line. encrypt skips a\n"
     u"file this password already opens, decrypt and check what is not a container of it, and\n"
     u"the walk never takes what it writes itself nor what an interrupted save left. Each file\n"
     u"gets a line \"N/TOTAL PATH\"; one line at the end counts files done, skipped and failed,\n"
     u"and bytes. A failure does not stop the walk. shred -r then removes the folders it\n"
     u"emptied, deepest first. An interrupt ends the walk after the save under way.\n"
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
    {CliText::kRecursiveWithOutput, u"--output cannot be used with --recursive"},
    {CliText::kDryRunNeedsRecursive, u"--dry-run lists what a walk would do: it needs --recursive"},
    {CliText::kRecursiveStandardInput,
     u"'-' (standard input) cannot be walked: --recursive takes named FILEs"},
    {CliText::kOutputToStandardOutput,
     u"'-o -' (standard output) is not available here: name an output file"},
    {CliText::kStandardInputNotAlone, u"'-' (standard input) must be the only FILE"},
    {CliText::kStandardInputTwice, u"standard input cannot carry both the password and FILE '-'"},
    {CliText::kStandardInputInPlace, u"'-' writes to standard output: --in-place does not apply"},
    {CliText::kShredStandardInput, u"shred needs a named FILE, not '-'"},
    {CliText::kPasswdStandardInput, u"passwd needs a named FILE, not '-'"},
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
    {CliText::kStartedAlone,
     u"{} is a command-line program. Open \"ZOK command line\" in the Start menu and type a\n"
     u"command there, for example:\n"
     u"  {} recover \"D:\\Documents\\report.docx\"\n"
     u"  {} --help\n"
     u"\n"},
    {CliText::kPressEnter, u"Press Enter to close this window."},
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
    {CliText::kExitMeansWreck,
     u"check: a wreck of an in-place save that recover restores; recover: restored, but\n"
     u"some bytes or the exact length are not known (the messages name them)"},
    {CliText::kExitMeansSignal,
     POSIX_OR_WINDOWS(u"ended by signal N: {} (a save under way is finished first)",
                      u"ended by Ctrl-C or Ctrl-Break, or by closing the console: {} (a save "
                      u"under way is finished first)")},
    {CliText::kAboutEncrypt, u"write an encrypted container of FILE"},
    {CliText::kAboutDecrypt, u"restore the original from a container"},
    {CliText::kAboutShred, u"overwrite FILE with a pattern, cut it to zero length and delete it"},
    {CliText::kAboutCheck,
     u"tell what FILE is for the password: a container, or a file that an\n"
     u"interrupted in-place save left; reads FILE and writes nothing; one\n"
     u"line \"FILE: word\" per FILE on standard output for scripts"},
    {CliText::kAboutRecover,
     u"restore what an interrupted in-place save left into OUT (default\n"
     u"name.recovered.ext beside FILE); FILE itself is never changed"},
    {CliText::kAboutPasswd,
     u"give a container a new password without decrypting it: the old\n"
     u"password opens it, the new one (asked twice, or read as below)\n"
     u"replaces it; mode, owner and dates are kept; a file with other\n"
     u"names (hard links) is refused"},
    {CliText::kAboutOutput,
     u"write the result to OUT instead (a single FILE only,\n"
     u"not with --in-place); a failed run leaves nothing new\n"
     u"there; \"-o -\" (Linux) writes it to standard output"},
    {CliText::kAboutInPlace,
     u"write over FILE itself (\"overwrite source file\");\n"
     u"otherwise the output goes beside it: name.ext ->\n"
     u"name_ZOK.ext, name -> name_Adv (the last dot of the\n"
     u"full path counts)"},
    {CliText::kAboutYes, u"overwrite an existing output file without asking"},
    {CliText::kAboutQuiet, u"print error messages only (and -r's summary)"},
    {CliText::kAboutRecursive, u"walk each FILE that is a folder, file by file"},
    {CliText::kAboutDryRun,
     u"with -r: list what each file would get; nothing is\n"
     u"written (check checks as without it)"},
    {CliText::kAboutForce, u"encrypt: also a FILE this password already opens"},
    {CliText::kAboutPasswordFile, u"read the password from the first line of the file PF"},
    {CliText::kAboutPasswordFd, u"read the password as one line from descriptor N (Linux)"},
    {CliText::kAboutPasswordStdin, u"read the password as one line from standard input"},
    {CliText::kAboutNewPasswordFile, u"passwd: the new password, from the first line of NPF"},
    {CliText::kAboutNewPasswordFd, u"passwd: the new password, as one line from descriptor N"},
    {CliText::kAboutNewPasswordStdin,
     u"passwd: the new password, as one line from standard\n"
     u"input (the line after the old password's when that\n"
     u"comes from it too)"},
    {CliText::kAboutHelp, u"print a summary of the usage on standard output"},
    {CliText::kAboutVersion, u"print the name and version on standard output"},
    {CliText::kAboutEndOfOptions, u"end of options: every later argument is a FILE"},
    {CliText::kValueOut, u"OUT"},
    {CliText::kValuePasswordFile, u"PF"},
    {CliText::kValueNewPasswordFile, u"NPF"},
    {CliText::kValueDescriptor, u"N"},
    {CliText::kPasswordUnreadable, u"cannot read the password from '{}'"},
    {CliText::kPasswordStdinUnreadable, u"cannot read the password from standard input"},
    {CliText::kStandardInputUnreadable, u"cannot read standard input"},
    {CliText::kStandardOutputUnwritable, u"cannot write standard output"},
    {CliText::kPasswordPrompt, u"Password: "},
    {CliText::kConfirmPrompt, u"Confirm password: "},
    {CliText::kPasswordOncePrompt, u"Password: "},
    {CliText::kNewPasswordPrompt, u"New password: "},
    {CliText::kPasswordFileEmpty, u"the password file is empty"},
    {CliText::kEntriesDiffer, u"The entries differ; try again."},
    {CliText::kQuestionKeys, u" [y/N] "},
    {CliText::kAnsweredYes, u"y"},
    {CliText::kAnsweredNo, u"n"},
    {CliText::kNotOverwritten, u"not overwritten (--yes overwrites without asking)"},
    {CliText::kNoCurrentDirectory, u"the current directory cannot be determined"},
    {CliText::kPathTooLongForField, u"path longer than 259 UTF-16 units"},
    {CliText::kNameNotText, u"the name is not valid UTF-8, so it cannot be opened"},
    {CliText::kOutputWritten, u"Done. Output: {}"},
    {CliText::kOutputFolderMissing, u" (the folder {} does not exist)"},
    {CliText::kNotOpenedByPassword, u"wrong password, or not an encrypted file"},
    {CliText::kNoFileMatches, u"no file matches '{}'"},
    {CliText::kFolderNeedsRecursive, u"is a folder: -r (--recursive) walks it"},
    {CliText::kAlreadyOwnContainer,
     u"already a container of this password, not encrypted again (--force encrypts it anyway)"},
    {CliText::kHasOtherNames,
     u"the file has other names (hard links), which would keep the old password; not changed"},
    {CliText::kRekeyed, u"Password changed."},
    {CliText::kSkippedLink, u"skipped: a symbolic link or junction, never followed"},
    {CliText::kSkippedSpecial, POSIX_OR_WINDOWS(u"skipped: a device, FIFO or socket, never opened",
                                                u"skipped: a device, never opened")},
    {CliText::kSkippedOtherFileSystem,
     u"skipped: a mount point, of another file system or a bind mount (the walk stays on one "
     u"mount)"},
    {CliText::kSkippedWalkedFolder, u"skipped: a folder already walked"},
    {CliText::kSkippedManyNames,
     u"skipped: has other names (hard links), so its data shows elsewhere too; give it alone to "
     u"treat it"},
    {CliText::kSkippedChanged, u"skipped: changed since its folder was listed, never followed"},
    {CliText::kSkippedUnfinished,
     u"skipped: what an interrupted save left; see what it is, then remove it"},
    {CliText::kSkippedOwnContainer, u"skipped: already a container of this password"},
    {CliText::kSkippedNotOwnContainer, u"skipped: not a container of this password"},
    {CliText::kOutputElsewhere,
     u"its output would go to another folder ({}), as a dot in a folder's name counts; "
     u"--in-place writes over the file instead"},
    {CliText::kFolderUnlistable, u"cannot list the folder"},
    {CliText::kFolderKept, u"folder kept: it still holds something"},
    {CliText::kWreckLeftAlone, u"left as it is; '{}' restores it into a separate file"},
    {CliText::kWreckLeftUnrestorable, u"left as it is"},
    {CliText::kFolderNotRemoved, u"cannot remove the folder"},
    {CliText::kWalkSummary, u"{} done, {} skipped, {} failed, {} bytes"},
    {CliText::kWalkOpenedNothing,
     u"this password opened none of the files: is it the right one? (status 3)"},
    {CliText::kDryRunWould, u"would be {} (dry run: nothing written)"},
    {CliText::kDryRunEncrypt, u"encrypted"},
    {CliText::kDryRunDecrypt, u"decrypted"},
    {CliText::kDryRunShred, u"shredded"},
    {CliText::kDryRunRekey, u"given the new password"},
    {CliText::kDryRunSummary, u"dry run: {} would be done, {} skipped, {} failed, {} bytes"},
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
     u"an interrupted in-place save (a decryption, or an encryption between two of its "
     u"pieces), plain up to byte {}"},
    {CliText::kCheckEncryptionWithoutHeader,
     u"an interrupted in-place encryption, its body whole and its header never written"},
    {CliText::kCheckInterruptedEncryption, u"an interrupted in-place encryption, cut at byte {}"},
    {CliText::kCheckTornPiece,
     u"an interrupted in-place encryption, stopped while writing bytes {}; the bytes do not "
     u"show where"},
    {CliText::kCheckRestoresAll, u"; recover restores every byte"},
    {CliText::kCheckRestoresAllBut, u"; recover restores all but {} bytes"},
    {CliText::kRecoverOverSource, u"recover never writes over FILE itself; name another OUT"},
    {CliText::kRecoverNotNeeded, u"; nothing to recover (decrypt it)"},
    {CliText::kRecoveredTo, u"restored into {}"},
    {CliText::kRecoveredUnknownBytes, u"; {} bytes are unknown and written as zeros"},
    {CliText::kRecoveredAtOffsets, u", at offsets {}"},
    {CliText::kRecoveredOnLine, u" (line {})"},
    {CliText::kRecoveredOnLines, u" (lines {})"},
    {CliText::kRecoveredLengthUncertain,
     u"the original is {} bytes long, and the restored file keeps the longest: zero bytes at "
     u"its end may be padding rather than the original's"},
    {CliText::kRecoveredPieceUnknown,
     u"the save stopped somewhere in bytes {}, and the data does not show where: the bytes it "
     u"may have stopped in are the unknown ones"},
    {CliText::kCheckSmallSave,
     u"an interrupted in-place encryption or decryption of a file of at most 12 bytes"},
    {CliText::kCheckReservationTail,
     u"not a container of this password; if its encryption in place stopped before the first "
     u"write, it is the original followed by 12 to 15 zero bytes"},
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
     u"the password is right, but this is what an interrupted in-place save left; it is "
     u"unchanged, and '{} recover' restores it into a separate file: every byte, or all but a "
     u"range of at most 64 KiB that it names (a power cut may leave a file it refuses)"},
    {CliText::kPartlyWritten,
     u"the file was partly written; '{}' restores it into a separate file: every byte, or all "
     u"but a range of at most 64 KiB that it names"},
    {CliText::kReasonFrame, u" ({})"},
    {ReasonTextOf(SystemReason::kNoSuchFile), u"No such file or directory"},
    {ReasonTextOf(SystemReason::kIsDirectory), u"Is a directory"},
    {ReasonTextOf(SystemReason::kPermissionDenied), u"Permission denied"},
    {ReasonTextOf(SystemReason::kSymbolicLink), u"Is a symbolic link, which is not followed"},
    {ReasonTextOf(SystemReason::kNotRegularFile), u"Not a regular file"},
    {ReasonTextOf(SystemReason::kInUse), u"In use by another run"},
    {ReasonTextOf(SystemReason::kNoSpace), u"No space left on device"},
    {ReasonTextOf(SystemReason::kReadOnlyFileSystem), u"Read-only file system"},
    {ReasonTextOf(SystemReason::kNameTooLong), u"File name too long"},
    {ReasonTextOf(SystemReason::kNotDirectory), u"Not a directory"},
    {ReasonTextOf(SystemReason::kInputOutput), u"Input/output error"},
    {ReasonTextOf(SystemReason::kBrokenPipe), u"Broken pipe"},
    {ReasonTextOf(SystemReason::kQuotaExceeded), u"Disk quota exceeded"},
    {ReasonTextOf(SystemReason::kMountPoint), u"Is a mount point"},
    {ReasonTextOf(SystemReason::kOtherNames), u"Has other names; give it alone to treat it"},
};
static_assert(HasEveryIdentifierInOrder<kCliTextCount>(kEnglishTexts),
              "one text per identifier, in identifier order");

// The prompts are the window's own labels; the keys to type stay y and n.
constexpr CliTextEntry kChineseTexts[] = {
    {CliText::kUsage,
     u"用法：{} encrypt [选项]... 文件...\n"
     u"      {} decrypt [选项]... 文件...\n"
     u"      {} shred [-q] [-r] 文件...\n"
     u"      {} check [选项]... 文件...\n"
     u"      {} recover [选项]... [-o 输出] 文件\n"
     u"      {} passwd [选项]... 文件...\n"
     u"      {} --help | --version\n"
     u"警告：ZOK 格式很弱，不能靠它为文件保密。\n"
     u"\n"
     u"依次加密、解密或粉碎每个文件，与 ZOK 窗口的做法完全相同。\n"},
    {CliText::kHelpNotes,
     u"文件为“-”（仅 Linux）时读取整个标准输入，结果写到标准输出（加密结果不写到终端）。\n"
     u"加密的文件最大 2 GiB - 16 字节；其他命令的文件须小于 2 GiB。\n"
     u"\n"
     u"没有其他来源时在终端上询问密码（不回显；输入一遍，加密时输入两遍，最多三次机会使两遍\n"
     u"一致），用于每个文件；密码为 UTF-8 文本，最多计入前 129 个 UTF-16 单元。已存在的输出\n"
     u"文件只在终端上回答 y（或“是”）或给出 --yes 时覆盖；没有终端时视为回答否。\n"
     u"状态行和错误信息写到标准错误，\n"
     u"标准错误是终端时另有进度条；有多个文件时每行都注明文件。路径最长 259 个 UTF-16 单元。\n"
     // clang-format off
     POSIX_OR_WINDOWS(
     u"语言取自 LC_ALL、LC_MESSAGES 或 LANG：以“zh”开头的值为中文，其余为英文。\n",
     u"语言随系统的显示语言：中文系统为中文，其余为英文。\n")
     // clang-format on
     u"\n"
     // clang-format off
     POSIX_OR_WINDOWS(
     u"给出 -r 时按名称顺序深度优先遍历文件夹，只处理文件。符号链接、联接点、设备、FIFO 和\n"
     u"套接字从不跟随或打开，遍历也不离开该文件夹所在的文件系统；每个被略过的对象各有一行\n",
     u"给出 -r 时按名称顺序深度优先遍历文件夹，只处理文件。符号链接、联接点和设备从不跟随或\n"
     u"打开，遍历也不离开该文件夹所在的文件系统；每个被略过的对象各有一行\n")
     // clang-format on
     u"“已跳过”。encrypt 跳过本密码已能打开的文件，decrypt 和 check 跳过不是本密码加密文件\n"
     u"的文件；遍历从不处理自己写出的文件，也不处理被中断的保存留下的文件。每个文件有一行\n"
     u"“序号/总数 路径”，结束时一行汇总完成、跳过、失败的文件数和字节数。一个文件失败不会\n"
     u"停止遍历。shred -r 随后由深到浅删除被它清空的文件夹。中断会在当前保存完成后结束遍历。\n"
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
    {CliText::kRecursiveWithOutput, u"--output 不能与 --recursive 同时使用"},
    {CliText::kDryRunNeedsRecursive, u"--dry-run 列出遍历会做什么：它需要 --recursive"},
    {CliText::kRecursiveStandardInput, u"“-”（标准输入）无法遍历：--recursive 需要有名字的文件"},
    {CliText::kOutputToStandardOutput, u"此处不能用“-o -”（标准输出）：请指定输出文件"},
    {CliText::kStandardInputNotAlone, u"“-”（标准输入）必须是唯一的文件"},
    {CliText::kStandardInputTwice, u"标准输入不能同时提供密码和文件“-”"},
    {CliText::kStandardInputInPlace, u"“-”的结果写到标准输出：--in-place 不适用"},
    {CliText::kShredStandardInput, u"粉碎需要有名字的文件，不能是“-”"},
    {CliText::kPasswdStandardInput, u"passwd 需要有名字的文件，不能是“-”"},
    {CliText::kEncryptToTerminal, u"加密结果不写到终端（请重定向标准输出或使用 --output）"},
    {CliText::kEmptyFileName, u"文件名为空"},
    {CliText::kNoFileGiven, u"未指定文件"},
    {CliText::kNoTerminal, u"没有可以询问密码的终端（请用 --password-file 或 --password-stdin）"},
    {CliText::kPasswordNotUtf8, u"密码不是有效的 UTF-8 文本"},
    {CliText::kPasswordHasNul, u"密码含有 NUL 字符"},
    {CliText::kPasswordTooLong, u"密码行超过 {} 个字节"},
    {CliText::kArgumentNotUtf8, u"有参数不是有效的 UTF-8 文本"},
    {CliText::kTryHelp, u"用“{} --help”查看用法。"},
    {CliText::kStartedAlone,
     u"{} 是命令行程序。请从开始菜单打开“ZOK 命令行”，在其中输入命令，例如：\n"
     u"  {} recover \"D:\\文档\\报告.docx\"\n"
     u"  {} --help\n"
     u"\n"},
    {CliText::kPressEnter, u"按回车键关闭此窗口。"},
    {CliText::kExitStatusHeading, u"退出状态（有多个文件时每个文件都会处理，取第一个失败）："},
    {CliText::kExitMeansSuccess, u"全部完成"},
    {CliText::kExitMeansFailure, u"其他失败（运行无法开始）"},
    {CliText::kExitMeansUsage, u"用法错误，什么也没有运行"},
    {CliText::kExitMeansWrongPassword, u"密码错误，或两次输入不一致或为空"},
    {CliText::kExitMeansNotContainer, u"不是加密文件或已损坏"},
    {CliText::kExitMeansCannotAccess, u"无法打开、读取、写入或删除"},
    {CliText::kExitMeansTooLarge, u"文件过大或内存不足"},
    {CliText::kExitMeansDeclined, u"拒绝了覆盖"},
    {CliText::kExitMeansWreck,
     u"check：recover "
     u"能恢复的被中断的覆盖源文件保存；recover：已恢复，但有字节或确切长度无法得知（信息中注明）"},
    {CliText::kExitMeansSignal,
     POSIX_OR_WINDOWS(u"被信号 N 结束：{}（正在进行的保存会先完成）",
                      u"被中断或关闭控制台结束：{}（正在进行的保存会先完成）")},
    {CliText::kAboutEncrypt, u"把文件加密为容器"},
    {CliText::kAboutDecrypt, u"从容器还原原文件"},
    {CliText::kAboutShred, u"用固定图案覆盖文件，截为零长度后删除"},
    {CliText::kAboutCheck,
     u"判断文件对该密码是什么：加密文件，或被中断的覆盖源文件保存留下的文件；\n"
     u"只读不写；每个文件在标准输出上另有一行“文件: 英文词”，供脚本使用"},
    {CliText::kAboutRecover,
     u"把被中断的覆盖源文件保存留下的文件恢复到“输出”（默认为它旁边的\n"
     u"名字.recovered.扩展名）；文件本身从不改动"},
    {CliText::kAboutPasswd,
     u"不解密而更换加密文件的密码：旧密码打开它，新密码（输入两遍，或按下文\n"
     u"读取）取代旧密码；权限、所有者和日期保持不变；有其他名字（硬链接）的\n"
     u"文件不予处理"},
    {CliText::kAboutOutput,
     u"把结果写到“输出”（只限一个文件，\n"
     u"不能与 --in-place 同时使用）；运行失败时那里\n"
     u"不会留下原来没有的东西；“-o -”（仅 Linux）\n"
     u"写到标准输出"},
    {CliText::kAboutInPlace,
     u"覆盖源文件（直接写在文件本身上）；否则输出写到它旁边：\n"
     u"name.ext -> name_ZOK.ext，name -> name_Adv\n"
     u"（以完整路径的最后一个点为准）"},
    {CliText::kAboutYes, u"输出文件已存在时不经询问直接覆盖"},
    {CliText::kAboutQuiet, u"只显示错误信息（及 -r 的汇总）"},
    {CliText::kAboutRecursive, u"逐个文件地遍历作为文件夹给出的每个文件"},
    {CliText::kAboutDryRun, u"与 -r 一起：列出每个文件会得到什么；\n什么也不写（check 照常检查）"},
    {CliText::kAboutForce, u"encrypt：本密码已能打开的文件也照样加密"},
    {CliText::kAboutPasswordFile, u"从文件 PF 的第一行读取密码"},
    {CliText::kAboutPasswordFd, u"从文件描述符 N 读取一行作为密码（仅 Linux）"},
    {CliText::kAboutPasswordStdin, u"从标准输入读取一行作为密码"},
    {CliText::kAboutNewPasswordFile, u"passwd：从文件 NPF 的第一行读取新密码"},
    {CliText::kAboutNewPasswordFd, u"passwd：从文件描述符 N 读取一行作为新密码"},
    {CliText::kAboutNewPasswordStdin,
     u"passwd：从标准输入读取一行作为新密码\n（旧密码也来自标准输入时为其下一行）"},
    {CliText::kAboutHelp, u"在标准输出上打印用法摘要"},
    {CliText::kAboutVersion, u"在标准输出上打印程序名和版本"},
    {CliText::kAboutEndOfOptions, u"选项到此结束：其后的每个参数都是文件"},
    {CliText::kValueOut, u"输出"},
    {CliText::kValuePasswordFile, u"PF"},
    {CliText::kValueNewPasswordFile, u"NPF"},
    {CliText::kValueDescriptor, u"N"},
    {CliText::kPasswordUnreadable, u"无法从“{}”读取密码"},
    {CliText::kPasswordStdinUnreadable, u"无法从标准输入读取密码"},
    {CliText::kStandardInputUnreadable, u"无法读取标准输入"},
    {CliText::kStandardOutputUnwritable, u"无法写入标准输出"},
    {CliText::kPasswordPrompt, u"加密密码:"},
    {CliText::kConfirmPrompt, u"确认密码:"},
    {CliText::kPasswordOncePrompt, u"密码:"},
    {CliText::kNewPasswordPrompt, u"新密码:"},
    {CliText::kPasswordFileEmpty, u"密码文件是空的"},
    {CliText::kEntriesDiffer, u"两次输入不一致，请重新输入。"},
    {CliText::kQuestionKeys, u" [y/N] "},
    {CliText::kAnsweredYes, u"是"},
    {CliText::kAnsweredNo, u"否"},
    {CliText::kNotOverwritten, u"未覆盖（--yes 不经询问直接覆盖）"},
    {CliText::kNoCurrentDirectory, u"无法确定当前目录"},
    {CliText::kPathTooLongForField, u"路径超过 259 个 UTF-16 单元"},
    {CliText::kNameNotText, u"文件名不是有效的 UTF-8 文本，无法打开"},
    {CliText::kOutputWritten, u"操作完毕。输出文件：{}"},
    {CliText::kOutputFolderMissing, u"（文件夹 {} 不存在）"},
    {CliText::kNotOpenedByPassword, u"密码错误，或不是加密文件"},
    {CliText::kNoFileMatches, u"没有与“{}”匹配的文件"},
    {CliText::kFolderNeedsRecursive, u"是文件夹：用 -r（--recursive）遍历它"},
    {CliText::kAlreadyOwnContainer, u"已是本密码的加密文件，不再加密（--force 照样加密）"},
    {CliText::kHasOtherNames, u"文件还有其他名字（硬链接），它们会保留旧密码；未更改"},
    {CliText::kRekeyed, u"密码已更换。"},
    {CliText::kSkippedLink, u"已跳过：符号链接或联接点，不会跟随"},
    {CliText::kSkippedSpecial,
     POSIX_OR_WINDOWS(u"已跳过：设备、FIFO 或套接字，不会打开", u"已跳过：设备，不会打开")},
    {CliText::kSkippedOtherFileSystem,
     u"已跳过：挂载点，另一个文件系统或绑定挂载（遍历不离开原挂载）"},
    {CliText::kSkippedWalkedFolder, u"已跳过：已遍历过的文件夹"},
    {CliText::kSkippedManyNames,
     u"已跳过：还有其他名字（硬链接），其内容在别处也能看到；请单独指定它来处理"},
    {CliText::kSkippedChanged, u"已跳过：所在文件夹列出后它已改变，不会跟随"},
    {CliText::kSkippedUnfinished, u"已跳过：被中断的保存留下的文件；请查看后删除"},
    {CliText::kSkippedOwnContainer, u"已跳过：已是本密码的加密文件"},
    {CliText::kSkippedNotOwnContainer, u"已跳过：不是本密码的加密文件"},
    {CliText::kOutputElsewhere,
     u"其输出会落到另一个文件夹（{}），因为文件夹名中的点也算数；--in-place 改为直接覆盖该文件"},
    {CliText::kFolderUnlistable, u"无法列出文件夹"},
    {CliText::kFolderKept, u"文件夹保留：其中仍有内容"},
    {CliText::kWreckLeftAlone, u"未改动它；“{}”可把它恢复到另一个文件"},
    {CliText::kWreckLeftUnrestorable, u"未改动它"},
    {CliText::kFolderNotRemoved, u"无法删除文件夹"},
    {CliText::kWalkSummary, u"完成 {} 个，跳过 {} 个，失败 {} 个，共 {} 字节"},
    {CliText::kWalkOpenedNothing, u"这个密码一个文件也没有打开：密码对吗？（状态 3）"},
    {CliText::kDryRunWould, u"会被{}（试运行：什么也没写）"},
    {CliText::kDryRunEncrypt, u"加密"},
    {CliText::kDryRunDecrypt, u"解密"},
    {CliText::kDryRunShred, u"粉碎"},
    {CliText::kDryRunRekey, u"更换密码"},
    {CliText::kDryRunSummary, u"试运行：会完成 {} 个，跳过 {} 个，失败 {} 个，共 {} 字节"},
    {CliText::kRecoverOneFile, u"recover 只能用于一个文件"},
    {CliText::kRecoveryStandardInput, u"check 和 recover 需要有名字的文件，不能是“-”"},
    {CliText::kRecoverToStandardOutput, u"recover 只写入有名字的输出文件，不能写到标准输出（“-”）"},
    {CliText::kCheckSound, u"本密码能打开的加密文件，解密后 {} 字节"},
    {CliText::kCheckWrongPassword, u"密码错误，或不是加密文件"},
    {CliText::kCheckNotContainer, u"不是加密文件，或已损坏"},
    {CliText::kCheckCutNotLocated,
     u"被中断的覆盖源文件加密，加密内容停在第 {} 字节之间的某处；从内容看不出位置，"
     u"无法可靠地恢复"},
    {CliText::kCheckMixedPages,
     u"被中断的覆盖源文件保存，新旧内容次序错乱（写入磁盘时断电）；无法可靠地恢复"},
    {CliText::kCheckInterruptedDecryption,
     u"被中断的覆盖源文件保存（解密，或在两段之间停下的加密），第 {} 字节之前是原文"},
    {CliText::kCheckEncryptionWithoutHeader,
     u"被中断的覆盖源文件加密，内容已全部加密，只差开头的 12 字节密码信息尚未写入"},
    {CliText::kCheckInterruptedEncryption, u"被中断的覆盖源文件加密，断在第 {} 字节"},
    {CliText::kCheckTornPiece,
     u"被中断的覆盖源文件加密，停在写入第 {} 字节的途中；数据显示不出断在哪里"},
    {CliText::kCheckRestoresAll, u"；recover 能恢复每个字节"},
    {CliText::kCheckRestoresAllBut, u"；recover 能恢复除 {} 个字节外的全部内容"},
    {CliText::kRecoverOverSource, u"recover 从不覆盖文件本身；请另指定输出"},
    {CliText::kRecoverNotNeeded, u"；无需恢复（请解密）"},
    {CliText::kRecoveredTo, u"已恢复到 {}"},
    {CliText::kRecoveredUnknownBytes, u"；{} 个字节无法得知，写为零"},
    {CliText::kRecoveredAtOffsets, u"，位于第 {} 字节（从 0 数起）"},
    {CliText::kRecoveredOnLine, u"，在第 {} 行"},
    {CliText::kRecoveredOnLines, u"，在第 {} 行"},
    {CliText::kRecoveredLengthUncertain,
     u"原文件长 {} 字节，恢复出的文件取最长的长度：末尾的零字节可能是填充，而非原文件的内容"},
    {CliText::kRecoveredPieceUnknown,
     u"保存停在第 {} 字节中的某处，数据显示不出在哪里：可能停在其中的那些字节就是无法得知的字节"},
    {CliText::kCheckSmallSave, u"被中断的覆盖源文件加密或解密，原文件不超过 12 字节"},
    {CliText::kCheckReservationTail,
     u"不是本密码的加密文件；如果它的覆盖源文件加密在写入第一个字节前停止，它就是原文件后面多了 "
     u"12 到 15 个零字节"},
    {CliText::kCheckUnconfirmedWreck,
     u"不是本密码的加密文件，除非是一个不超过 4 字节的文件在覆盖源文件保存时被中断：那样的话它"
     u"开头的字节就是原文件，recover 会把它们写出；文件本身无法证实是哪一种"},
    {CliText::kCheckBytesAfter, u"；加密文件后面还有 {} 个字节，它们不属于加密文件"},
    {CliText::kCheckLengthRange, u"；长度是 {} 字节中的一个（按最长的恢复）"},
    {CliText::kCheckTornRange, u"；如果保存是被断电而非程序停止打断的，第 {} 字节也可能有误"},
    {CliText::kDecryptBytesAfter, u"加密文件后面的 {} 个字节不属于它，已略去"},
    {CliText::kDecryptHint,
     u"密码没有错，这是被中断的覆盖源文件保存留下的文件；它没有被改动，"
     u"“{} recover”可把它恢复到另一个文件：每个字节，或除它指明的不超过 64 KiB 的一段外的全部内容"
     u"（断电可能留下它无法恢复的文件）"},
    {CliText::kPartlyWritten,
     u"文件已被部分写入；“{}”可把它恢复到另一个文件：每个字节，或除它指明的不超过 64 KiB "
     u"的一段外的全部内容"},
    {CliText::kReasonFrame, u"（{}）"},
    {ReasonTextOf(SystemReason::kNoSuchFile), u"没有那个文件或目录"},
    {ReasonTextOf(SystemReason::kIsDirectory), u"是一个目录"},
    {ReasonTextOf(SystemReason::kPermissionDenied), u"权限不够"},
    {ReasonTextOf(SystemReason::kSymbolicLink), u"是符号链接，不会跟随"},
    {ReasonTextOf(SystemReason::kNotRegularFile), u"不是普通文件"},
    {ReasonTextOf(SystemReason::kInUse), u"正被另一次运行使用"},
    {ReasonTextOf(SystemReason::kNoSpace), u"设备上没有空间"},
    {ReasonTextOf(SystemReason::kReadOnlyFileSystem), u"只读文件系统"},
    {ReasonTextOf(SystemReason::kNameTooLong), u"文件名过长"},
    {ReasonTextOf(SystemReason::kNotDirectory), u"不是目录"},
    {ReasonTextOf(SystemReason::kInputOutput), u"输入/输出错误"},
    {ReasonTextOf(SystemReason::kBrokenPipe), u"断开的管道"},
    {ReasonTextOf(SystemReason::kQuotaExceeded), u"超出磁盘限额"},
    {ReasonTextOf(SystemReason::kMountPoint), u"是一个挂载点"},
    {ReasonTextOf(SystemReason::kOtherNames), u"还有其他名字（硬链接）；请单独指定它来处理"},
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

std::u16string FilledInTurn(std::u16string_view text,
                            std::initializer_list<std::u16string_view> values) {
    std::u16string filled(text);
    size_t at = 0;
    for (std::u16string_view value : values) {
        at = filled.find(u"{}", at);
        if (at == std::u16string::npos)
            break;
        filled.replace(at, 2, value);
        at += value.size();
    }
    return filled;
}

std::u16string Number(uint64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}
