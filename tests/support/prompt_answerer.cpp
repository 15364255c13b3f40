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
    previousSave_ = g_saveFileDialogPrompt;
    g_answerer = this;
    g_messageBoxPrompt = AnswerBox;
    g_infoDialogPrompt = AnswerDialog;
    g_hiddenWarningNote = NoteHiddenWarning;
    g_saveFileDialogPrompt = AnswerSave;
}

PromptAnswerer::~PromptAnswerer()
{
    g_messageBoxPrompt = previousBox_;
    g_infoDialogPrompt = previousDialog_;
    g_answerer = previousAnswerer_;
    g_hiddenWarningNote = previousHidden_;
    g_saveFileDialogPrompt = previousSave_;
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

int PromptAnswerer::AnswerSave(char* path, int* fileType, const char*)
{
    g_answerer->shown_.push_back(std::string("Save: ") + path);
    if (g_answerer->savePath_.empty()) return 0;
    lstrcpynA(path, g_answerer->savePath_.c_str(), 261);
    *fileType = g_answerer->saveType_;
    return 1;
}

int PromptAnswerer::AnswerDialog(LPCSTR dialogName, int)
{
    g_answerer->shown_.push_back(dialogName ? dialogName : "");
    return g_answerer->dialogAnswer_;
}
