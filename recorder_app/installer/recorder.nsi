; The Quillbank Recorder's installer, built by scripts/package with makensis:
;   makensis -DDIST_DIR=<dist> -DICON_FILE=<app icon> -DOUT_DIR=<folder> recorder.nsi
;
; A per-user installation: the update procedure writes "updates" beside the program and the
; updater replaces the program's files, which a standard user cannot do under Program Files.
; So the program goes to the user's local programs folder, and every registry entry goes
; under the current user; no administrator rights are asked for.
;
; Uninstalling removes what the program made and only that: the files this installer put
; there, the files updates added (the updater lists them in "installed.lst" beside the
; program), the "updates" and "update_backup" folders, the shortcut and the registry entry.
; The user's "My Podcasts" folder in the documents folder (recordings, local copies, the logs)
; is never touched; the program folder goes only when this installer made it and nothing of
; the user's is left in it.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Quillbank Recorder"
!define VERSION "2.08"
!define PUBLISHER "Quillbank"
!define EXE "recorder.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillbankRecorder"
; Written by the updater (companions/patcher/install_record.h).
!define INSTALL_RECORD "installed.lst"
; Made by the running program (app/running_mark.h).
!define RUNNING_MARK "Local\QuillbankRecorderRunning"

!macro Required name
  !ifndef ${name}
    !error "${name} must be given with -D${name}=..."
  !endif
!macroend
!insertmacro Required DIST_DIR
!insertmacro Required ICON_FILE
!insertmacro Required OUT_DIR

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_DIR}/QuillbankRecorder-${VERSION}-setup.exe"
Icon "${ICON_FILE}"
UninstallIcon "${ICON_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A second installation goes where the first one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.8.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The program's files. The uninstaller deletes exactly this list, so it lives in one place.
!macro ProgramFiles action
  !insertmacro ${action} "recorder.exe"
  !insertmacro ${action} "lame_enc.dll"
  !insertmacro ${action} "adspot.mp3"
  !insertmacro ${action} "patcher.exe"
  !insertmacro ${action} "crash_reporter.exe"
!macroend
!macro InstallFile name
  File "${DIST_DIR}/${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

; Replacing or removing the files of a running program would leave a mixture of versions or
; half a program behind. The program holds a named mark while it runs. (Opening its file for
; writing would fail just as well for a read-only file, and so for ever.)
!macro DefineRunningCheck prefix
  Function ${prefix}StopIfRunning
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARK}") p .r0'
    IntPtrCmp $0 0 done
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_ICONEXCLAMATION|MB_OK "${PRODUCT} is running. Close it and try again." /SD IDOK
    SetErrorLevel 2  ; an abort from an init function would otherwise end with 0
    Abort
  done:
  FunctionEnd
!macroend
!insertmacro DefineRunningCheck ""
!insertmacro DefineRunningCheck "un."

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
  Call un.StopIfRunning
FunctionEnd

Section "Install"
  Call StopIfRunning
  ; Only a folder this installer makes may go with the uninstallation; a second installation
  ; into it keeps the first one's word.
  IfFileExists "$INSTDIR\*.*" +2 0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "CreatedFolder" "$INSTDIR"
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcut's working folder is the output path set above: the program's folder.
  CreateShortCut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Whether $1, a line of the record, names a place inside the program folder: $2 is 1 if so.
Function un.IsInsideName
  StrCpy $2 0
  StrCpy $3 $1 1
  StrCmp $3 "\" done
  StrCmp $3 "" done
  StrCpy $4 0
  loop:
    StrCpy $3 $1 1 $4
    StrCmp $3 "" inside
    StrCmp $3 ":" done
    StrCmp $3 "/" done
    StrCpy $3 $1 2 $4
    StrCmp $3 ".." done
    IntOp $4 $4 + 1
    Goto loop
  inside:
  StrCpy $2 1
  done:
FunctionEnd

; The files updates added, then the folders they made, deepest first (the record lists a
; folder after the folders it is in; the stack turns the order round). RMDir without /r: a
; folder that holds anything else stays.
Function un.RemoveUpdatedFiles
  ClearErrors
  FileOpen $0 "$INSTDIR\${INSTALL_RECORD}" r
  IfErrors done
  Push "|"
  read:
    ClearErrors
    FileReadUTF16LE $0 $1
    IfErrors read_all
  trim:
    StrCpy $2 $1 1 -1
    StrCmp $2 "$\r" +2
    StrCmp $2 "$\n" 0 +3
      StrCpy $1 $1 -1
      Goto trim
    Call un.IsInsideName
    StrCmp $2 1 0 read
    StrCpy $2 $1 1 -1
    StrCmp $2 "\" 0 file
      StrCpy $1 $1 -1
      Push $1
      Goto read
  file:
    Delete "$INSTDIR\$1"
    Goto read
  read_all:
  FileClose $0
  folders:
    Pop $1
    StrCmp $1 "|" done
    RMDir "$INSTDIR\$1"
    Goto folders
  done:
FunctionEnd

Section "Uninstall"
  !insertmacro ProgramFiles RemoveFile
  Call un.RemoveUpdatedFiles
  Delete "$INSTDIR\${INSTALL_RECORD}"
  ; Whatever an update left unpacked or set aside; both folders are the program's own.
  RMDir /r "$INSTDIR\updates"
  RMDir /r "$INSTDIR\update_backup"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Never /r, and only a folder this installer made: the user may have chosen a folder of
  ; their own, and may keep files of their own in it.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "CreatedFolder"
  StrCmp $0 "$INSTDIR" 0 +2
    RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
