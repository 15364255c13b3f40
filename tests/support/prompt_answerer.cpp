// The tests' answerer of message boxes and hint dialogs.
#include "support/prompt_answerer.h"

namespace {

PromptAnswerer* g_answerer = nullptr;

}  // namespace

PromptAnswerer::PromptAnswerer(int boxAnswer, int dialogAnswer)
    : boxAnswer_(boxAnswer), dialogAnswer_(dialogAnswer), previousBox_(g_messageBoxPrompt),
      previousDialog_(g_infoDialogPrompt), previousAnswerer_(g_answerer)
{
    g_answerer = this;
    g_messageBoxPrompt = AnswerBox;
    g_infoDialogPrompt = AnswerDialog;
}

PromptAnswerer::~PromptAnswerer()
{
    g_messageBoxPrompt = previousBox_;
    g_infoDialogPrompt = previousDialog_;
    g_answerer = previousAnswerer_;
}

int PromptAnswerer::AnswerBox(HWND, LPCSTR text, LPCSTR caption, UINT)
{
    g_answerer->shown_.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
    return g_answerer->boxAnswer_;
}

int PromptAnswerer::AnswerDialog(LPCSTR dialogName, int)
{
    g_answerer->shown_.push_back(dialogName ? dialogName : "");
    return g_answerer->dialogAnswer_;
}
