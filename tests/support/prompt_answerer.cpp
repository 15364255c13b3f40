// The tests' answerer of message boxes and hint dialogs.
#include "support/prompt_answerer.h"

namespace {

PromptAnswerer* g_answerer = nullptr;

}  // namespace

PromptAnswerer::PromptAnswerer(int boxAnswer, int dialogAnswer)
    : boxAnswer_(boxAnswer), dialogAnswer_(dialogAnswer), previousBox_(g_messageBoxPrompt),
      previousDialog_(g_infoDialogPrompt), previousAnswerer_(g_answerer)
{
    previousHidden_ = g_hiddenWarningNote;
    previousFileDialog_ = g_fileDialogCall;
    g_answerer = this;
    g_messageBoxPrompt = AnswerBox;
    g_infoDialogPrompt = AnswerDialog;
    g_hiddenWarningNote = NoteHiddenWarning;
    g_fileDialogCall = AnswerFileDialog;
    previousAttachDialog_ = g_attachDialogPrompt;
    previousShell_ = g_shellExecuteCall;
    previousRun_ = g_winExecCall;
    previousHelp_ = g_helpContextCall;
    g_attachDialogPrompt = AnswerAttachDialog;
    g_shellExecuteCall = AnswerShell;
    g_winExecCall = AnswerRun;
    g_helpContextCall = NoteHelp;
    previousChooseFont_ = g_chooseFontCall;
    previousSymbolDialog_ = g_symbolDialogCall;
    g_chooseFontCall = AnswerChooseFont;
    g_symbolDialogCall = AnswerSymbol;
}

PromptAnswerer::~PromptAnswerer()
{
    g_messageBoxPrompt = previousBox_;
    g_infoDialogPrompt = previousDialog_;
    g_answerer = previousAnswerer_;
    g_hiddenWarningNote = previousHidden_;
    g_fileDialogCall = previousFileDialog_;
    g_attachDialogPrompt = previousAttachDialog_;
    g_shellExecuteCall = previousShell_;
    g_winExecCall = previousRun_;
    g_helpContextCall = previousHelp_;
    g_chooseFontCall = previousChooseFont_;
    g_symbolDialogCall = previousSymbolDialog_;
}

int PromptAnswerer::AnswerBox(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    g_answerer->shown_.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
    if (!g_answerer->queued_.empty()) {
        int answer = g_answerer->queued_.front();
        g_answerer->queued_.erase(g_answerer->queued_.begin());
        return answer;
    }
    return g_answerer->boxAnswer_;
}

int PromptAnswerer::NoteHiddenWarning(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    g_answerer->hidden_.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
    return IDOK;
}

BOOL PromptAnswerer::AnswerFileDialog(OPENFILENAMEA* ofn, BOOL save)
{
    PromptAnswerer& a = *g_answerer;
    const char* filterEnd = ofn->lpstrFilter;
    while (filterEnd && (filterEnd[0] || filterEnd[1])) ++filterEnd;
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    a.fileDialogs_.push_back({save != FALSE, ofn->Flags,
                              filterEnd ? std::string(ofn->lpstrFilter, filterEnd + 1) : std::string(),
                              text(ofn->lpstrDefExt), text(ofn->lpstrInitialDir), text(ofn->lpstrFile),
                              text(ofn->lpstrTitle), static_cast<int>(ofn->nFilterIndex),
                              reinterpret_cast<ULONG_PTR>(ofn->lpTemplateName), ofn->lpfnHook == SEExplorerHook});
    a.shown_.push_back(std::string(save ? "Save: " : "Open: ") + ofn->lpstrFile);
    const std::string& path = save ? a.savePath_ : a.openPath_;
    const int type = save ? a.saveType_ : a.openType_;
    if (!save && type == kFileDialogNew) {
        g_fileDialogState.chosenIndex = kFileDialogNew;
        return FALSE;
    }
    if (path.empty()) return FALSE;
    lstrcpynA(ofn->lpstrFile, path.c_str(), static_cast<int>(ofn->nMaxFile));
    ofn->nFilterIndex = static_cast<DWORD>(type);
    g_fileDialogState.chosenIndex = type;
    return TRUE;
}

int PromptAnswerer::AnswerAttachDialog(char* target, int* kind)
{
    PromptAnswerer& a = *g_answerer;
    a.shown_.push_back("SETURL: " + std::string(target) + " " + std::to_string(*kind));
    if (a.attachAnswers_.empty()) return 0;
    lstrcpynA(target, a.attachAnswers_.front().first.c_str(), kMaxAttachmentTarget + 1);
    *kind = a.attachAnswers_.front().second;
    a.attachAnswers_.erase(a.attachAnswers_.begin());
    return 1;
}

HINSTANCE PromptAnswerer::AnswerShell(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    g_answerer->shown_.push_back(std::string("Shell: ") + (verb ? verb : "") + " " + (file ? file : ""));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(g_answerer->launchResult_));
}

UINT PromptAnswerer::AnswerRun(LPCSTR commandLine, UINT)
{
    g_answerer->shown_.push_back(std::string("Run: ") + (commandLine ? commandLine : ""));
    return static_cast<UINT>(g_answerer->launchResult_);
}

BOOL PromptAnswerer::AnswerChooseFont(CHOOSEFONTA* choose)
{
    PromptAnswerer& a = *g_answerer;
    a.fontDialogs_.push_back({choose->Flags, *choose->lpLogFont, choose->iPointSize, choose->nSizeMin,
                              choose->nSizeMax, choose->lpfnHook});
    return a.fontAnswer_ ? a.fontAnswer_(choose) : FALSE;
}

int PromptAnswerer::AnswerSymbol(char* face, int* code, BOOL* fontChosen)
{
    PromptAnswerer& a = *g_answerer;
    a.shown_.push_back("Symbol: " + std::to_string(*code));
    if (a.symbolAnswers_.empty()) return 0;
    const SymbolAnswer answer = a.symbolAnswers_.front();
    a.symbolAnswers_.erase(a.symbolAnswers_.begin());
    lstrcpynA(face, answer.face.c_str(), LF_FACESIZE);
    *code = answer.code;
    *fontChosen = answer.fontChosen;
    return 1;
}

void PromptAnswerer::NoteHelp(int context)
{
    g_answerer->helpTopics_.push_back(context);
}

int PromptAnswerer::AnswerDialog(LPCSTR dialogName, int)
{
    g_answerer->shown_.push_back(dialogName ? dialogName : "");
    return g_answerer->dialogAnswer_;
}
