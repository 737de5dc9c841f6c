// pkprobe: looks at and drives Pixkeeper from another process, for the
// end-to-end scenarios. Run "pkprobe help" for the subcommands.

#include <windows.h>

#include <exception>
#include <string>

#include "ProbeCommands.h"
#include "ProbeCommon.h"

using namespace pixkeeper::probe;

namespace {

struct Command {
  const wchar_t* name;
  int (*run)(const Args&);
  const wchar_t* usage;
};

const Command kCommands[] = {
    {L"wait-window", CmdWaitWindow, L"TITLE [--top-class C] [--visible] [--no-dialog] [--timeout MS]"},
    {L"wait-gone", CmdWaitGone, L"TITLE [--top-class C] [--timeout MS]"},
    {L"count-windows", CmdCountWindows, L"TITLE [--top-class C] [--visible]"},
    {L"window-info", CmdWindowInfo, L"TITLE [--top-class C]: rectangles, style, controls"},
    {L"desktop", CmdDesktop, L": start Wine's desktop process with no output attached"},
    {L"xid", CmdXid, L"TITLE: the X window of a top-level window"},
    {L"wait-viewer", CmdWaitViewer, L"TITLE [--timeout MS]: until it heads the viewer chain"},
    {L"clipboard-viewer", CmdClipboardViewer, L": the head of the viewer chain"},
    {L"set-text", CmdSetText, L"TITLE TEXT --id N|--text T|--class C [--nth K]: WM_SETTEXT"},
    {L"press", CmdPress, L"TITLE ID: WM_COMMAND for a dialog's button"},
    {L"control-point", CmdControlPoint, L"TITLE --id N|--text T|--class C [--nth K]"},
    {L"control-text", CmdControlText, L"TITLE --id N|--text T|--class C [--nth K]"},
    {L"button-state", CmdButtonState, L"TITLE --id N|--text T: BM_GETCHECK"},
    {L"list-items", CmdListItems, L"TITLE: count, then one entry a line"},
    {L"list-wait", CmdListWait, L"TITLE COUNT [--timeout MS]"},
    {L"list-select", CmdListSelect, L"TITLE INDEX: select and notify as a click does"},
    {L"list-dblclick", CmdListDoubleClick, L"TITLE INDEX: select and notify a double-click"},
    {L"list-point", CmdListPoint, L"TITLE INDEX: screen point of an entry"},
    {L"restore", CmdRestore, L"TITLE: restore a minimised window"},
    {L"close", CmdClose, L"TITLE: WM_CLOSE, as the close box"},
    {L"endsession", CmdEndSession, L"TITLE [--cancelled]: WM_QUERYENDSESSION, then WM_ENDSESSION"},
    {L"msgbox", CmdMessageBox, L"TITLE [--timeout MS]: icon, texts and buttons"},
    {L"msgbox-ok", CmdMessageBoxOk, L"TITLE [--timeout MS]: press OK"},
    {L"clip-put", CmdClipPut,
     L"picture|text|text-picture|png [--text T] [--picture NAME] [--width W] [--height H] "
     L"[--form dib|bitmap] [--expect FILE] [--repeat N] [--align-second]"},
    {L"clip-formats", CmdClipFormats, L": count, then the formats"},
    {L"clip-text", CmdClipText, L": the Unicode text"},
    {L"clip-seq", CmdClipSequence, L": the clipboard sequence number"},
    {L"clip-wait-empty", CmdClipWaitEmpty, L"[--timeout MS]"},
    {L"viewer", CmdViewer, L"STATEFILE [--title T]: a counting clipboard viewer"},
    {L"reg-get", CmdRegGet, L"KEY"},
    {L"reg-set", CmdRegSet, L"KEY TEXT"},
    {L"reg-del", CmdRegDelete, L"KEY"},
    {L"reg-clear", CmdRegClear, L": delete the whole settings key"},
    {L"reg-dump", CmdRegDump, L": absent, or NAME=TEXT lines"},
};

int Usage() {
  for (const Command& command : kCommands) {
    Print(std::wstring(L"pkprobe ") + command.name + L" " + command.usage);
  }
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  std::wstring name = argv[1];
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    try {
      return command.run(Args(argc, argv, 2));
    } catch (const std::exception& error) {
      PrintError(name + L": bad arguments (" + std::wstring(error.what(),
                 error.what() + strlen(error.what())) + L")");
      return 2;
    }
  }
  return Usage();
}
