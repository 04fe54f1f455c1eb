#include "ui/commands.h"

#include "notes/locations.h"

namespace orvel {

const std::string_view kHelpText =
    "Orvel, a small note editor made by the Orvel developers\r\n"
    "\r\n"
    "\"One note at a time, and every word kept.\"\r\n"
    " \r\n"
    "Ctrl-N: \tNew  \r\n"
    "Ctrl-O: \tOpen  \r\n"
    "Ctrl-C: \tCopy\r\n"
    "Ctrl-X: \tCut  \r\n"
    "Ctrl-V: \tPaste\r\n"
    "Ctrl-F: \tFind\r\n"
    "\r\n"
    "Ctrl-T: \tChange theme\r\n"
    "Ctrl-K: \tInsert tick\r\n"
    "F5: \tInsert date\r\n"
    "\r\n"
    "F1: \tHelp\r\n"
    "  \r\n"
    "https://orvel.example/\r\n"
    "\r\n";

void InsertTick(ProgramState& state) { state.toolkit.ReplaceSelection(kMainWindow, kEditor, u"\u2713 "); }

void InsertDate(ProgramState& state) {
  state.toolkit.ReplaceSelection(kMainWindow, kEditor,
                                 FillDatePattern(u"%yyyy-%mm-%dd", CurrentDateValue(state.system)));
}

void ShowInFileManager(ProgramState& state) { state.system.ShowInFileManager(state.notePath); }

void ShowHelp(ProgramState& state) {
  // All of the stored bytes are converted; the text holds no terminating zero.
  state.toolkit.ShowMessageBox(Text(kAppTitle) + u" " + kAppVersion, Utf8ToText(kHelpText),
                               BoxIcon::Information);
}

}  // namespace orvel
