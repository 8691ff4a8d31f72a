// Every text the program shows: box messages and status-log notes.
#pragma once

// Error boxes.
inline constexpr char16_t kMsgPasswordMismatch[] = u"两次输入密码不一致或为空！";
inline constexpr char16_t kMsgOpenFailed[] = u"打开文件出错！";
inline constexpr char16_t kMsgNoMemory[] = u"内存不足！";
inline constexpr char16_t kMsgReadFailed[] = u"读取文件出错！";
inline constexpr char16_t kMsgWriteFailed[] = u"写入文件出错！";
inline constexpr char16_t kMsgWrongPassword[] = u"密码错误！";
inline constexpr char16_t kMsgDamaged[] = u"文件已损坏或不是加密文件！";
inline constexpr char16_t kMsgTooLarge[] = u"文件过大（不能超过 2 GB）！";
inline constexpr char16_t kMsgDeleteFailed[] = u"删除文件出错！";
inline constexpr char16_t kMsgPathTooLong[] = u"输出文件路径过长！";
inline constexpr char16_t kMsgThreadFailed[] = u"无法启动工作线程！";

// Question box.
inline constexpr char16_t kMsgOverwriteQuestion[] = u"与输出文件同名的文件已经存在，是否覆盖？";

// Completion: a log line, then an information box.
inline constexpr char16_t kMsgDone[] = u"操作完毕。";

// Status-log notes, one per phase.
inline constexpr char16_t kNoteReadingPasswords[] = u"正在读取输入密码……";
inline constexpr char16_t kNoteReadingFile[] = u"正在读取文件……";
inline constexpr char16_t kNoteEncrypting[] = u"正在加密……";
inline constexpr char16_t kNoteDecrypting[] = u"正在解密……";
inline constexpr char16_t kNoteSaving[] = u"正在保存文件……";
inline constexpr char16_t kNoteShredding[] = u"正在粉碎……";
