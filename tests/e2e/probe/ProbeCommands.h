#pragma once
// The probe's subcommands; each returns the process exit code: 0 done or
// true, 1 failed or timed out, 2 absent or misused.

#include "ProbeCommon.h"

namespace pixkeeper::probe {

int CmdWaitWindow(const Args& args);
int CmdWaitGone(const Args& args);
int CmdCountWindows(const Args& args);
int CmdWindowInfo(const Args& args);
int CmdXid(const Args& args);
int CmdDesktop(const Args& args);
int CmdWaitViewer(const Args& args);
int CmdClipboardViewer(const Args& args);
int CmdSetText(const Args& args);
int CmdPress(const Args& args);
int CmdControlPoint(const Args& args);
int CmdControlText(const Args& args);
int CmdButtonState(const Args& args);
int CmdListItems(const Args& args);
int CmdListWait(const Args& args);
int CmdListSelect(const Args& args);
int CmdListDoubleClick(const Args& args);
int CmdListPoint(const Args& args);
int CmdRestore(const Args& args);
int CmdClose(const Args& args);
int CmdEndSession(const Args& args);
int CmdMessageBox(const Args& args);
int CmdMessageBoxOk(const Args& args);

int CmdClipPut(const Args& args);
int CmdClipFormats(const Args& args);
int CmdClipText(const Args& args);
int CmdClipSequence(const Args& args);
int CmdClipWaitEmpty(const Args& args);
int CmdViewer(const Args& args);

int CmdRegGet(const Args& args);
int CmdRegSet(const Args& args);
int CmdRegDelete(const Args& args);
int CmdRegClear(const Args& args);
int CmdRegDump(const Args& args);

}  // namespace pixkeeper::probe
