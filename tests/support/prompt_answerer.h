// Answers the program's message boxes and hint dialogs while a test runs, records what was
// shown, and puts the previous answerers back when it goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "frame/frame_services.h"
#include "frame/frame_windows.h"

class PromptAnswerer {
public:
    explicit PromptAnswerer(int boxAnswer = IDOK, int dialogAnswer = 1);
    ~PromptAnswerer();
    PromptAnswerer(const PromptAnswerer&) = delete;
    PromptAnswerer& operator=(const PromptAnswerer&) = delete;

    // "caption: text" of every message box, and the name of every hint dialog, in order.
    const std::vector<std::string>& shown() const { return shown_; }
    // "caption: text" of every warning that a hidden frame did not show, in order.
    const std::vector<std::string>& hiddenWarnings() const { return hidden_; }
    void Clear()
    {
        shown_.clear();
        hidden_.clear();
    }
    // The next message boxes get these answers in order; after them the default answer.
    void QueueAnswers(const std::vector<int>& answers) { queued_.insert(queued_.end(), answers.begin(), answers.end()); }
    // The Save dialog answers OK with this path and file type; without it, Cancel. Each run
    // is recorded as "Save: " and the name it started with.
    void AnswerSaveDialog(const std::string& path, int fileType)
    {
        savePath_ = path;
        saveType_ = fileType;
    }

private:
    static int AnswerBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    static int AnswerDialog(LPCSTR dialogName, int helpContext);
    static int NoteHiddenWarning(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    static int AnswerSave(char* path, int* fileType, const char* folder);

    int boxAnswer_;
    int dialogAnswer_;
    std::vector<std::string> shown_;
    std::vector<std::string> hidden_;
    std::vector<int> queued_;
    std::string savePath_;
    int saveType_ = 1;
    MessageBoxPrompt previousHidden_;
    SaveFileDialogPrompt previousSave_;
    MessageBoxPrompt previousBox_;
    InfoDialogPrompt previousDialog_;
    PromptAnswerer* previousAnswerer_;
};
