// Answers the program's message boxes and hint dialogs while a test runs, records what was
// shown, and puts the previous answerers back when it goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "frame/frame_services.h"

class PromptAnswerer {
public:
    explicit PromptAnswerer(int boxAnswer = IDOK, int dialogAnswer = 1);
    ~PromptAnswerer();
    PromptAnswerer(const PromptAnswerer&) = delete;
    PromptAnswerer& operator=(const PromptAnswerer&) = delete;

    // "caption: text" of every message box, and the name of every hint dialog, in order.
    const std::vector<std::string>& shown() const { return shown_; }
    void Clear() { shown_.clear(); }

private:
    static int AnswerBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    static int AnswerDialog(LPCSTR dialogName, int helpContext);

    int boxAnswer_;
    int dialogAnswer_;
    std::vector<std::string> shown_;
    MessageBoxPrompt previousBox_;
    InfoDialogPrompt previousDialog_;
    PromptAnswerer* previousAnswerer_;
};
