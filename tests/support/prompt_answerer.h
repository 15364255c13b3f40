// Answers the program's message boxes and hint dialogs while a test runs, records what was
// shown, and puts the previous answerers back when it goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "documents/file_dialogs.h"
#include "editing/attachments.h"
#include "frame/help_context.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "text/font_dialogs.h"

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
    // The Open and Save dialogs answer OK with this path and the 1-based type index chosen in
    // the filter; without a path, Cancel; an Open answer of type 99 presses New. Each run is
    // recorded as "Open: " or "Save: " and the name it started with, and in fileDialogs().
    void AnswerSaveDialog(const std::string& path, int fileType)
    {
        savePath_ = path;
        saveType_ = fileType;
    }
    void AnswerOpenDialog(const std::string& path, int fileType)
    {
        openPath_ = path;
        openType_ = fileType;
    }
    // What a file dialog was given, as the common dialog would have seen it.
    struct FileDialogSeen {
        bool save;
        DWORD flags;
        std::string filter;   // with its NUL separators
        std::string defaultExtension;
        std::string initialFolder;
        std::string name;
        std::string title;
        int filterIndex;
        ULONG_PTR templateId;
        bool explorerHook;
    };
    const std::vector<FileDialogSeen>& fileDialogs() const { return fileDialogs_; }

    // The attachment dialog answers OK with these targets and kinds in order, then Cancel; each
    // run is recorded as "SETURL: " and the target and kind it started with.
    void QueueAttachDialog(const std::string& target, int kind) { attachAnswers_.push_back({target, kind}); }
    // Nothing is opened or run: each launch is recorded as "Shell: " verb and file, or "Run: "
    // and the command line, and answered with `result` (32 and above succeed).
    void AnswerLaunches(int result) { launchResult_ = result; }
    // The help topics asked for, in order.
    const std::vector<int>& helpTopics() const { return helpTopics_; }

    // The font dialog: each run is recorded in fontDialogs() as the dialog was given it and then
    // answered by `answer`, which changes the record as a user would (Cancel without one).
    void AnswerFontDialog(std::function<BOOL(CHOOSEFONTA*)> answer) { fontAnswer_ = std::move(answer); }
    struct FontDialogSeen {
        DWORD flags;
        LOGFONTA font;
        INT pointSize;
        INT sizeMin;
        INT sizeMax;
        LPCFHOOKPROC hook;
    };
    const std::vector<FontDialogSeen>& fontDialogs() const { return fontDialogs_; }
    // The symbol dialog answers OK with these once, then Cancel; each run is recorded as
    // "Symbol: " and the code it started with.
    void AnswerSymbolDialog(int code, const std::string& face, bool fontChosen)
    {
        symbolAnswers_.push_back({code, face, fontChosen});
    }

private:
    static int AnswerBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    static int AnswerDialog(LPCSTR dialogName, int helpContext);
    static int NoteHiddenWarning(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    static BOOL AnswerFileDialog(OPENFILENAMEA* ofn, BOOL save);
    static int AnswerAttachDialog(char* target, int* kind);
    static HINSTANCE AnswerShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show);
    static UINT AnswerRun(LPCSTR commandLine, UINT show);
    static void NoteHelp(int context);

    static BOOL AnswerChooseFont(CHOOSEFONTA* choose);
    static int AnswerSymbol(char* face, int* code, BOOL* fontChosen);
    struct SymbolAnswer {
        int code;
        std::string face;
        bool fontChosen;
    };

    int boxAnswer_;
    int dialogAnswer_;
    std::vector<std::string> shown_;
    std::vector<std::string> hidden_;
    std::vector<int> queued_;
    std::string savePath_;
    int saveType_ = 1;
    std::string openPath_;
    int openType_ = 1;
    std::vector<FileDialogSeen> fileDialogs_;
    std::vector<std::pair<std::string, int>> attachAnswers_;
    int launchResult_ = 33;
    std::vector<int> helpTopics_;
    MessageBoxPrompt previousHidden_;
    FileDialogCall previousFileDialog_;
    AttachDialogPrompt previousAttachDialog_;
    ShellExecuteCall previousShell_;
    WinExecCall previousRun_;
    HelpContextCall previousHelp_;
    MessageBoxPrompt previousBox_;
    InfoDialogPrompt previousDialog_;
    PromptAnswerer* previousAnswerer_;
    std::function<BOOL(CHOOSEFONTA*)> fontAnswer_;
    std::vector<FontDialogSeen> fontDialogs_;
    std::vector<SymbolAnswer> symbolAnswers_;
    ChooseFontCall previousChooseFont_;
    SymbolDialogCall previousSymbolDialog_;
};
