; The Windows setup program, zok-<version>-setup.exe. Built by packaging/win32_setup.cmake:
;   makensis -DVERSION=<x.y.z> -DSTAGE_DIR=<folder with the three files> -DICON=<zok.ico>
;            -DOUT_FILE=<setup.exe> zok_setup.nsi
; What it writes, all removed again by the uninstaller (and checked by scripts/setup-check.sh):
; the files below in the install folder, the Start-menu folder and its four shortcuts, the
; desktop shortcut when chosen, the Send To shortcut, the Explorer verb on every file and the
; Add/Remove Programs entry. zok.exe itself writes no registry key; only this program does.
Unicode true
SetCompressor /SOLID lzma
; The same inputs give the same bytes: no file times are stored.
SetDateSave off
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "ZOK Torvel File Encryptor"
!define PUBLISHER "Torvel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZOK"
!define VERB_KEY "Software\Classes\*\shell\ZOK"
!define MENU_FOLDER "$SMPROGRAMS\ZOK"

Name "ZOK ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\ZOK"
; A later setup installs where the earlier one did, unless another folder is chosen.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "ZOK ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "ZOK ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: the language of every system whose user interface is not Chinese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString SectionProgram ${LANG_ENGLISH} "ZOK (required)"
LangString SectionProgram ${LANG_SIMPCHINESE} "ZOK（必需）"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString VerbText ${LANG_ENGLISH} "Open with ZOK"
LangString VerbText ${LANG_SIMPCHINESE} "用 ZOK 加密机打开"
; Programs and Features names the program in the language of the setup.
LangString DisplayName ${LANG_ENGLISH} "ZOK File Encryptor"
LangString DisplayName ${LANG_SIMPCHINESE} "ZOK 青禾文件加密机"
; The three Start-menu shortcuts whose names depend on the language (see RemoveMenuShortcuts).
!define GUIDE_EN "ZOK user guide"
!define GUIDE_ZH "ZOK 使用说明"
!define CONSOLE_EN "ZOK command line"
!define CONSOLE_ZH "ZOK 命令行"
!define UNINSTALL_EN "Uninstall ZOK"
!define UNINSTALL_ZH "卸载 ZOK"
LangString GuideName ${LANG_ENGLISH} "${GUIDE_EN}"
LangString GuideName ${LANG_SIMPCHINESE} "${GUIDE_ZH}"
LangString ConsoleName ${LANG_ENGLISH} "${CONSOLE_EN}"
LangString ConsoleName ${LANG_SIMPCHINESE} "${CONSOLE_ZH}"
LangString UninstallName ${LANG_ENGLISH} "${UNINSTALL_EN}"
LangString UninstallName ${LANG_SIMPCHINESE} "${UNINSTALL_ZH}"
; The weakness comes first, before anything is installed.
LangString WelcomeText ${LANG_ENGLISH} "Setup will install $(^NameDA).$\r$\n$\r$\n\
ZOK keeps a file from casual eyes only: its fixed legacy format has a 32-bit key, and one known \
word of a file gives the whole file away. For real protection use a modern, reviewed encryption \
tool; see README.txt, the user guide.$\r$\n$\r$\n$(^ClickNext)"
LangString WelcomeText ${LANG_SIMPCHINESE} "安装程序将安装 $(^NameDA)。$\r$\n$\r$\n\
ZOK 只能挡住随手翻看的人：它的旧格式固定不变，密钥只有 32 位，知道文件中的一个词就能解开整个文件。\
需要真正保密时，请使用经过审查的现代加密工具，详见使用说明 README.txt。$\r$\n$\r$\n$(^ClickNext)"

; Both languages' names: a setup run in one language over an installation made in the other
; leaves only its own, and the uninstaller removes whichever are there.
!macro RemoveMenuShortcuts
  Delete "${MENU_FOLDER}\${GUIDE_EN}.lnk"
  Delete "${MENU_FOLDER}\${GUIDE_ZH}.lnk"
  Delete "${MENU_FOLDER}\${CONSOLE_EN}.lnk"
  Delete "${MENU_FOLDER}\${CONSOLE_ZH}.lnk"
  Delete "${MENU_FOLDER}\${UNINSTALL_EN}.lnk"
  Delete "${MENU_FOLDER}\${UNINSTALL_ZH}.lnk"
!macroend

; Chinese for every Chinese user interface (zh-CN, zh-TW, ...), English for any other.
!macro ChooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  IntOp $0 $0 & 0x3FF
  ${If} $0 = 0x04
    StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
!macroend

Function .onInit
  !insertmacro ChooseLanguage
FunctionEnd

Function un.onInit
  !insertmacro ChooseLanguage
FunctionEnd

Section "$(SectionProgram)" SectionProgram
  SectionIn RO
  ; An earlier installation in another folder is removed first, so one entry and one copy stay.
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
  ${AndIf} $1 != $INSTDIR
  ${AndIf} ${FileExists} "$1\Uninstall.exe"
    ExecWait '"$1\Uninstall.exe" /S _?=$1'
    Delete "$1\Uninstall.exe"
    RMDir "$1"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE_DIR}/zok.exe"
  File "${STAGE_DIR}/zok-cli.exe"
  File "${STAGE_DIR}/README.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  !insertmacro RemoveMenuShortcuts
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\ZOK.lnk" "$INSTDIR\zok.exe"
  CreateShortcut "${MENU_FOLDER}\$(GuideName).lnk" "$INSTDIR\README.txt"
  ; A console whose PATH holds the install folder, for this console alone (the user's PATH is
  ; never touched), so that zok-cli is typed in any folder; it starts in the user's own folder
  ; with zok-cli's usage lines. cmd runs what follows /k, its outer quotes taken off, as typed:
  ; the quotes inside keep a folder's spaces and PATH's own characters.
  SetOutPath "$INSTDIR"
  CreateShortcut "${MENU_FOLDER}\$(ConsoleName).lnk" "$SYSDIR\cmd.exe" \
    '/k "cd /d "%USERPROFILE%" & set "PATH=$INSTDIR;%PATH%" & zok-cli"'
  CreateShortcut "${MENU_FOLDER}\$(UninstallName).lnk" "$INSTDIR\Uninstall.exe"
  ; Send To exists only per user: the entry goes to the user who installs.
  SetShellVarContext current
  CreateShortcut "$SENDTO\ZOK.lnk" "$INSTDIR\zok.exe"

  WriteRegStr HKLM "${VERB_KEY}" "" "$(VerbText)"
  WriteRegStr HKLM "${VERB_KEY}" "Icon" "$INSTDIR\zok.exe"
  WriteRegStr HKLM "${VERB_KEY}\command" "" '"$INSTDIR\zok.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(DisplayName)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zok.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SectionProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(SectionDesktop)" SectionDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\ZOK.lnk" "$INSTDIR\zok.exe"
SectionEnd

; Removes exactly what a setup of either language wrote; a file the user added keeps the folder.
Section "Uninstall"
  Delete "$INSTDIR\zok.exe"
  Delete "$INSTDIR\zok-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "${MENU_FOLDER}\ZOK.lnk"
  !insertmacro RemoveMenuShortcuts
  RMDir "${MENU_FOLDER}"
  Delete "$DESKTOP\ZOK.lnk"
  SetShellVarContext current
  Delete "$SENDTO\ZOK.lnk"

  DeleteRegKey HKLM "${VERB_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
