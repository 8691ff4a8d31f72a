#include "ui/messages.h"

#include "ui/text_table.h"

const char16_t kBoxCaption[] = u"ZOK（Torvel File Encryptor - 青禾文件加密机）";

namespace {

using MessageText = TextEntry<MessageId>;

constexpr MessageText kChineseTexts[] = {
    {MessageId::kPasswordMismatch, u"两次输入密码不一致或为空！"},
    {MessageId::kOpenFailed, u"打开文件出错！"},
    {MessageId::kNoMemory, u"内存不足！"},
    {MessageId::kReadFailed, u"读取文件出错！"},
    {MessageId::kWriteFailed, u"写入文件出错！"},
    {MessageId::kWrongPassword, u"密码错误！"},
    {MessageId::kDamaged, u"文件已损坏或不是加密文件！"},
    {MessageId::kTooLarge, u"文件过大（不能超过 2 GB）！"},
    {MessageId::kDeleteFailed, u"删除文件出错！"},
    {MessageId::kOutputPathTooLong, u"输出文件路径过长！"},
    {MessageId::kThreadFailed, u"无法启动工作线程！"},
    {MessageId::kInterruptedSave,
     u"密码没有错：这个文件是一次被中断的保存留下的，它仍保持原样，没有被改动。"
     u"在“ZOK 命令行”中输入下面的命令，恢复出的文件另存在它旁边：通常每个字节都能恢复；"
     u"照片、视频等数据若在一段的写入中途被打断，有不超过 64 KB 的一段无法得知，命令会指明位置；"
     u"断电留下的个别文件无法恢复，命令会说明。"},
    {MessageId::kOverwriteQuestion, u"与输出文件同名的文件已经存在，是否覆盖？"},
    {MessageId::kOverwriteEmptyQuestion,
     u"与输出文件同名的空文件已经存在（可能是一次中断的保存留下的），是否覆盖？"},
    {MessageId::kDone, u"操作完毕。"},
    {MessageId::kReadingPasswords, u"正在读取输入密码……"},
    {MessageId::kReadingFile, u"正在读取文件……"},
    {MessageId::kEncrypting, u"正在加密……"},
    {MessageId::kDecrypting, u"正在解密……"},
    {MessageId::kSaving, u"正在保存文件……"},
    {MessageId::kShredding, u"正在粉碎……"},
    {MessageId::kPartlyWritten,
     u"文件已被部分写入，命令行的 recover 能把它恢复到另一个文件：每个字节，"
     u"或除它指明的不超过 64 KB 的一段外的全部内容。"},
    {MessageId::kWrittenNotFlushed, u"文件已是完整的结果，但磁盘没有确认已把它存下。"},
    {MessageId::kWreckRestoresAll, u"recover 能恢复它的每个字节。"},
    {MessageId::kWreckRestoresAllButNamed,
     u"recover 能恢复它，但有一段（不超过 64 KB）或确切长度无法得知，恢复时会指明。"},
    {MessageId::kWreckNotRestored,
     u"它的页面次序错乱（可能是保存时断电留下的），recover 无法可靠地恢复它，不会写出文件。"},
    {MessageId::kDatesNotKept, u"未能保留源文件的修改时间和访问时间。"},
    {MessageId::kOutputFile, u"输出文件："},
};
static_assert(HasEveryIdentifierInOrder<kMessageCount>(kChineseTexts),
              "one text per identifier, in identifier order");

// Plain ASCII, so an English terminal without CJK fonts shows every line.
constexpr MessageText kEnglishTexts[] = {
    {MessageId::kPasswordMismatch, u"The passwords do not match or are empty."},
    {MessageId::kOpenFailed, u"Cannot open the file."},
    {MessageId::kNoMemory, u"Not enough memory."},
    {MessageId::kReadFailed, u"Cannot read the file."},
    {MessageId::kWriteFailed, u"Cannot write the file."},
    {MessageId::kWrongPassword, u"Wrong password."},
    {MessageId::kDamaged, u"The file is damaged or is not an encrypted file."},
    {MessageId::kTooLarge, u"The file is too large (2 GB at most)."},
    {MessageId::kDeleteFailed, u"Cannot delete the file."},
    {MessageId::kOutputPathTooLong, u"The output file path is too long."},
    {MessageId::kThreadFailed, u"Cannot start the worker thread."},
    {MessageId::kInterruptedSave,
     u"The password is right: this file is what an interrupted save left, and it is unchanged. "
     u"recover restores it into a separate file: usually every byte; data such as photos or "
     u"video stopped inside a piece keeps a range of at most 64 KB unknown, which recover "
     u"names; a few files a power cut leaves cannot be restored, which recover says."},
    {MessageId::kOverwriteQuestion, u"The output file already exists. Overwrite it?"},
    {MessageId::kOverwriteEmptyQuestion,
     u"An empty file already exists at the output's name (an interrupted save may have left "
     u"it). Overwrite it?"},
    {MessageId::kDone, u"Done."},
    {MessageId::kReadingPasswords, u"Reading the password..."},
    {MessageId::kReadingFile, u"Reading the file..."},
    {MessageId::kEncrypting, u"Encrypting..."},
    {MessageId::kDecrypting, u"Decrypting..."},
    {MessageId::kSaving, u"Saving the file..."},
    {MessageId::kShredding, u"Shredding..."},
    {MessageId::kPartlyWritten,
     u"The file was partly written; the command line's recover restores it into another "
     u"file: every byte, or all but a range of at most 64 KB that it names."},
    {MessageId::kWrittenNotFlushed,
     u"The file holds the whole result, but the disk did not confirm that it is stored."},
    {MessageId::kWreckRestoresAll, u"recover restores every byte of it."},
    {MessageId::kWreckRestoresAllButNamed,
     u"recover restores it, but a range (at most 64 KB) or the exact length is not known, "
     u"which it names."},
    {MessageId::kWreckNotRestored,
     u"Its pages are out of order (a power cut during the save may leave that): recover "
     u"cannot restore it with certainty and writes nothing."},
    {MessageId::kDatesNotKept, u"The source's modification and access times could not be kept."},
    {MessageId::kOutputFile, u"Output file: "},
};
static_assert(HasEveryIdentifierInOrder<kMessageCount>(kEnglishTexts),
              "one text per identifier, in identifier order");

// Indexed by Language.
constexpr const MessageText* kTables[] = {kChineseTexts, kEnglishTexts};
static_assert(sizeof kTables / sizeof kTables[0] == kLanguageCount, "one table per language");

}  // namespace

const char16_t* TextOf(MessageId message) {
    return TextIn(Language::kChinese, message);
}

const char16_t* TextIn(Language language, MessageId message) {
    return kTables[static_cast<size_t>(language)][static_cast<size_t>(message)].text;
}
